// The scripts on books: their files in the configuration folder, the built-in defaults,
// and the variables a book gives them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "batch/book_scripts.h"
#include "book/book_desc.h"
#include "core/charset.h"
#include "core/resources.h"
#include "tests/support/cp1251_text.h"
#include "tests/support/temp_dir.h"

namespace tomeo::test {
namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string Resource(const char* name) {
    WBUF bytes;
    EXPECT_TRUE(LoadResourceFile(bytes, name));
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.length());
}

TEST(ScriptFiles, Utf8FilesAreConvertedAndOthersTakenAsTheyAre) {
    struct Case {
        std::string file, text;
    };
    const Case cases[] = {
        {"$filename = $title\r\n", "$filename = $title\r\n"},
        {"$dir = \"~/книги/\"\n", W("$dir = \"~/книги/\"\n")},
        {"\xEF\xBB\xBF$dir = \"Ёж\"", W("$dir = \"Ёж\"")},             // the byte-order mark goes
        {W("$dir = \"~/книги/\"\r\n"), W("$dir = \"~/книги/\"\r\n")},  // brought from Windows
        {"$dir = \"☃\"", "$dir = \"\x98\""},  // no Windows-1251 form: a byte naming no file
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScriptTextFromFile(c.file), c.text) << c.file;
    }
}

class ScriptFilesTest : public ::testing::Test {
protected:
    std::string File(const char* name) const { return config / ("tomeo/" + std::string(name)); }

    TempDir config;
    ScopedEnv xdg{"XDG_CONFIG_HOME", config.path()};
    BookScripts scripts;
};

TEST_F(ScriptFilesTest, MissingFilesGetTheDefaultsWrittenBackAsUtf8) {
    LoadScripts(scripts);
    EXPECT_EQ(scripts.rename.get_text(), Resource(kRenameScriptResource));
    EXPECT_EQ(scripts.move.get_text(), Resource(kMoveScriptResource));
    EXPECT_EQ(scripts.header.get_text(), Resource(kHeaderScriptResource));
    EXPECT_TRUE(scripts.rename.modified() && scripts.move.modified() && scripts.header.modified());

    SaveModifiedScripts(scripts);
    EXPECT_EQ(ReadFile(File("rename.sc")), cp1251_to_utf8(Resource(kRenameScriptResource)));
    EXPECT_EQ(ReadFile(File("move.sc")), cp1251_to_utf8(Resource(kMoveScriptResource)));
    EXPECT_EQ(ReadFile(File("txthdr.sc")), cp1251_to_utf8(Resource(kHeaderScriptResource)));

    BookScripts again;
    LoadScripts(again);
    EXPECT_EQ(again.move.get_text(), Resource(kMoveScriptResource));
    EXPECT_FALSE(again.rename.modified() || again.move.modified() || again.header.modified());
}

TEST_F(ScriptFilesTest, OnlyTheMissingAndTheModifiedAreWritten) {
    std::filesystem::create_directories(config / "tomeo");
    WriteFile(File("rename.sc"), "");  // empty: an empty script, not a missing one
    WriteFile(File("txthdr.sc"), W("printp(\"Книга\")"));
    LoadScripts(scripts);
    EXPECT_STREQ(scripts.rename.get_text(), "");
    EXPECT_EQ(scripts.header.get_text(), W("printp(\"Книга\")"));
    EXPECT_TRUE(scripts.move.modified());
    EXPECT_FALSE(scripts.rename.modified() || scripts.header.modified());
    SaveModifiedScripts(scripts);
    EXPECT_EQ(ReadFile(File("rename.sc")), "");
    EXPECT_EQ(ReadFile(File("txthdr.sc")), W("printp(\"Книга\")"));  // not rewritten
    EXPECT_TRUE(FileExists(File("move.sc")));

    scripts.header.set_modified(true);  // edited in the settings
    SaveModifiedScripts(scripts);
    EXPECT_EQ(ReadFile(File("txthdr.sc")), "printp(\"Книга\")");  // now UTF-8
}

