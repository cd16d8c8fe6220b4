// What the settings sheet decides, without Qt: the values its pages edit, loaded from the
// settings and the scripts and stored back by OK for the pages the user opened; the
// paragraph indent field's rule; and the first error a script text gives on a sample
// book, shown under each script editor while the user types.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "batch/book_scripts.h"
#include "batch/settings.h"
#include "window/main_window_logic.h"

namespace tomeo {

// The pages in their order on the sheet.
enum class SettingsPage : std::uint8_t {
    kGeneral,     // "Общие"
    kOpen,        // "Открыть"
    kRename,      // "Переименовать": rename.sc
    kMove,        // "Переместить": move.sc
    kText,        // "FB2->TXT"
    kTextHeader,  // "FB2->TXT (2)": txthdr.sc
};
inline constexpr int kSettingsPageCount = 6;

// --- The paragraph indent -----------------------------------------------------------

inline constexpr int kMaxParagraphIndent = 16;
inline constexpr int kIndentFieldDigits = 2;  // the field takes at most two characters

// 1 when paragraphs run over several lines (the indent is what marks them), else 0.
int MinParagraphIndent(std::uint8_t paragraph_form);

struct IndentCheck {
    int indent;    // the indent the field stands for
    bool replace;  // the field must show `indent` instead of what it holds
};
// The field's text (as typed) read as a signed decimal number: not a number or below the
// minimum gives the minimum, above 16 gives 16, and the field is rewritten; otherwise the
// text stays as typed ("05" is 5).
IndentCheck CheckParagraphIndent(const char* field_text, std::uint8_t paragraph_form);

// --- The values of the pages -------------------------------------------------------

// Texts are Windows-1251.
struct SettingsSheetValues {
    // "Общие"
    NextFileAction text_next = NEXT_AFTER_RENAME;
    NextFileAction fb2_next = NEXT_AFTER_RENAME;
    NextFileAction rtf_next = NEXT_AFTER_RENAME;
    bool subdirectories = false;  // the list shows the books of subdirectories too
    bool menu_txt = false;
    bool menu_fb2 = false;
    bool menu_rtf = false;
    // "Открыть"
    std::string viewer_txt;
    std::string viewer_fb2;
    std::string viewer_rtf;
    // "FB2->TXT"
    ParagraphForm paragraph_form = PARAGRAPH_ONE_LINE;
    std::uint8_t paragraph_indent = 1;
    TextPacking text_packing = TEXT_AS_SOURCE;
    std::string text_dir;
    // The texts of rename.sc, move.sc and txthdr.sc.
    std::string rename_script;
    std::string move_script;
    std::string header_script;
    // For a script whose file could not be read (its text unknown, shown empty): why.
    std::string rename_unreadable;
    std::string move_unreadable;
    std::string header_unreadable;
};

// What the pages show when the sheet opens; subdirectories: the list's mode is 2.
SettingsSheetValues LoadSheetValues(const Settings& settings, const BookScripts& scripts,
                                    bool subdirectories);

using OpenedPages = std::array<bool, kSettingsPageCount>;

// OK: the values of the opened pages go to the settings and the scripts (a script page
// sets the text unchecked and marks the script modified, so that it is written at exit);
// the pages never opened keep what they had. A script whose file could not be read is
// left alone while its page is still empty, so that the user's file, which may hold
// anything, is never replaced by nothing. The outcome tells the main window what
// changed; subdirectories comes from the values whether or not page 1 was opened.
SettingsOutcome StoreSheetValues(const SettingsSheetValues& values, const OpenedPages& opened,
                                 Settings& settings, BookScripts& scripts);

// --- The script check ----------------------------------------------------------------

enum class SheetScript : std::uint8_t { kRename, kMove, kTextHeader };

// The message of the first error the script text raises when run on a sample book with
// two authors, a series, a genre, an annotation and publishing data (the text the report
// would show, line number included), or empty when it runs cleanly. Quick enough for
// every keystroke: a runaway loop stops early.
std::string ScriptErrorOnSampleBook(const char* script_text, SheetScript script);

}  // namespace tomeo
