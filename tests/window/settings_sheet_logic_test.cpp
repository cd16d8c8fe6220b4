// The settings sheet without Qt: the indent rule, what OK stores, the script check.
#include <gtest/gtest.h>


#include "batch/book_scripts.h"
#include "batch/settings.h"
#include "core/resources.h"
#include "tests/support/cp1251_text.h"
#include "window/settings_sheet_logic.h"

namespace tomeo::test {
namespace {

TEST(ParagraphIndent, FieldTextIsCheckedAgainstTheLayout) {
    struct Case {
        const char* text;
        std::uint8_t form;
        int indent;
        bool replace;
    };
    const Case cases[] = {
        {"0", PARAGRAPH_ONE_LINE, 0, false},
        {"0", PARAGRAPH_SEVERAL_LINES, 1, true},  // several lines need an indent
        {"", PARAGRAPH_ONE_LINE, 0, true},        // a cleared field gets the minimum
        {"", PARAGRAPH_SEVERAL_LINES, 1, true},
        {"25", PARAGRAPH_ONE_LINE, 16, true},
        {"16", PARAGRAPH_SEVERAL_LINES, 16, false},
        {"05", PARAGRAPH_ONE_LINE, 5, false},  // left as typed
        {"-1", PARAGRAPH_ONE_LINE, 0, true},
        {"-", PARAGRAPH_SEVERAL_LINES, 1, true},
        {"x", PARAGRAPH_ONE_LINE, 0, true},
        {"7", PARAGRAPH_SEVERAL_LINES, 7, false},
    };
    for (const Case& c : cases) {
        const IndentCheck check = CheckParagraphIndent(c.text, c.form);
        EXPECT_EQ(check.indent, c.indent) << c.text << " form " << int(c.form);
        EXPECT_EQ(check.replace, c.replace) << c.text << " form " << int(c.form);
    }
}

class SheetValuesTest : public ::testing::Test {
protected:
    SheetValuesTest() {
        settings.viewer_txt.assign("/usr/bin/less");
        settings.paragraph_form = PARAGRAPH_SEVERAL_LINES;
        settings.paragraph_indent = 4;
        settings.text_dir.assign("/home/books/txt");
        scripts.rename.set_text("$filename = $title");
        scripts.move.set_text("$dir = \"/books\"");
        scripts.header.set_text("printp($title)");
    }
    Settings settings;
    BookScripts scripts;
};

TEST_F(SheetValuesTest, OnlyTheOpenedPagesAreStored) {
    SettingsSheetValues values = LoadSheetValues(settings, scripts, false);
    EXPECT_EQ(values.viewer_txt, "/usr/bin/less");
    EXPECT_EQ(values.paragraph_indent, 4);
    EXPECT_EQ(values.move_script, "$dir = \"/books\"");
    // Every value changed, only page 1 opened.
    values.fb2_next = NEXT_AFTER_CONVERT;
    values.menu_rtf = true;
    values.subdirectories = true;
    values.viewer_txt = "/usr/bin/vi";
    values.paragraph_indent = 9;
    values.text_dir.clear();
    values.rename_script = "$filename = $seq";
    values.header_script = "";
    OpenedPages opened{};
    opened[static_cast<int>(SettingsPage::kGeneral)] = true;

    const SettingsOutcome outcome = StoreSheetValues(values, opened, settings, scripts);
    EXPECT_TRUE(outcome.accepted);
    EXPECT_TRUE(outcome.subdirectories);
    EXPECT_FALSE(outcome.rename_edited || outcome.move_edited || outcome.viewers_changed);
    EXPECT_EQ(settings.fb2_next, NEXT_AFTER_CONVERT);
    EXPECT_TRUE(settings.menu_rtf);
    EXPECT_STREQ(settings.viewer_txt.c_str(), "/usr/bin/less");
    EXPECT_EQ(settings.paragraph_indent, 4);
    EXPECT_STREQ(settings.text_dir.c_str(), "/home/books/txt");
    EXPECT_STREQ(scripts.rename.get_text(), "$filename = $title");
    EXPECT_STREQ(scripts.header.get_text(), "printp($title)");
    EXPECT_FALSE(scripts.rename.modified() || scripts.header.modified());
}

TEST_F(SheetValuesTest, ScriptPagesStoreTheTextUncheckedAndMarkItModified) {
    SettingsSheetValues values = LoadSheetValues(settings, scripts, true);
    values.rename_script = "if ($title {";  // stored as typed, errors and all
    values.viewer_rtf = "/usr/bin/abiword";
    values.text_packing = TEXT_IN_ZIP;
    OpenedPages opened{};
    opened.fill(true);

    const SettingsOutcome outcome = StoreSheetValues(values, opened, settings, scripts);
    EXPECT_TRUE(outcome.subdirectories);
    EXPECT_TRUE(outcome.rename_edited && outcome.move_edited && outcome.viewers_changed);
    EXPECT_STREQ(scripts.rename.get_text(), "if ($title {");
    EXPECT_TRUE(scripts.rename.modified() && scripts.move.modified() && scripts.header.modified());
    EXPECT_STREQ(settings.viewer_rtf.c_str(), "/usr/bin/abiword");
    EXPECT_EQ(settings.text_packing, TEXT_IN_ZIP);
}

TEST_F(SheetValuesTest, AnUnreadableScriptIsReplacedOnlyByANewText) {
    scripts.rename.set_unreadable("rename.sc: no access");
    scripts.rename.set_modified(false);
    scripts.move.set_unreadable("move.sc: no access");
    SettingsSheetValues values = LoadSheetValues(settings, scripts, false);
    EXPECT_EQ(values.rename_script, "");
    EXPECT_EQ(values.rename_unreadable, "rename.sc: no access");
    values.move_script = "$dir = $title";
    OpenedPages opened{};
    opened.fill(true);

    const SettingsOutcome outcome = StoreSheetValues(values, opened, settings, scripts);
    EXPECT_FALSE(outcome.rename_edited);  // left empty: the file is never overwritten
    EXPECT_TRUE(scripts.rename.unreadable());
    EXPECT_FALSE(scripts.rename.modified());
    EXPECT_TRUE(outcome.move_edited);
    EXPECT_FALSE(scripts.move.unreadable());
    EXPECT_STREQ(scripts.move.get_text(), "$dir = $title");
    EXPECT_TRUE(scripts.move.modified());
}

std::string Resource(const char* name) {
    WBUF bytes;
    EXPECT_TRUE(LoadResourceFile(bytes, name));
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.length());
}

TEST(ScriptCheck, GivesTheFirstErrorAsTheReportShowsIt) {
    struct Case {
        std::string text;
        SheetScript script;
        std::string error;
    };
    const Case cases[] = {
        {Resource(kRenameScriptResource), SheetScript::kRename, ""},
        {Resource(kMoveScriptResource), SheetScript::kMove, ""},
        {Resource(kHeaderScriptResource), SheetScript::kTextHeader, ""},
        {"", SheetScript::kRename, ""},
        {"$filename = $title\r\n$filename = 5\r\n", SheetScript::kRename,
         W("Ошибка выполнения скрипта, несоответствие типов (строка 2).")},
        {"$dir = $nosuch\n", SheetScript::kMove,
         W("Ошибка выполнения скрипта, переменная не определена (строка 1).")},
        {"if ($seq <> \"\") {\n$dir = $seq\n", SheetScript::kMove,
         W("Ошибка в скрипте, нарушена структура '{' и '}'")},  // no line: the block is never
                                                                // closed
        {"$a = author(3, \"l\")\nprintp($a)\n", SheetScript::kTextHeader,
         W("Ошибка выполнения скрипта (строка 1).")},  // the sample book has two authors
        {"printq($title)\n", SheetScript::kTextHeader,
         W("Ошибка в скрипте, неизвестная процедура (строка 1).")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScriptErrorOnSampleBook(c.text.c_str(), c.script), c.error) << c.text;
    }
}

// The check runs on every keystroke: a loop the user is still typing must end in an
// error (the check's small statement budget), never hang the editor.
TEST(ScriptCheck, ARunawayLoopStopsWithAnError) {
    const std::string error = ScriptErrorOnSampleBook(
        "$i = 1\nwhile ($i > 0) {\n$filename = $title\n}\n", SheetScript::kRename);
    EXPECT_EQ(error.rfind(W("Ошибка выполнения скрипта"), 0), 0u) << error;
}

}  // namespace
}  // namespace tomeo::test
