#include "window/settings_sheet_logic.h"

#include "core/charset.h"
#include "core/hstr.h"
#include "core/path_separator.h"

namespace tomeo {

int MinParagraphIndent(std::uint8_t paragraph_form) {
    return paragraph_form == PARAGRAPH_SEVERAL_LINES ? 1 : 0;
}

IndentCheck CheckParagraphIndent(const char* field_text, std::uint8_t paragraph_form) {
    const int minimum = MinParagraphIndent(paragraph_form);
    const HSTR::ParsedInt number = HSTR::parse_int(field_text);
    if (!number.valid || number.value < minimum) return {minimum, true};
    if (number.value > kMaxParagraphIndent) return {kMaxParagraphIndent, true};
    return {number.value, false};
}

SettingsSheetValues LoadSheetValues(const Settings& settings, const BookScripts& scripts,
                                    bool subdirectories) {
    SettingsSheetValues v;
    v.text_next = settings.text_next;
    v.fb2_next = settings.fb2_next;
    v.rtf_next = settings.rtf_next;
    v.subdirectories = subdirectories;
    v.menu_txt = settings.menu_txt;
    v.menu_fb2 = settings.menu_fb2;
    v.menu_rtf = settings.menu_rtf;
    v.viewer_txt = settings.viewer_txt.c_str();
    v.viewer_fb2 = settings.viewer_fb2.c_str();
    v.viewer_rtf = settings.viewer_rtf.c_str();
    v.paragraph_form = settings.paragraph_form;
    v.paragraph_indent = settings.paragraph_indent;
    v.text_packing = settings.text_packing;
    v.text_dir = settings.text_dir.c_str();
    v.rename_script = scripts.rename.get_text();
    v.move_script = scripts.move.get_text();
    v.header_script = scripts.header.get_text();
    v.rename_unreadable = scripts.rename.unreadable_message();
    v.move_unreadable = scripts.move.unreadable_message();
    v.header_unreadable = scripts.header.unreadable_message();
    return v;
}

namespace {

bool Opened(const OpenedPages& opened, SettingsPage page) {
    return opened[static_cast<int>(page)];
}

// The page's text becomes the script's, unchecked; it is written to its file at exit.
// False for an unreadable script's page left empty: nothing changes.
bool StoreScript(SCRIPT& script, const std::string& text) {
    if (script.unreadable() && text.empty()) return false;
    script.set_text(text.c_str());
    script.set_modified(true);
    return true;
}

}  // namespace

SettingsOutcome StoreSheetValues(const SettingsSheetValues& values, const OpenedPages& opened,
                                 Settings& settings, BookScripts& scripts) {
    SettingsOutcome outcome;
    outcome.accepted = true;
    outcome.subdirectories = values.subdirectories;
    if (Opened(opened, SettingsPage::kGeneral)) {
        settings.text_next = values.text_next;
        settings.fb2_next = values.fb2_next;
        settings.rtf_next = values.rtf_next;
        settings.menu_txt = values.menu_txt;
        settings.menu_fb2 = values.menu_fb2;
        settings.menu_rtf = values.menu_rtf;
    }
    if (Opened(opened, SettingsPage::kOpen)) {
        settings.viewer_txt.assign(values.viewer_txt.c_str());
        settings.viewer_fb2.assign(values.viewer_fb2.c_str());
        settings.viewer_rtf.assign(values.viewer_rtf.c_str());
        outcome.viewers_changed = true;
    }
    if (Opened(opened, SettingsPage::kRename)) {
        outcome.rename_edited = StoreScript(scripts.rename, values.rename_script);
    }
    if (Opened(opened, SettingsPage::kMove)) {
        outcome.move_edited = StoreScript(scripts.move, values.move_script);
    }
    if (Opened(opened, SettingsPage::kText)) {
        settings.paragraph_form = values.paragraph_form;
        settings.paragraph_indent = values.paragraph_indent;
        settings.text_packing = values.text_packing;
        settings.text_dir.assign(values.text_dir.c_str());
    }
    if (Opened(opened, SettingsPage::kTextHeader)) {
        StoreScript(scripts.header, values.header_script);
    }
    return outcome;
}

// --- The script check ----------------------------------------------------------------

namespace {

// A typical book: two authors, a series, a genre, an annotation and publishing data,
// zipped, so that every input variable has a value.
void FillSampleBook(TBOOKDESC& desc) {
    add_author(desc, cp1251("Илья"), cp1251("Арнольдович"), cp1251("Ильф"));
    add_author(desc, cp1251("Евгений"), cp1251("Петрович"), cp1251("Петров"));
    desc.title.assign(cp1251("Двенадцать стульев"));
    desc.seq.assign(cp1251("Остап Бендер"));
    desc.seqnum.assign("1");
    desc.subseq.assign(cp1251("Романы"));
    desc.subseqnum.assign("1");
    add_genre(desc, "prose_classic", "100");
    desc.publisher.assign(cp1251("Вагриус"));
    desc.publcity.assign(cp1251("Москва"));
    desc.publyear.assign("1997");
    desc.isannt = 1;
}

// printp() and printannt() of the text header, taking whatever they are given.
class SampleProcedure : public ScriptHandler {
public:
    bool Perform(const char*) override { return true; }
};

// A script being typed easily loops without end ("while" before its counter is
// written): the check gives up far sooner than a real run, which stays quick enough
// for a keystroke. A script on one book needs a few hundred statements.
constexpr std::int64_t kSampleStatementBudget = 200'000;
constexpr std::int64_t kSampleByteBudget = std::int64_t{16} * 1024 * 1024;

}  // namespace

std::string ScriptErrorOnSampleBook(const char* script_text, SheetScript script) {
    TBOOKDESC desc;
    FillSampleBook(desc);
    std::string source_dir = std::string(kPathSeparator == '/' ? "/home/books" : "C:\\books");
    source_dir += kPathSeparator;
    BookFileNames names;
    names.source_dir = source_dir.c_str();
    names.book_file = "Ilf_Petrov_12_stulev.fb2";
    names.source_file = "Ilf_Petrov_12_stulev.fb2.zip";

    SCRIPT sample;
    sample.set_statement_budget(kSampleStatementBudget);
    sample.set_byte_budget(kSampleByteBudget);
    sample.set_text(script_text);
    try {
        switch (script) {
            case SheetScript::kRename: {
                HSTR name;
                ComputeFileName(sample, desc, names, name);
                break;
            }
            case SheetScript::kMove: {
                WSTR dir;
                ComputeDirectory(sample, desc, names, dir);
                break;
            }
            case SheetScript::kTextHeader: {
                SampleProcedure printp;
                SampleProcedure printannt;
                const std::uint32_t printp_reference = sample.add_handler(printp);
                const std::uint32_t printannt_reference = sample.add_handler(printannt);
                BindBookVariables(sample, desc, names);
                sample.define_handler("$_printp_str_", printp_reference);
                sample.define_handler("$_printannt_str_", printannt_reference);
                sample.Run();
                break;
            }
        }
    } catch (const SCRIPTError&) {
        return sample.error_message();
    }
    return {};
}

}  // namespace tomeo
