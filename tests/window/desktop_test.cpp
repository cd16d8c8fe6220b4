// The viewers, the help page and the context-menu entry against fake desktop programs
// (xdg-mime, xdg-open, update-desktop-database and a viewer: shell scripts that record
// their arguments), under a temporary home whose folders every XDG variable points into.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "batch/app.h"
#include "batch/book_scripts.h"
#include "batch/directory_scan.h"
#include "batch/pipeline.h"
#include "core/resources.h"
#include "core/wbuf.h"
#include "tests/support/cp1251_text.h"
#include "tests/support/sample_books.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "window/command_words.h"
#include "window/desktop_entry.h"
#include "window/desktop_viewers.h"
#include "window/help_page.h"

namespace tomeo {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::W;
using test::WriteFile;
using test::WaitForLines;
using test::WriteScript;

class DesktopTest : public ::testing::Test {
protected:
    DesktopTest() : pipeline(std::make_unique<Pipeline>(MakePipelineContext(globals, run, view))) {
        for (const char* dir : {"home", "bin", "data/applications", "share/applications", "cache",
                                "runtime", "books", "my viewers"}) {
            std::filesystem::create_directories(tmp / dir);
        }
        chmod((tmp / "runtime").c_str(), 0700);
        env.Set("HOME", tmp / "home");
        env.Set("PATH", tmp / "bin");  // the fakes only: no desktop program of this machine
        env.Set("XDG_CONFIG_HOME", tmp / "config");
        env.Set("XDG_CACHE_HOME", tmp / "cache");
        env.Set("XDG_DATA_HOME", tmp / "data");
        env.Set("XDG_DATA_DIRS", tmp / "share");
        env.Set("XDG_RUNTIME_DIR", tmp / "runtime");
        // Each fake records its arguments, one a line, into its log.
        for (const char* fake : {"xdg-open", "update-desktop-database"}) {
            WriteScript(tmp / (std::string("bin/") + fake), Record(fake));
        }
        WriteScript(viewer, Record("viewer"));
        SetAssociation("");
        LoadScriptResource(globals.scripts.rename, kRenameScriptResource);
        LoadScriptResource(globals.scripts.move, kMoveScriptResource);
    }

    std::string Record(const std::string& name) const {
        return "printf '%s\\n' \"$@\" >> '" + Log(name) + "'";
    }
    std::string Log(const std::string& name) const { return tmp / (name + ".log"); }
    std::string LogOf(const std::string& name) const {
        return FileExists(Log(name)) ? ReadFile(Log(name)) : "";
    }

    // xdg-mime answers with that desktop id for every type (and records the query).
    void SetAssociation(const std::string& id) {
        WriteScript(tmp / "bin/xdg-mime", Record("xdg-mime") + "\necho '" + id + "'");
    }

    // Lists the books folder and makes the entry of that (archive) name current.
    void Select(const std::string& name) {
        run.current_dir.assign(W(tmp / "books/").c_str());
        globals.file_list.ClearFileList();
        ScanDirectory(globals.file_list, run.current_dir.c_str(), SCAN_DIRECTORY, false, "*");
        for (std::int32_t i = 0; i < globals.file_list.count(); ++i) {
            const TFILEINF& e = globals.file_list.at(i);
            if (W(name) == e.name.c_str() || W(name) == e.zipname.c_str()) {
                pipeline->MakeCurrent(i);
                return;
            }
        }
        ADD_FAILURE() << name << " is not listed";
    }

