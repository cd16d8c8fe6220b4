#include "tests/ui/ui_fixture.h"

#include <QTreeView>
#include <filesystem>

#include "core/charset.h"
#include "tests/support/cp1251_text.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"
#include "ui/file_list_model.h"

namespace tomeo::test {

std::string Fb2Book(const std::string& first, const std::string& last, const std::string& title,
                    const std::string& encoding) {
    Fb2Shape shape;
    shape.authors = {{first, last}};
    shape.title = title;
    shape.annotation = "Роман о людях, их судьбах и выборе, который каждый делает сам.";
    shape.encoding = encoding;
    return MakeFb2(shape);
}

std::string TextBook(const std::string& codepage) {
    const std::string utf8 =
        "Антон Чехов\r\nРассказы\r\n\r\nЭто первый абзац длинной русской книги, "
        "написанный для проверки определения кодировки по парам букв.\r\nВторой абзац "
        "рассказывает, как хорошо читать книги вечером у окна.\r\n";
    if (codepage == "UTF-8") return utf8;
    std::string text = W(utf8);
    if (codepage == "866") ansi_to_oem(text.data(), text.size());
    return text;
}

std::string RtfBook() {
    return W(
        "{\\rtf1\\ansi\\ansicpg1251{\\info{\\title Мертвые души}{\\author Николай Гоголь}}"
        "Текст книги.\\par}");
}

std::string ZippedFb2(const std::string& member, const std::string& title) {
    ZipMember zip;
    zip.name = member;
    zip.content = Fb2Book("Александр", "Пушкин", title, "windows-1251");
    return MakeZip(zip);
}

void MakeSampleLibrary(const std::string& dir) {
    std::filesystem::create_directories(dir + "Классика");
    std::filesystem::create_directories(dir + "Фантастика");
    WriteFile(dir + kUtf8Fb2, Fb2Book("Лев", "Толстой", "Война и мир"));
    WriteFile(dir + kCp1251Fb2, Fb2Book("Федор", "Достоевский", "Идиот", "windows-1251"));
    std::string long_text = TextBook("866");
    for (int i = 0; i < 300; ++i) long_text += long_text.substr(long_text.size() - 60);
    WriteFile(dir + kDosText, long_text);
    WriteFile(dir + kWinText, TextBook("1251"));
    WriteFile(dir + kRtf, RtfBook());
    WriteFile(dir + kZip, ZippedFb2(kZipMember, "Капитанская дочка"));
}

WindowUnderTest::WindowUnderTest() {
    LoadScripts(globals.scripts);
    window = std::make_unique<MainWindow>(globals, run, viewer);
}

WindowUnderTest::~WindowUnderTest() = default;

void WindowUnderTest::Start(const std::string& dir, const std::string& name) {
    window->Start(W(dir).c_str(), W(name).c_str());
}

std::vector<std::string> WindowUnderTest::Names() const {
    std::vector<std::string> names;
    const FileListModel* model = window->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        names.push_back(model->index(row, 0).data().toString().toStdString());
    }
    return names;
}

std::vector<std::string> WindowUnderTest::RowOf(const std::string& name) const {
    const FileListModel* model = window->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().toString().toStdString() != name) continue;
        std::vector<std::string> texts;
        for (int column = 0; column < model->columnCount(); ++column) {
            texts.push_back(model->index(row, column).data().toString().toStdString());
        }
        return texts;
    }
    return {};
}

bool WindowUnderTest::Choose(const std::string& name) {
    const FileListModel* model = window->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().toString().toStdString() == name) {
            window->list()->setCurrentIndex(model->index(row, 0));
            return true;
        }
    }
    return false;
}

}  // namespace tomeo::test
