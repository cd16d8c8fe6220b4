// The single-file actions and what follows them, and the batch dialog's run.
#include "tests/window/window_fixture.h"

#include <filesystem>

#include "batch/pipeline.h"
#include "batch/progress.h"
#include "core/charset.h"
#include "core/operations.h"
#include "tests/support/cp1251_text.h"
#include "window/row_texts.h"

namespace tomeo {
namespace {

using test::Fb2Book;
using test::W;

// Writes down the rows' changes.
class RecordingListener : public RowsListener {
public:
    void RowsReset() override { events += "reset "; }
    void RowChanged(std::int32_t row) override { events += "changed " + N(row); }
    void RowRemoved(std::int32_t row) override { events += "removed " + N(row); }
    void RowInserted(std::int32_t row) override { events += "inserted " + N(row); }
    void RowSelected(std::int32_t row) override { events += "selected " + N(row); }
    static std::string N(std::int32_t n) { return std::to_string(n) + " "; }
    std::string events;
};

class ActionsTest : public test::WindowLogicTest {
protected:
    // Five UTF-8 FB2 books a..e titled "Книга a" ... "Книга e".
    void PutFive() {
        for (const char* name : {"a", "b", "c", "d", "e"}) {
            Put(std::string(name) + ".fb2", Fb2Book(std::string("Книга ") + name));
        }
    }
    std::string NameField() const { return cp1251_to_utf8(host.controls.name_field); }
    RecordingListener listener;
};

TEST_F(ActionsTest, NextFileRulesPerKindAndSetting) {
    struct Case {
        const char* book;  // selected first; a row always follows it
        NextFileAction Settings::*next;
        NextFileAction setting;
        void (*action)(MainWindowLogic&);
        bool goes_on;
    };
    const auto rename = [](MainWindowLogic& l) { l.Rename(W("новое имя").c_str()); };
    const auto pack = [](MainWindowLogic& l) { l.Pack(); };
    const auto dos = [](MainWindowLogic& l) { l.RecodeDos(); };
    const auto utf8 = [](MainWindowLogic& l) { l.RecodeUtf8(); };
    const auto convert = [](MainWindowLogic& l) { l.Convert(); };
    const Case cases[] = {
        {"a.txt", &Settings::text_next, NEXT_AFTER_RENAME, rename, true},
        {"a.txt", &Settings::text_next, NEXT_AFTER_PACK, rename, false},
        {"a.txt", &Settings::text_next, NEXT_AFTER_PACK, pack, true},
        {"a.txt", &Settings::text_next, NEXT_AFTER_RECODE, dos, true},
        {"a.txt", &Settings::text_next, NEXT_AFTER_RENAME, dos, false},
        {"a.fb2", &Settings::fb2_next, NEXT_AFTER_RENAME, rename, true},
        {"a.fb2", &Settings::fb2_next, NEXT_AFTER_RECODE, utf8, true},
        {"a.fb2", &Settings::fb2_next, NEXT_AFTER_CONVERT, utf8, false},
        {"a.fb2", &Settings::fb2_next, NEXT_AFTER_CONVERT, convert, true},
        {"a.fb2", &Settings::fb2_next, NEXT_AFTER_PACK, convert, false},
        {"a.fb2", &Settings::text_next, NEXT_AFTER_RENAME, rename, false},  // another kind's
        {"a.rtf", &Settings::rtf_next, NEXT_AFTER_PACK, pack, true},
        {"a.rtf", &Settings::rtf_next, NEXT_AFTER_RENAME, pack, false},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir.path());
        std::filesystem::create_directory(dir.path());
        Put("a.txt", test::TextBook("866"));
        Put("a.fb2", Fb2Book("Книга"));
        Put("a.rtf", test::RtfBook());
        Put("b.txt", "b");
        // No kind goes on but the one set.
        run.settings.text_next = run.settings.fb2_next = run.settings.rtf_next =
            static_cast<NextFileAction>(0);
        run.settings.*c.next = c.setting;
        Start(c.book);
        const std::int32_t row = logic->rows().selected_row();
        c.action(*logic);
        EXPECT_TRUE(host.messages.empty()) << c.book << ": " << host.messages.back();
        host.messages.clear();
        EXPECT_EQ(logic->rows().selected_row(), c.goes_on ? row + 1 : row)
            << c.book << " " << int(c.setting);
        EXPECT_EQ(Current(), Selected());
        EXPECT_EQ(host.wait_cursor, 0);
    }
}

TEST_F(ActionsTest, RecodeDisablesItsButtonAndRedrawsTheRow) {
    Put("a.fb2", Fb2Book("Книга"));
    Put("b.fb2", Fb2Book("Книга"));
    Start("a.fb2");
    logic->rows().set_listener(&listener);
    ASSERT_TRUE(host.controls.is_enabled(Control::Utf8ToWin));
    logic->RecodeUtf8();
    EXPECT_FALSE(host.controls.is_enabled(Control::Utf8ToWin));
    EXPECT_EQ(listener.events, "changed 1 ");
    EXPECT_EQ(Selected(), "a.fb2");
    logic->RecodeUtf8();  // disabled now: nothing happens
    EXPECT_EQ(listener.events, "changed 1 ");
}

TEST_F(ActionsTest, RenameRedrawsTheRowOrShowsItsFailure) {
    Put("a.fb2", Fb2Book("Книга"));
    Put("taken.fb2", Fb2Book("Другая"));
    run.settings.fb2_next = NEXT_AFTER_PACK;
    Start("a.fb2");
    logic->rows().set_listener(&listener);
    logic->Rename(W("Новое").c_str());
    EXPECT_EQ(Rows(), ".. *Новое.fb2 taken.fb2");
    EXPECT_EQ(listener.events, "changed 1 ");
    EXPECT_EQ(cp1251_to_utf8(RowTexts(globals.file_list.at(1))[0].c_str()), "Новое.fb2");
    EXPECT_TRUE(test::FileExists(dir / "Новое.fb2"));

    logic->Rename("taken");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("Новое.fb2 не переименован"), std::string::npos)
        << host.messages[0];
    EXPECT_EQ(Rows(), ".. *Новое.fb2 taken.fb2");
    EXPECT_EQ(host.wait_cursor, 0);
}

