#include "tests/window/window_fixture.h"

#include <filesystem>

#include "batch/pipeline.h"
#include "core/charset.h"
#include "tests/support/cp1251_text.h"
#include "tests/support/sample_books.h"

namespace tomeo::test {

void RecordingHost::ShowMessage(const Report& report) {
    messages.push_back(cp1251_to_utf8(report.text()));
}

bool RecordingHost::AskFolder(const char* title, WSTR& chosen) {
    asked.push_back(cp1251_to_utf8(title));
    if (answer) chosen.assign(W(folder).c_str());
    return answer;
}

void RecordingHost::SetWaitCursor(bool on) {
    wait_cursor += on ? 1 : -1;
}

void RecordingHost::ShowControls(const WindowControls& shown) {
    controls = shown;
}

void FakeViewer::Open(Pipeline& pipeline) {
    opened.push_back(cp1251_to_utf8(pipeline.current().name.c_str()));
}

std::string Fb2Book(const std::string& title, const std::string& encoding) {
    Fb2Shape shape;
    shape.title = title;
    shape.encoding = encoding;
    return MakeFb2(shape);
}

std::string TextBook(const std::string& codepage) {
    const std::string utf8 =
        "Иван Петров\r\nКнига о чтении\r\n\r\nЭто первый абзац длинной русской книги, "
        "написанный для проверки определения кодировки по парам букв.\r\nВторой абзац "
        "рассказывает, как хорошо читать книги вечером у окна.\r\n";
    if (codepage == "UTF-8") return utf8;
    std::string text = W(utf8);
    if (codepage == "866") ansi_to_oem(text.data(), text.size());
    return text;
}

std::string RtfBook() {
    return W(
        "{\\rtf1\\ansi\\ansicpg1251{\\info{\\title Книга}{\\author Иван Петров}}"
        "Текст книги.\\par}");
}

std::string ZippedFb2(const std::string& member, const std::string& title) {
    ZipMember zip;
    zip.name = member;
    zip.content = Fb2Book(title, "windows-1251");
    return MakeZip(zip);
}

WindowLogicTest::WindowLogicTest() {
    LoadScriptResource(globals.scripts.header, kHeaderScriptResource);
    SetScript(globals.scripts.rename, "$filename = $title");
    SetScript(globals.scripts.move, "$dir = \"/dir of \" + $title");
    logic = std::make_unique<MainWindowLogic>(globals, run, host, viewer);
}

void WindowLogicTest::Put(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(dir / name).parent_path());
    WriteFile(dir / name, bytes);
}

void WindowLogicTest::SetScript(SCRIPT& script, const std::string& text) {
    script.set_text(W(text).c_str());
}

void WindowLogicTest::Start(const std::string& name, const std::string& subfolder) {
    logic->Start(W(dir / subfolder).c_str(), W(name).c_str());
}

void WindowLogicTest::Choose(const std::string& name) {
    const std::int32_t entry = globals.file_list.FindFileEntry(W(name).c_str(), KIND_NONE, nullptr);
    ASSERT_GE(entry, 0) << name;
    logic->SelectRow(logic->rows().row_of(entry));
}

std::string WindowLogicTest::Rows() const {
    std::string rows;
    const ListRows& r = logic->rows();
    EXPECT_EQ(r.row_count(), globals.file_list.count());
    for (std::int32_t row = 0; row < r.row_count(); ++row) {
        if (!rows.empty()) rows += ' ';
        if (row == r.selected_row()) rows += '*';
        rows += cp1251_to_utf8(globals.file_list.at(r.entry_of(row)).name.c_str());
    }
    return rows;
}

std::string WindowLogicTest::Selected() const {
    const std::int32_t entry = logic->rows().selected_entry();
    if (entry < 0) return "(none)";
    return cp1251_to_utf8(globals.file_list.at(entry).name.c_str());
}

std::string WindowLogicTest::Current() {
    return cp1251_to_utf8(logic->pipeline().current().name.c_str());
}

}  // namespace tomeo::test
