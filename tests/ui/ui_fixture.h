// The real main window over a temporary folder of sample books, for the Qt tests and
// the screenshots. The process must have its own configuration folder (run_offscreen).
#pragma once

#include <memory>
#include <string>

#include "batch/app.h"
#include "ui/main_window.h"
#include "window/book_viewer.h"

namespace tomeo::test {

// Book files (UTF-8 texts stored in the code page named).
std::string Fb2Book(const std::string& author_first, const std::string& author_last,
                    const std::string& title, const std::string& encoding = "UTF-8");
std::string TextBook(const std::string& codepage);  // "866", "1251" or "UTF-8"
std::string RtfBook();
std::string ZippedFb2(const std::string& member, const std::string& title);

// A small library: subfolders, a UTF-8 and a Windows-1251 FB2, a code page 866 and a
// Windows-1251 text, an RTF book and a zipped FB2.
void MakeSampleLibrary(const std::string& dir);
inline constexpr char kUtf8Fb2[] = "Толстой Лев - Война и мир.fb2";
inline constexpr char kCp1251Fb2[] = "Достоевский Федор - Идиот.fb2";
inline constexpr char kDosText[] = "Чехов Антон - Рассказы.txt";
inline constexpr char kWinText[] = "Бунин Иван - Темные аллеи.txt";
inline constexpr char kRtf[] = "Гоголь Николай - Мертвые души.rtf";
inline constexpr char kZipMember[] = "kapitanskaya_dochka.fb2";
inline constexpr char kZip[] = "Пушкин - Капитанская дочка.zip";

// The globals, the default scripts and the main window, not shown yet.
class WindowUnderTest {
public:
    WindowUnderTest();
    ~WindowUnderTest();
    // Shows the window and lists dir (ending with '/') with the entry named selected.
    void Start(const std::string& dir, const std::string& name = "");
    // Selects the row whose first column reads name (UTF-8); false when there is none.
    bool Choose(const std::string& name);
    // The first column of every row, top to bottom (UTF-8).
    std::vector<std::string> Names() const;
    // The texts of the row showing name.
    std::vector<std::string> RowOf(const std::string& name) const;

    Globals globals;
    RunBuffers run;
    NoBookViewer viewer;
    std::unique_ptr<MainWindow> window;
};

}  // namespace tomeo::test
