// The refresh after a selection, start-up selection, entering rows, Ctrl+R and the
// settings sheet's follow-up.
#include "tests/window/window_fixture.h"

#include "batch/pipeline.h"
#include "core/charset.h"

namespace tomeo {
namespace {

using test::Fb2Book;

// The enabled operation buttons, and whether the fields and labels are on ("fields"),
// off ("-") or mixed.
std::string Enabled(const WindowControls& c) {
    std::string out;
    const std::pair<Control, const char*> buttons[] = {
        {Control::Open, "open"},      {Control::Pack, "pack"},       {Control::DosToWin, "dos"},
        {Control::Utf8ToWin, "utf8"}, {Control::Fb2ToTxt, "fb2txt"},
    };
    for (const auto& [control, tag] : buttons) {
        if (c.is_enabled(control)) out += std::string(tag) + " ";
    }
    int on = 0;
    const Control fields[] = {Control::NameLabel, Control::NameField, Control::Extension,
                              Control::Rename,    Control::DirLabel,  Control::DirField,
                              Control::Move,      Control::Panel};
    for (Control control : fields) on += c.is_enabled(control) ? 1 : 0;
    out += on == 8 ? "fields" : on == 0 ? "-" : "mixed";
    EXPECT_TRUE(c.is_enabled(Control::List));
    return out;
}

class RefreshTest : public test::WindowLogicTest {};

TEST_F(RefreshTest, EnablingMatrixByKindCodePageAndContainer) {
    Put("866.txt", test::TextBook("866"));
    Put("1251.txt", test::TextBook("1251"));
    Put("utf8.txt", test::TextBook("UTF-8"));
    Put("f1251.fb2", Fb2Book("Книга", "windows-1251"));
    Put("futf8.fb2", Fb2Book("Книга"));
    Put("r.rtf", test::RtfBook());
    Put("z.zip", test::ZippedFb2("z.fb2", "Книга"));
    Put("sub/x.txt", "x");
    viewer.known = {KIND_FB2, KIND_RTF};
    Start();
    struct Case {
        const char* row;
        const char* enabled;
        const char* extension;
    };
    const Case cases[] = {
        {"..", "-", ""},
        {"sub", "-", ""},
        {"866.txt", "pack dos fields", ".txt"},
        {"1251.txt", "pack fields", ".txt"},
        {"utf8.txt", "pack utf8 fields", ".txt"},
        {"f1251.fb2", "open pack fb2txt fields", ".fb2"},
        {"futf8.fb2", "open pack utf8 fb2txt fields", ".fb2"},
        {"r.rtf", "open pack fields", ".rtf"},
        {"z.fb2", "open fb2txt fields", ".fb2"},  // already inside an archive
    };
    for (const Case& c : cases) {
        host.controls.panel = "stale";
        Choose(c.row);
        EXPECT_EQ(Enabled(host.controls), c.enabled) << c.row;
        EXPECT_EQ(host.controls.extension, c.extension) << c.row;
        const bool book = *c.extension != '\0';
        EXPECT_EQ(host.controls.panel.empty(), !book) << c.row;
        EXPECT_EQ(host.controls.name_field.empty(), !book) << c.row;
    }
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.wait_cursor, 0);

    // A drive row empties everything too.
    logic->Start("", "");
    ASSERT_GT(logic->rows().row_count(), 0);
    EXPECT_EQ(Enabled(host.controls), "-");
}

TEST_F(RefreshTest, ProposalsAndScriptErrors) {
    Put("a.fb2", Fb2Book("Повесть"));
    Put("junk.fb2", "no declaration here");
    Start("a.fb2");
    EXPECT_EQ(Selected(), "a.fb2");
    EXPECT_EQ(cp1251_to_utf8(host.controls.name_field), "Повесть");
    EXPECT_EQ(cp1251_to_utf8(host.controls.dir_field), "/dir of Повесть");
    EXPECT_NE(cp1251_to_utf8(host.controls.panel).find("Повесть"), std::string::npos);

    // The description cannot be read: no proposals, no message.
    Choose("junk.fb2");
    EXPECT_EQ(host.controls.name_field, "");
    EXPECT_EQ(host.controls.dir_field, "");
    EXPECT_TRUE(host.messages.empty());

    // A failing rename.sc: its message, an empty name field, the directory still proposed.
    SetScript(globals.scripts.rename, "$filename = nosuchfunction(1)");
    Choose("a.fb2");
    EXPECT_EQ(host.controls.name_field, "");
    EXPECT_EQ(cp1251_to_utf8(host.controls.dir_field), "/dir of Повесть");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("Ошибка"), std::string::npos) << host.messages[0];
}