    TempDir tmp;
    test::ScopedEnv env;
    const std::string viewer = tmp / "my viewers/view 'it'";
    Globals globals;
    RunBuffers run;
    NoFileListView view;
    std::unique_ptr<Pipeline> pipeline;
};

TEST(CommandWords, SplitLikeAShellWithoutExpanding) {
    const struct {
        const char* command;
        std::vector<std::string> words;
    } cases[] = {
        {"", {}},
        {"  \t ", {}},
        {"/usr/bin/fbreader", {"/usr/bin/fbreader"}},
        {"  a   b\tc ", {"a", "b", "c"}},
        {"'/opt/My Reader/run' --new", {"/opt/My Reader/run", "--new"}},
        {"\"/opt/My Reader/run\"", {"/opt/My Reader/run"}},
        {"/opt/My\\ Reader/run", {"/opt/My Reader/run"}},
        {"\"a \\\"q\\\" \\$HOME \\n\"", {"a \"q\" $HOME \\n"}},
        {"'it'\\''s' x\"y\"z", {"it's", "xyz"}},
        {"$HOME ~ *.txt `x`", {"$HOME", "~", "*.txt", "`x`"}},
        {"a '' \"\"", {"a", "", ""}},
        {"'open quote runs on", {"open quote runs on"}},
        {"\"open", {"open"}},
        {"trailing\\", {"trailing\\"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitCommandWords(c.command), c.words) << c.command;
    }
    for (const std::string word : {"plain", "with space", "it's", "a\"b", "back\\slash", ""}) {
        EXPECT_EQ(SplitCommandWords(QuoteCommandWord(word)), std::vector<std::string>{word});
    }
    EXPECT_EQ(QuoteCommandWord("/usr/bin/xdg-open"), "/usr/bin/xdg-open");
}

TEST_F(DesktopTest, KindsHaveTheirTypes) {
    EXPECT_STREQ(MimeTypeOfKind(KIND_TXT), "text/plain");
    EXPECT_STREQ(MimeTypeOfKind(KIND_FB2), "application/x-fictionbook+xml");
    EXPECT_STREQ(MimeTypeOfKind(KIND_RTF), "application/rtf");
    EXPECT_STREQ(MimeTypeOfKind(KIND_DIRECTORY), "application/rtf");
}

TEST_F(DesktopTest, ConfiguredViewerIsUsedEvenWhenTheDesktopHasAnAssociation) {
    SetAssociation("reader.desktop");
    WriteFile(tmp / "data/applications/reader.desktop", "[Desktop Entry]\n");
    WriteFile(tmp / "books/Книга один.txt", "text");
    run.settings.viewer_txt.assign(
        W("'" + tmp / "my viewers/view '\\''it'\\''" + "' --page 1").c_str());
    DesktopViewers viewers(run.settings, globals.temp_files);
    Select("Книга один.txt");
    EXPECT_TRUE(viewers.Known(KIND_TXT));
    viewers.Open(*pipeline);
    EXPECT_EQ(WaitForLines(Log("viewer"), 3), "--page\n1\n" + tmp / "books/Книга один.txt\n");
    EXPECT_EQ(LogOf("xdg-mime"), "") << "no lookup for a configured viewer";
    EXPECT_EQ(LogOf("xdg-open"), "");
}

TEST_F(DesktopTest, UnquotedPathOfAProgramIsOneWord) {
    WriteFile(tmp / "books/a.rtf", "{\\rtf1}");
    run.settings.viewer_rtf.assign(W(viewer).c_str());  // as the file dialog gives it
    DesktopViewers viewers(run.settings, globals.temp_files);
    Select("a.rtf");
    viewers.Open(*pipeline);
    EXPECT_EQ(WaitForLines(Log("viewer"), 1), tmp / "books/a.rtf\n");
}

TEST_F(DesktopTest, ClearedViewerLooksTheAssociationUpOnce) {
    SetAssociation("reader.desktop");
    WriteFile(tmp / "share/applications/reader.desktop", "[Desktop Entry]\n");
    WriteFile(tmp / "books/a.txt", "text");
    run.settings.viewer_txt.assign(viewer.c_str());
    DesktopViewers viewers(run.settings, globals.temp_files);
    run.settings.viewer_txt.assign("");
    EXPECT_STRNE(viewers.Lookup(KIND_TXT), "") << "the settings count after Reset only";
    viewers.Reset();
    Select("a.txt");
    EXPECT_TRUE(viewers.Known(KIND_TXT));
    EXPECT_STREQ(viewers.Lookup(KIND_TXT), W(tmp / "bin/xdg-open").c_str());
    viewers.Open(*pipeline);
    EXPECT_EQ(WaitForLines(Log("xdg-open"), 1), tmp / "books/a.txt\n");
    viewers.Open(*pipeline);
    EXPECT_EQ(WaitForLines(Log("xdg-open"), 2), tmp / "books/a.txt\n" + tmp / "books/a.txt\n");
    EXPECT_EQ(LogOf("xdg-mime"), "query\ndefault\ntext/plain\n") << "looked up once";
    EXPECT_EQ(LogOf("viewer"), "");
}

TEST_F(DesktopTest, NoAssociationDisablesTheKindUntilReset) {
    const struct {
        const char* answer;
        bool entry;   // the desktop entry the answer names exists
        bool opener;  // xdg-open is installed
        bool known;
    } cases[] = {
        {"", false, true, false},
        {"gone.desktop", false, true, false},
        {"../reader.desktop", true, true, false},
        {"reader.desktop", true, false, false},
        {"reader.desktop", true, true, true},
        {"vendor-reader.desktop", true, true, true},  // found as vendor/reader.desktop
    };
    for (const auto& c : cases) {
        SetAssociation(c.answer);
        std::filesystem::remove_all(tmp / "data/applications");
        std::filesystem::create_directories(tmp / "data/applications/vendor");
        if (c.entry) {
            WriteFile(tmp / "data/applications/reader.desktop", "[Desktop Entry]\n");
            WriteFile(tmp / "data/applications/vendor/reader.desktop", "[Desktop Entry]\n");
        }
        if (!c.opener) std::filesystem::rename(tmp / "bin/xdg-open", tmp / "xdg-open");
        DesktopViewers viewers(run.settings, globals.temp_files);
        EXPECT_EQ(viewers.Known(KIND_FB2), c.known) << c.answer;
        if (!c.known) {
            EXPECT_STREQ(viewers.Lookup(KIND_FB2), "$");
        }
        if (!c.opener) std::filesystem::rename(tmp / "xdg-open", tmp / "bin/xdg-open");
    }

    // "$" stays until Reset, even once the desktop has an association.
    SetAssociation("");
    DesktopViewers viewers(run.settings, globals.temp_files);
    EXPECT_FALSE(viewers.Known(KIND_RTF));
    SetAssociation("reader.desktop");
    EXPECT_FALSE(viewers.Known(KIND_RTF));
    WriteFile(tmp / "books/a.rtf", "{\\rtf1}");
    Select("a.rtf");
    viewers.Open(*pipeline);
    viewers.Reset();
    EXPECT_TRUE(viewers.Known(KIND_RTF));
    EXPECT_EQ(LogOf("xdg-open"), "") << "nothing started for a kind without a viewer";
}

TEST_F(DesktopTest, ZippedBooksOpenAsPrivateCopiesDeletedBeforeTheNextViewer) {
    test::Fb2Shape one, two;
    two.title = "Другая";
    WriteFile(tmp / "books/a.zip",
              test::MakeZip({.name = "Один.fb2", .content = test::MakeFb2(one)}));
    WriteFile(tmp / "books/b.zip",
              test::MakeZip({.name = "two.fb2", .content = test::MakeFb2(two)}));
    run.settings.viewer_fb2.assign(QuoteCommandWord(W(viewer)).c_str());
    DesktopViewers viewers(run.settings, globals.temp_files);
    const std::string copy_a = tmp / "runtime/tomeo/tmp_Один.fb2";
    const std::string copy_b = tmp / "runtime/tomeo/tmp_two.fb2";

    Select("a.zip");
    viewers.Open(*pipeline);
    EXPECT_EQ(WaitForLines(Log("viewer"), 1), copy_a + "\n");
    EXPECT_EQ(ReadFile(copy_a), test::MakeFb2(one));
    ASSERT_EQ(globals.temp_files.count(), 1);

    Select("b.zip");
    viewers.Open(*pipeline);
    EXPECT_EQ(WaitForLines(Log("viewer"), 2), copy_a + "\n" + copy_b + "\n");
    EXPECT_FALSE(FileExists(copy_a)) << "the first copy went before the second was made";
    EXPECT_EQ(ReadFile(copy_b), test::MakeFb2(two));
    EXPECT_EQ(globals.temp_files.count(), 1);

    // The same book again: its old copy goes, a new one is made.
    viewers.Open(*pipeline);
    EXPECT_EQ(WaitForLines(Log("viewer"), 3), copy_a + "\n" + copy_b + "\n" + copy_b + "\n");
    EXPECT_EQ(globals.temp_files.count(), 1);

    // A copy left by a run that was killed does not stop the book from opening.
    globals.temp_files.ClearTempFiles();
    viewers.Open(*pipeline);
    EXPECT_EQ(WaitForLines(Log("viewer"), 4),
              copy_a + "\n" + copy_b + "\n" + copy_b + "\n" + copy_b + "\n");

    globals.temp_files.DeleteTempFiles();  // as at exit
    EXPECT_FALSE(FileExists(copy_b));
    EXPECT_TRUE(FileExists(tmp / "books/a.zip"));
    EXPECT_TRUE(FileExists(tmp / "books/b.zip"));
}

TEST_F(DesktopTest, BrokenZippedBookStartsNothing) {
    std::string zip = test::MakeZip({.name = "bad.fb2", .content = test::MakeFb2({})});
    zip[40] ^= 0x55;  // inside the deflated data
    WriteFile(tmp / "books/bad.zip", zip);
    run.settings.viewer_fb2.assign(QuoteCommandWord(W(viewer)).c_str());
    DesktopViewers viewers(run.settings, globals.temp_files);
    Select("bad.zip");
    viewers.Open(*pipeline);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(LogOf("viewer"), "");
    EXPECT_EQ(globals.temp_files.count(), 0);
    EXPECT_FALSE(FileExists(tmp / "runtime/tomeo/tmp_bad.fb2"));
}

TEST_F(DesktopTest, HelpPageIsWrittenToTheCacheAndHandedToTheOpener) {
    WriteFile(tmp / "cache/tomeo.html", "");  // not ours
    ASSERT_TRUE(ShowHelpPage());
    const std::string page = tmp / "cache/tomeo/tomeo.html";
    EXPECT_EQ(WaitForLines(Log("xdg-open"), 1), page + "\n");
    WBUF help;
    ASSERT_TRUE(LoadResourceFile(help, "HELP_2"));
    const std::string bytes = ReadFile(page);
    EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(help.data()), help.length()));
    // The bytes are what the page declares.
    EXPECT_NE(bytes.find("<meta charset=\"windows-1251\">"), std::string::npos);
    EXPECT_NE(bytes.find(W("Командная строка")), std::string::npos);