// A script that is there but cannot be used is never replaced by the default: every
// run of it fails with a message naming the file, and it is never written.
TEST_F(ScriptFilesTest, AScriptThatCannotBeReadIsNotReplaced) {
    std::filesystem::create_directories(config / "tomeo/rename.sc");
    WriteFile(File("move.sc"), std::string(kMaxScriptFileSize + 1, ' '));
    std::filesystem::create_symlink("elsewhere/txthdr.sc", File("txthdr.sc"));
    LoadScripts(scripts);
    const struct {
        SCRIPT& script;
        const char* file;
        const char* end;
    } cases[] = {
        {scripts.rename, "rename.sc", " не удалось прочитать."},
        {scripts.move, "move.sc", " больше 16 МБ."},
        {scripts.header, "txthdr.sc", " не удалось прочитать."},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(c.script.unreadable()) << c.file;
        EXPECT_FALSE(c.script.modified()) << c.file;
        EXPECT_THROW(c.script.Run(), SCRIPTError);
        EXPECT_EQ(c.script.error_code(), kScriptRunFailed);
        EXPECT_EQ(c.script.error_message(), W("Файл скрипта ") + File(c.file) + W(c.end));
    }
    SaveModifiedScripts(scripts);
    EXPECT_TRUE(std::filesystem::is_directory(File("rename.sc")));
    EXPECT_EQ(std::filesystem::file_size(File("move.sc")), kMaxScriptFileSize + 1);
    EXPECT_TRUE(std::filesystem::is_symlink(File("txthdr.sc")));
    EXPECT_FALSE(std::filesystem::exists(config / "tomeo/elsewhere"));

    // Text set in the settings is the script from then on, saved at exit.
    scripts.header.set_text("printp($title)");
    scripts.header.set_modified(true);
    EXPECT_FALSE(scripts.header.unreadable());
    std::filesystem::create_directories(config / "tomeo/elsewhere");
    SaveModifiedScripts(scripts);
    EXPECT_TRUE(std::filesystem::is_symlink(File("txthdr.sc")));
    EXPECT_EQ(ReadFile(File("elsewhere/txthdr.sc")), "printp($title)");
}

// Script files up to the longest value a script may hold are used, linked or not; a
// link loop cannot be read.
TEST_F(ScriptFilesTest, LargeAndLinkedScriptsAreRead) {
    std::filesystem::create_directories(config / "dotfiles");
    std::filesystem::create_directories(config / "tomeo");
    const std::string comment = "// " + std::string(2 << 20, 'c') + "\n";
    WriteFile(File("rename.sc"), comment + "$filename = \"big\"\n");
    WriteFile(config / "dotfiles/move.sc", "$dir = \"~/linked/\"\n");
    std::filesystem::create_symlink("../dotfiles/move.sc", File("move.sc"));
    std::filesystem::create_symlink("txthdr.sc", File("txthdr.sc"));
    LoadScripts(scripts);
    const TBOOKDESC desc;
    const BookFileNames names{"/books/", "a.fb2", "a.fb2"};
    HSTR name;
    ComputeFileName(scripts.rename, desc, names, name);
    EXPECT_STREQ(name.c_str(), "big");
    WSTR dir;
    ComputeDirectory(scripts.move, desc, names, dir);
    EXPECT_STREQ(dir.c_str(), "~/linked/");
    EXPECT_TRUE(scripts.header.unreadable());
    EXPECT_FALSE(scripts.rename.modified() || scripts.move.modified() || scripts.header.modified());
}

TEST(ScriptFilesHome, TheConfigurationFolderIsCreatedBelowHome) {
    TempDir home;
    ScopedEnv no_xdg{"XDG_CONFIG_HOME", ""};
    ScopedEnv home_env{"HOME", home.path()};
    BookScripts scripts;
    LoadScripts(scripts);
    SaveModifiedScripts(scripts);
    EXPECT_TRUE(FileExists(home / ".config/tomeo/rename.sc"));
    EXPECT_TRUE(FileExists(home / ".config/tomeo/move.sc"));
    EXPECT_TRUE(FileExists(home / ".config/tomeo/txthdr.sc"));
}

// --- The variables of a book --------------------------------------------------------

