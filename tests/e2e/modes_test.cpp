// A book the program writes anew keeps who may read it: the permission bits of the file
// it replaces, and its owner and group where the run may set them (as root).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "core/charset.h"
#include "tests/support/cp1251_text.h"
#include "tests/support/run_tomeo.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"

namespace tomeo::test {
namespace {

TEST(BatchEndToEnd, RewrittenBooksKeepTheirModeAndOwner) {
    const std::string utf8 = MakeFb2({});
    std::string dos = W("Мороз и солнце, день чудесный. Еще ты дремлешь, друг прелестный.\r\n");
    ansi_to_oem(dos.data(), dos.size());
    const struct {
        const char* option;
        const char* source;
        std::string bytes;
        std::string result;
    } cases[] = {
        {"-u", "book.fb2", utf8, "book.fb2"},
        {"-d", "dos.txt", dos, "dos.txt"},
        {"-z", "book.fb2", utf8, "book.zip"},
        {"-r", "x.zip", MakeZip({"x.fb2", utf8}), "Петров Иван - Книга.zip"},
    };
    const bool root = geteuid() == 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        TempDir work;
        WriteFile(work / c.source, c.bytes);
        ASSERT_EQ(chmod((work / c.source).c_str(), 0600), 0);
        if (root) {
            ASSERT_EQ(chown((work / c.source).c_str(), 4321, 4322), 0);
        }
        const TomeoRun run = RunTomeo({c.option, c.source}, work.path());
        EXPECT_EQ(run.exit_code, 0) << run.err;
        struct stat st {};
        ASSERT_EQ(stat((work / c.result).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        if (root) {
            EXPECT_EQ(st.st_uid, 4321u);
            EXPECT_EQ(st.st_gid, 4322u);
        }
    }
}

// Window mode is the window program's: without a display it is the one that answers
// (the command-line program alone would say that this build has no window).
TEST(WindowMode, IsHandedToTheWindowProgram) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') GTEST_SKIP() << name << " is set";
    }
    TempDir work;
    const TomeoRun run = RunTomeo({}, work.path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("DISPLAY"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace tomeo::test
