// Folders and names built from book data stay where they belong: a target directory
// with a ".." component is refused, control characters never reach a name.
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "batch/settings.h"
#include "tests/batch/pipeline_fixture.h"

namespace tomeo::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// $HOME set for one test.
class ScopedHome {
public:
    explicit ScopedHome(const std::string& home) {
        if (const char* saved = std::getenv("HOME")) saved_ = saved;
        setenv("HOME", home.c_str(), 1);
    }
    ~ScopedHome() {
        if (saved_) {
            setenv("HOME", saved_->c_str(), 1);
        } else {
            unsetenv("HOME");
        }
    }

private:
    std::optional<std::string> saved_;
};

TEST_F(PipelineTest, AnAuthorNamedLikeAParentFolderMovesNothing) {
    const ScopedHome home(Path("home"));
    Fb2Shape shape;
    shape.authors = {{"", "../../../escaped"}};
    const std::string book = MakeFb2(shape);
    Put("book.fb2", book);
    // The default move.sc: ~/books/ + the author.
    EXPECT_EQ(Process("book.fb2", OP_MOVE), RES_MOVE);
    EXPECT_EQ(Files(), Names{"book.fb2"});
    EXPECT_EQ(Get("book.fb2"), book);
    EXPECT_FALSE(fs::exists(fs::path(dir.path()).parent_path().parent_path() / "escaped"));
    EXPECT_FALSE(fs::exists(Path("home")));
    Report report;
    pipeline->ReportCurrentResults(report);
    EXPECT_EQ(report.text(), W("book.fb2 не перемещен в каталог ~/books/../../../escaped. Путь к "
                               "каталогу содержит \"..\"."));
}

TEST_F(PipelineTest, EveryKindOfTargetWithAParentComponentIsRefused) {
    Put("sub/book.fb2", MakeFb2({}));
    Put("book.fb2", MakeFb2({}));
    for (const std::string& target : Names{Path("sub/.."), Path("a/../b"), "../x"}) {
        SetScript(globals.scripts.move, "$dir = \"" + target + "\"");
        EXPECT_EQ(Process("book.fb2", OP_MOVE), RES_MOVE) << target;
        Select("book.fb2");
        EXPECT_FALSE(pipeline->MoveTo(W(target).c_str(), run.report)) << target;
    }
    run.settings.text_dir.assign(W(Path("texts/../..")).c_str());
    EXPECT_EQ(Process("book.fb2", OP_TOTEXT), RES_TOTEXT);
    EXPECT_EQ(Files(), (Names{"book.fb2", "sub/book.fb2"}));
}

TEST_F(PipelineTest, ControlCharactersOfABookBecomeUnderscoresInNamesAndFolders) {
    Fb2Shape shape;
    shape.authors = {{"Иван", "Пет\tров"}};
    shape.title = "Кни\x1B[31mга";
    Put("book.fb2", MakeFb2(shape));
    SetScript(globals.scripts.move, "$a = author(1, \"l\")\n$dir = \"" + dir.path() +
                                        "\" + $a\n$dir = $dir + \"/\"\n$dir = $dir + $title");
    EXPECT_EQ(Process("book.fb2", OP_MOVE | OP_RENAME), 0u);
    EXPECT_EQ(Files(), Names{"Пет_ров/Кни_[31mга/Пет_ров Иван - Кни_[31mга.fb2"});
}

}  // namespace
}  // namespace tomeo::test