    WriteFile(page, "old");
    ASSERT_TRUE(ShowHelpPage());
    EXPECT_EQ(ReadFile(page), bytes) << "rewritten every time";

    std::filesystem::remove(tmp / "bin/xdg-open");
    EXPECT_FALSE(ShowHelpPage());
    WriteFile(tmp / "cache-file", "");
    env.Set("XDG_CACHE_HOME", tmp / "cache-file");
    WSTR path;
    EXPECT_FALSE(WriteHelpPage(path));
}

class ContextMenuTest : public DesktopTest {
protected:
    std::string Entry() const {
        const std::string path = tmp / "data/applications/tomeo-open.desktop";
        return FileExists(path) ? ReadFile(path) : "";
    }
    // desktop-file-validate's complaints (empty: valid); skipped where it is missing.
    std::string Validate() const {
        if (!FileExists("/usr/bin/desktop-file-validate")) return "";
        const std::string out = tmp / "validate.out";
        const std::string command = "/usr/bin/desktop-file-validate '" +
                                    tmp / "data/applications/tomeo-open.desktop" + "' >'" + out +
                                    "' 2>&1";
        const int status = std::system(command.c_str());
        return status == 0 ? ReadFile(out) : "failed: " + ReadFile(out);
    }
    const std::string program = "/opt/Мои программы/tomeo";
};