TEST_F(ActionsTest, RowsAfterAMoveFromTheMiddleOfTheList) {
    PutFive();
    Start("c.fb2");
    logic->rows().set_listener(&listener);
    logic->Move(W(dir / "out").c_str());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(test::FileExists(dir / "out/c.fb2"));
    EXPECT_EQ(Rows(), ".. a.fb2 b.fb2 *d.fb2 e.fb2");
    EXPECT_EQ(listener.events, "selected 4 removed 3 ");
    // Every row still shows, and selecting it reads, its own book.
    for (const char* name : {"e", "a", "d", "b"}) {
        Choose(std::string(name) + ".fb2");
        EXPECT_EQ(Current(), std::string(name) + ".fb2");
        EXPECT_EQ(NameField(), std::string("Книга ") + name);
    }
    // The last row moved: the previous one is selected.
    Choose("e.fb2");
    logic->Move(W(dir / "out").c_str());
    EXPECT_EQ(Rows(), ".. a.fb2 b.fb2 *d.fb2");
    EXPECT_EQ(NameField(), "Книга d");
}

TEST_F(ActionsTest, MoveWithAnEmptyFieldAsksForAFolder) {
    PutFive();
    Start("b.fb2");
    logic->Move("");
    EXPECT_EQ(host.asked,
              (std::vector<std::string>{"Выбирите каталог в который переместить файл"}));
    EXPECT_EQ(Rows(), ".. a.fb2 *b.fb2 c.fb2 d.fb2 e.fb2");  // cancelled
    EXPECT_TRUE(test::FileExists(dir / "b.fb2"));

    host.answer = true;
    host.folder = dir / "chosen";
    logic->Move("");
    EXPECT_TRUE(test::FileExists(dir / "chosen/b.fb2"));
    EXPECT_EQ(Rows(), ".. a.fb2 *c.fb2 d.fb2 e.fb2");

    // Into the directory it is in: nothing to do, the row stays.
    logic->Move(W(dir.path()).c_str());
    EXPECT_EQ(Rows(), ".. a.fb2 *c.fb2 d.fb2 e.fb2");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ActionsTest, AMoveBelowTheListedTreeKeepsTheRow) {
    PutFive();
    Put("sub/x.txt", "x");
    Start("b.fb2");
    logic->ToggleSubdirectories();
    Choose("b.fb2");
    logic->rows().set_listener(&listener);
    logic->Move(W(dir / "sub/deeper").c_str());
    EXPECT_TRUE(test::FileExists(dir / "sub/deeper/b.fb2"));
    EXPECT_EQ(Selected(), "b.fb2");
    EXPECT_EQ(listener.events, "changed 2 ");
    EXPECT_EQ(cp1251_to_utf8(RowTexts(globals.file_list.at(2))[4].c_str()), dir / "sub/deeper");
    // Out of the tree: the row goes.
    test::TempDir elsewhere;
    logic->Move(W(elsewhere.path()).c_str());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(Rows(), ".. a.fb2 *c.fb2 d.fb2 e.fb2 x.txt");
}