TEST_F(RefreshTest, StartSelectsTheNamedEntryOrItsArchiveOrTheFirstRow) {
    Put("b.fb2", Fb2Book("Б"));
    Put("c.zip", test::ZippedFb2("inner.fb2", "В"));
    Put("sub/d.fb2", Fb2Book("Г"));
    Start("b.fb2");
    EXPECT_EQ(Rows(), ".. sub *b.fb2 inner.fb2");
    Start("c.zip");
    EXPECT_EQ(Selected(), "inner.fb2");
    Start("missing.fb2");
    EXPECT_EQ(Selected(), "..");
    Start("sub");
    EXPECT_EQ(Selected(), "sub");
    logic->EnterRow(logic->rows().selected_row());
    EXPECT_EQ(Rows(), "*.. d.fb2");
    logic->EnterRow(0);  // up again, the directory just left selected
    EXPECT_EQ(Selected(), "sub");
}

TEST_F(RefreshTest, CtrlRShowsAndHidesTheBooksOfSubdirectories) {
    Put("a.fb2", Fb2Book("А"));
    Put("sub/b.fb2", Fb2Book("Б"));
    Start("a.fb2");
    logic->ToggleSubdirectories();
    EXPECT_EQ(globals.file_list.mode, LIST_MODE_TREE);
    EXPECT_EQ(Rows(), "*.. a.fb2 b.fb2");
    logic->ToggleSubdirectories();
    EXPECT_EQ(Rows(), "*.. sub a.fb2");
    EXPECT_EQ(host.wait_cursor, 0);
}

TEST_F(RefreshTest, AfterSettingsRecomputesOnlyTheEditedField) {
    Put("a.fb2", Fb2Book("Повесть"));
    Start("a.fb2");
    SetScript(globals.scripts.rename, "$filename = \"новое\"");
    SetScript(globals.scripts.move, "$dir = \"/новый\"");

    SettingsOutcome outcome;
    outcome.accepted = true;
    outcome.rename_edited = true;
    logic->AfterSettings(outcome);
    EXPECT_EQ(cp1251_to_utf8(host.controls.name_field), "новое");
    EXPECT_EQ(cp1251_to_utf8(host.controls.dir_field), "/dir of Повесть");

    outcome.rename_edited = false;
    outcome.move_edited = true;
    outcome.viewers_changed = true;
    viewer.known = {KIND_FB2};
    logic->AfterSettings(outcome);
    EXPECT_EQ(cp1251_to_utf8(host.controls.name_field), "новое");
    EXPECT_EQ(cp1251_to_utf8(host.controls.dir_field), "/новый");
    EXPECT_EQ(viewer.resets, 1);
    EXPECT_TRUE(host.controls.is_enabled(Control::Open));

    // A failing script: its message, the field emptied.
    SetScript(globals.scripts.move, "$dir = nosuchfunction(1)");
    logic->AfterSettings(outcome);
    EXPECT_EQ(host.controls.dir_field, "");
    EXPECT_EQ(host.messages.size(), 1u);

    // The subdirectory box: the list mode changes and nothing else is recomputed.
    SetScript(globals.scripts.rename, "$filename = \"другое\"");
    outcome.subdirectories = true;
    outcome.rename_edited = true;
    logic->AfterSettings(outcome);
    EXPECT_EQ(globals.file_list.mode, LIST_MODE_TREE);
    outcome.accepted = false;
    outcome.subdirectories = false;
    logic->AfterSettings(outcome);  // cancelled: nothing
    EXPECT_EQ(globals.file_list.mode, LIST_MODE_TREE);
}

}  // namespace
}  // namespace tomeo