TEST_F(ContextMenuTest, EntryFollowsTheBoxesOneAtATime) {
    const ContextMenuFlags none, txt{true, false, false}, txt_fb2{true, true, false},
        fb2_rtf{false, true, true};
    EXPECT_TRUE(ApplyContextMenuFlags(none, txt, program));
    EXPECT_EQ(Entry(),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Утилита\u00A0Tomeo\n"
              "Exec=\"/opt/Мои программы/tomeo\" %f\n"
              "Icon=tomeo\n"
              "Terminal=false\n"
              "NoDisplay=true\n"
              "MimeType=text/plain;\n");
    EXPECT_EQ(Validate(), "");
    EXPECT_EQ(LogOf("update-desktop-database"), tmp / "data/applications/\n");

    EXPECT_TRUE(ApplyContextMenuFlags(txt, txt_fb2, program));
    EXPECT_NE(Entry().find("MimeType=text/plain;application/x-fictionbook+xml;\n"),
              std::string::npos);
    EXPECT_TRUE(ApplyContextMenuFlags(txt_fb2, fb2_rtf, program));
    EXPECT_NE(Entry().find("MimeType=application/x-fictionbook+xml;application/rtf;\n"),
              std::string::npos);
    EXPECT_EQ(Validate(), "");

    // Nothing changed: nothing is done (not even an entry the user deleted comes back).
    std::filesystem::remove(tmp / "data/applications/tomeo-open.desktop");
    EXPECT_TRUE(ApplyContextMenuFlags(fb2_rtf, fb2_rtf, program));
    EXPECT_EQ(Entry(), "");
    EXPECT_TRUE(ApplyContextMenuFlags(txt, fb2_rtf, program));
    EXPECT_NE(Entry(), "");

    EXPECT_TRUE(ApplyContextMenuFlags(fb2_rtf, none, program));
    EXPECT_FALSE(FileExists(tmp / "data/applications/tomeo-open.desktop"));
    EXPECT_TRUE(ApplyContextMenuFlags(txt, none, program)) << "already gone";
    // Every other file stays as it was: the user's defaults are never touched.
    EXPECT_EQ(test::FilesBelow(tmp / "data/"), std::vector<std::string>{});
    EXPECT_EQ(LogOf("xdg-mime"), "");
}