TEST_F(ActionsTest, ConvertInsertsTheTextRowAfterTheSelectedOne) {
    Put("a.fb2", Fb2Book("Книга a"));
    Put("b.fb2", Fb2Book("Книга b"));
    run.settings.text_packing = TEXT_NOT_PACKED;
    Start("a.fb2");
    logic->rows().set_listener(&listener);
    logic->Convert();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(Rows(), ".. *a.fb2 a.txt b.fb2");
    EXPECT_EQ(listener.events, "inserted 2 ");
    Choose("b.fb2");
    EXPECT_EQ(Current(), "b.fb2");

    // Again: the text file's row is redrawn, not listed twice.
    Choose("a.fb2");
    listener.events.clear();
    logic->Convert();
    EXPECT_EQ(Rows(), ".. *a.fb2 a.txt b.fb2");
    EXPECT_EQ(listener.events, "changed 2 ");

    // Going on after a conversion passes over the text just made.
    run.settings.fb2_next = NEXT_AFTER_CONVERT;
    logic->Convert();
    EXPECT_EQ(Rows(), ".. a.fb2 a.txt *b.fb2");
}

TEST_F(ActionsTest, OpenStartsTheViewerOnKnownKindsOnly) {
    Put("a.fb2", Fb2Book("Книга"));
    Put("b.txt", "b");
    viewer.known = {KIND_FB2};
    Start("a.fb2");
    logic->Open();
    Choose("b.txt");
    logic->Open();
    logic->EnterRow(2);  // Enter on a book opens it too
    logic->EnterRow(1);
    EXPECT_EQ(viewer.opened, (std::vector<std::string>{"a.fb2", "a.fb2"}));
}

// Stops the run before the book it is asked about the second time.
class StoppingProgress : public ListRunProgress {
public:
    void ListStarted(std::int32_t) override {}
    void FileStarted(const TFILEINF&) override {}
    void FileDone(bool) override {}
    bool StopRequested() override { return ++asked > 1; }
    int asked = 0;
};

TEST_F(ActionsTest, BatchRunIsSortedRedrawnAndReported) {
    Put("z.fb2", Fb2Book("Альфа"));
    Put("y.fb2", Fb2Book("Бета"));
    Put("broken.fb2", "no declaration");
    Start("y.fb2");
    logic->RunBatch(OP_RENAME, nullptr);
    EXPECT_EQ(Rows(), "*.. broken.fb2 Альфа.fb2 Бета.fb2");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("broken.fb2 не переименован"), std::string::npos);
    EXPECT_EQ(host.wait_cursor, 0);

    // Nothing failed: no message.
    logic->RunBatch(OP_ZIP, nullptr);
    EXPECT_EQ(host.messages.size(), 1u);
}

TEST_F(ActionsTest, ABatchMovingBooksAwayKeepsRowsInStep) {
    PutFive();
    test::TempDir elsewhere;
    SetScript(globals.scripts.move, "$dir = \"" + elsewhere.path() + "\"");
    Start("c.fb2");
    logic->rows().set_listener(&listener);
    logic->RunBatch(OP_MOVE, nullptr);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(test::FileExists(elsewhere / "c.fb2"));
    EXPECT_EQ(Rows(), "*..");
    EXPECT_EQ(listener.events,
              "removed 1 removed 1 removed 1 removed 1 removed 1 reset selected 0 ");
}

TEST_F(ActionsTest, AStoppedBatchSaysHowManyBooksItLeft) {
    PutFive();
    Start();
    StoppingProgress progress;
    logic->RunBatch(OP_ZIP, &progress);
    EXPECT_TRUE(test::FileExists(dir / "a.zip"));
    EXPECT_TRUE(test::FileExists(dir / "b.fb2"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Обработка прервана: не обработано книг: 4.");
    EXPECT_EQ(Selected(), "..");
}

}  // namespace
}  // namespace tomeo