void FillSampleBook(TBOOKDESC& desc) {
    add_author(desc, "First", "Middle", "Last");
    add_author(desc, "", "", "Solo");
    add_genre(desc, "sf", "80");
    add_genre(desc, "humor", "");
    desc.title.assign("Title");
    desc.seq.assign("Seq");
    desc.seqnum.assign("3");
    desc.subseq.assign("Sub");
    desc.subseqnum.assign("1");
    desc.publisher.assign("Pub");
    desc.publcity.assign("City");
    desc.publyear.assign("1999");
    desc.isannt = 1;
}

std::string FileName(SCRIPT& script, const std::string& text, const TBOOKDESC& desc,
                     const BookFileNames& names) {
    script.set_text(text.c_str());
    HSTR name;
    ComputeFileName(script, desc, names, name);
    return name.c_str();
}

// A script that joins the values (of variables or calls), one operation a line as the
// language has it.
std::string Joining(const std::vector<std::string>& variables) {
    std::string text = "$filename = \"\"\n";
    for (const std::string& v : variables) {
        text += "$v = " + v + "\n$filename = $filename + $v\n$filename = $filename + \"|\"\n";
    }
    return text;
}

TEST(BookVariables, EveryInputVariableComesFromTheBookAndItsFile) {
    TBOOKDESC desc;
    FillSampleBook(desc);
    SCRIPT script;
    const BookFileNames zipped{"/books/in/", "book.fb2", "arch.ZIP"};
    EXPECT_EQ(FileName(script,
                       Joining({"$title", "$seq", "$seqnum", "$subseq", "$subseqnum", "$srcdir",
                                "$bookfile", "$bookfileext", "$srcfile", "$srcfileext",
                                "$publisher", "$publcity", "$publyear", "author(1, \"m\")",
                                "author(2, \"l\")", "genre(2)", "genrematch(1)"}),
                       desc, zipped),
              "Title|Seq|3|Sub|1|/books/in|book.fb2|.fb2|arch.ZIP|.ZIP|Pub|City|1999|Middle|"
              "Solo|humor|80|");
    SCRIPT numbers;
    numbers.set_text("$n = $authorno + $genreno\n$n = $n + $isannt");
    BindBookVariables(numbers, desc, zipped);
    numbers.Run();
    EXPECT_EQ(numbers.get_integer("$n"), 5);

    // A book in the root folder, a name without extension; nothing of the last book
    // survives into the next.
    const TBOOKDESC empty;
    EXPECT_EQ(FileName(script, Joining({"$srcdir", "$bookfileext", "$title", "$seq"}), empty,
                       {"/", "README", "README"}),
              "||||");
    EXPECT_THROW(FileName(script, "$filename = $n", empty, zipped), SCRIPTError);
}

TEST(BookVariables, ResultsAndErrorsOfTheTwoScripts) {
    TBOOKDESC desc;
    FillSampleBook(desc);
    const BookFileNames names{"/b/", "x.fb2", "x.fb2"};
    SCRIPT move;
    WSTR dir;
    move.set_text("$dir = \"/to/\" + $title");
    ComputeDirectory(move, desc, names, dir);
    EXPECT_STREQ(dir.c_str(), "/to/Title");

    SCRIPT rename;
    HSTR name;
    // Control characters of the book become "_" in both results.
    TBOOKDESC odd;
    odd.title.assign("a\tb\x1B[31mc\r\nd\x7F");
    ComputeDirectory(move, odd, names, dir);
    EXPECT_STREQ(dir.c_str(), "/to/a_b_[31mc__d\x7F");
    rename.set_text("$filename = $title");
    ComputeFileName(rename, odd, names, name);
    EXPECT_STREQ(name.c_str(), "a_b_[31mc__d\x7F");

    rename.set_text("$filename = 1");  // defined as a string
    EXPECT_THROW(ComputeFileName(rename, desc, names, name), SCRIPTError);
    EXPECT_EQ(rename.error_code(), kScriptTypeMismatch);
    EXPECT_STRNE(rename.error_message(), "");
}

}  // namespace
}  // namespace tomeo::test