TEST_F(ContextMenuTest, ProgramPathIsQuotedAsTheExecKeyWants) {
    const struct {
        std::string path, exec;
    } cases[] = {
        {"/usr/bin/tomeo", "/usr/bin/tomeo"},
        {"/opt/a b/tomeo", "\"/opt/a b/tomeo\""},
        {"/opt/$x`y\"z/tomeo", "\"/opt/\\\\$x\\\\`y\\\\\"z/tomeo\""},
        {"/opt/back\\slash/tomeo", "\"/opt/back\\\\\\\\slash/tomeo\""},
        {"/opt/100%/tomeo", "/opt/100%%/tomeo"},
    };
    for (const auto& c : cases) {
        const std::string text = ContextMenuEntryText({true, false, false}, c.path);
        EXPECT_NE(text.find("\nExec=" + c.exec + " %f\n"), std::string::npos) << text;
        EXPECT_TRUE(ApplyContextMenuFlags({}, {true, false, false}, c.path));
        EXPECT_EQ(Validate(), "") << c.path;
        EXPECT_TRUE(ApplyContextMenuFlags({true, false, false}, {}, c.path));
    }
    EXPECT_EQ(ContextMenuEntryText({true, false, false}, "/a\nb"), "");
    EXPECT_FALSE(ApplyContextMenuFlags({}, {true, false, false}, "/a\nb"));
    EXPECT_FALSE(FileExists(tmp / "data/applications/tomeo-open.desktop"));
}

TEST_F(ContextMenuTest, RunningProgramIsTheDefault) {
    ASSERT_TRUE(ApplyContextMenuFlags({}, {false, false, true}));
    EXPECT_NE(Entry().find(std::filesystem::read_symlink("/proc/self/exe").string()),
              std::string::npos);
}

}  // namespace
}  // namespace tomeo
