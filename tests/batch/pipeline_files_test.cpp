// How the pipeline's new files come to be: never under a final name before they are
// complete, over a destination that exists only when it holds exactly the same book, and
// with the permissions and owner of the book they replace.
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "core/charset.h"
#include "platform/files.h"
#include "tests/batch/pipeline_fixture.h"

namespace tomeo::test {
namespace {

using Names = std::vector<std::string>;

const std::string kNamed = "Петров Иван - Книга";

bool HasTemporary(const Names& files) {
    for (const std::string& file : files) {
        const std::size_t slash = file.rfind('/');
        const std::string name = file.substr(slash == std::string::npos ? 0 : slash + 1);
        if (name.starts_with("new_") || platform::IsHiddenTemporaryName(name.c_str())) return true;
    }
    return false;
}

// A run killed after the new file took its name but before the source was deleted
// leaves both; the next run finishes by deleting the source, but only when the file
// under the final name holds exactly the book, judged by its inflated content.
TEST_F(PipelineTest, AnExistingTargetLetsTheSourceGoOnlyWhenItHoldsExactlyTheBook) {
    const std::string book = MakeFb2({});
    std::string changed = book;
    changed[changed.size() / 2] ^= 1;  // same size, one bit apart
    const std::string packed = MakeZip({"book.fb2", book});
    const struct {
        const char* label;
        std::uint32_t operations;
        std::string source, source_bytes, target, target_bytes;
        bool done;
    } cases[] = {
        {"pack, left by a killed run", OP_ZIP, "book.fb2", book, "book.zip", packed, true},
        {"pack, another member name", OP_ZIP, "book.fb2", book, "book.zip",
         MakeZip({"other.fb2", book}), false},
        {"pack, one bit apart", OP_ZIP, "book.fb2", book, "book.zip",
         MakeZip({"book.fb2", changed}), false},
        {"pack, a cut archive", OP_ZIP, "book.fb2", book, "book.zip",
         packed.substr(0, packed.size() - 30), false},
        {"pack, a loose file of that name", OP_ZIP, "book.fb2", book, "book.zip", book, false},
        {"rename a zipped book", OP_RENAME, "x.zip", MakeZip({"x.fb2", book}), kNamed + ".zip",
         MakeZip({kNamed + ".fb2", book}), true},
        {"rename a zipped book, other content", OP_RENAME, "x.zip", MakeZip({"x.fb2", book}),
         kNamed + ".zip", MakeZip({kNamed + ".fb2", changed}), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        PipelineHarness h;
        h.Put(c.source, c.source_bytes);
        h.Put(c.target, c.target_bytes);
        const std::uint32_t result = h.Process(c.source, c.operations);
        EXPECT_EQ(h.Get(c.target), c.target_bytes);  // never touched
        EXPECT_FALSE(HasTemporary(h.Files()));
        if (c.done) {
            EXPECT_EQ(result, 0u);
            EXPECT_EQ(h.Files(), Names{c.target});
        } else {
            EXPECT_NE(result, 0u);
            EXPECT_EQ(h.Get(c.source), c.source_bytes);
        }
    }
}

// Every book the pipeline writes anew keeps who may read it.
TEST_F(PipelineTest, RewrittenBooksKeepTheSourcesPermissionsAndOwner) {
    const std::string utf8 = MakeFb2({});
    std::string dos = W("Мороз и солнце, день чудесный. Еще ты дремлешь, друг прелестный.\r\n");
    ansi_to_oem(dos.data(), dos.size());
    const struct {
        const char* label;
        std::uint32_t operations;
        std::string source, bytes, result;
    } cases[] = {
        {"recode UTF-8", OP_UTF8, "book.fb2", utf8, "book.fb2"},
        {"recode DOS", OP_DOS, "dos.txt", dos, "dos.txt"},
        {"pack", OP_ZIP, "book.fb2", utf8, "book.zip"},
        {"rename a zipped book", OP_RENAME, "x.zip", MakeZip({"x.fb2", utf8}), kNamed + ".zip"},
        {"recode a zipped book", OP_UTF8, "x.zip", MakeZip({"x.fb2", utf8}), "x.zip"},
        {"convert", OP_TOTEXT, "book.fb2", utf8, "book.txt"},
    };
    const bool root = geteuid() == 0;
    for (const mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0444}}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.label) + ", mode " + std::to_string(mode));
            PipelineHarness h;
            h.Put(c.source, c.bytes);
            ASSERT_EQ(chmod(h.Path(c.source).c_str(), mode), 0);
            // Another user's book, where this test may give files away.
            if (root) {
                ASSERT_EQ(chown(h.Path(c.source).c_str(), 4321, 4322), 0);
            }
            ASSERT_EQ(h.Process(c.source, c.operations), 0u);
            struct stat st {};
            ASSERT_EQ(stat(h.Path(c.result).c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, mode);
            if (root) {
                EXPECT_EQ(st.st_uid, 4321u);
                EXPECT_EQ(st.st_gid, 4322u);
            }
        }
    }
}

}  // namespace
}  // namespace tomeo::test
