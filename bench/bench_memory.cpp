// Peak memory of the program (build/tomeo, or the path given) on one large book, as a
// multiple of the book's size: -u, -t and -z on a UTF-8 FB2 book, -d and -z on a code
// page 866 text, loose and zipped (-z on loose books only), in two shapes: ordinary
// paragraphs, and the whole content as one paragraph. Beside them the peak memory of the
// peer tools on the same file: iconv for -u and -d, Info-ZIP's zip for -z. -t also runs on
// the book in Windows-1251, where a collected paragraph is as long as its part of the book.
//
// Target: every operation within 2.5 times the book's uncompressed size plus a constant
// (kConstantMB, the program's own code and tables). The books are 200 MB; the variable
// BENCH_MEMORY_MB gives another size.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "core/charset.h"

namespace {

using namespace tomeo;
using namespace tomeo::bench;

constexpr double kTarget = 2.5;
constexpr double kConstantMB = 16;

enum class Shape { kParagraphs, kOneParagraph };

// Windows-1251 text of about `size` bytes; as one paragraph its line ends are spaces.
std::string Text1251(std::size_t size, Shape shape) {
    std::string text = MakeBook(size);
    if (shape == Shape::kOneParagraph) {
        for (char& c : text) {
            if (c == '\r' || c == '\n') c = ' ';
        }
    }
    return text;
}

// A UTF-8 FB2 book of about `size` bytes: sections of paragraphs with a note link now and
// then, or one section of one paragraph with emphasis and note links inside it.
std::string MakeFb2(std::size_t size, Shape shape) {
    // Russian letters take two bytes in UTF-8, spaces and punctuation one.
    const std::string text = cp1251_to_utf8(Text1251(size * 10 / 18, shape));
    std::string book;
    book.reserve(text.size() + text.size() / 8 + 4096);
    book +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FictionBook xmlns:l=\"http://www.w3.org/"
        "1999/xlink\"><description><title-info><author><first-name>Лев</first-name>"
        "<last-name>Толстой</last-name></author><book-title>Роман</book-title>"
        "</title-info></description>\n<body>";
    if (shape == Shape::kOneParagraph) {
        book += "<section><title><p>Глава 1</p></title><p>";
        for (std::size_t at = 0; at < text.size();) {
            // A word set off or a note link every few thousand bytes, on a character boundary.
            std::size_t end = text.find(' ', std::min(at + 4000, text.size()));
            if (end == std::string::npos) end = text.size();
            book.append(text, at, end - at);
            book += (end / 4000) % 2 ? " <emphasis>слово</emphasis>"
                                     : "<a l:href=\"#n1\" type=\"note\">1</a>";
            at = end;
        }
        book += "</p></section>";
    } else {
        std::size_t at = 0;
        for (int paragraph = 0; at < text.size(); ++paragraph) {
            if (paragraph % 40 == 0) {
                if (paragraph > 0) book += "</section>\n";
                book += "<section><title><p>Глава " + std::to_string(paragraph / 40 + 1) +
                        "</p></title>\n";
            }
            std::size_t end = text.find("\r\n", at);
            if (end == std::string::npos) end = text.size();
            book += "<p>";
            book.append(text, at, end - at);
            if (paragraph % 25 == 0) book += "<a l:href=\"#n1\" type=\"note\">1</a>";
            book += "</p>\n";
            at = end + 2;
        }
        book += "</section>";
    }
    book +=
        "</body>\n<body name=\"notes\"><section id=\"n1\"><title><p>1</p></title>"
        "<p>Примечание.</p></section></body></FictionBook>\n";
    return book;
}

// The same book in Windows-1251, about `size` bytes: each letter one byte, so a paragraph
// collected for -t is as long as its part of the book.
std::string MakeFb2In1251(std::size_t size, Shape shape) {
    std::string book = MakeFb2(size * 18 / 10, shape);
    book.replace(book.find("UTF-8"), 5, "windows-1251");
    std::string out;
    if (!utf8_to_cp1251(book, out)) std::abort();
    return out;
}

// A code page 866 text of about `size` bytes.
std::string MakeText866(std::size_t size, Shape shape) {
    std::string text = Text1251(size, shape);
    ansi_to_oem(text.data(), text.size());
    return text;
}

// Runs `make` in a child process and waits for it.
void InChild(const std::function<void()>& make) {
    const pid_t pid = fork();
    if (pid == 0) {
        make();
        _exit(0);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::abort();
    }
}

struct Measure {
    const char* label;  // the operation as a user runs it
    std::string file;   // in the books folder
    std::string peer;   // a peer's command on the same file (the loose one), or empty
};

void PrintRow(const std::string& what, long peak, std::size_t book, bool with_target) {
    if (peak < 0) {
        std::printf("  %-36s failed\n", what.c_str());
        return;
    }
    const double ratio = static_cast<double>(peak) / static_cast<double>(book);
    std::printf("  %-36s %8.1f MB  %5.2f times the book", what.c_str(), peak / 1e6, ratio);
    if (with_target) {
        const bool met = peak / 1e6 <= kTarget * book / 1e6 + kConstantMB;
        std::printf("  (target <= %.1f + %.0f MB: %s)", kTarget, kConstantMB,
                    met ? "met" : "NOT MET");
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = ProgramPath(argc, argv);
    if (program.empty()) return 1;
    std::size_t size_mb = 200;
    if (const char* env = std::getenv("BENCH_MEMORY_MB"); env != nullptr && std::atoi(env) > 0) {
        size_mb = static_cast<std::size_t>(std::atoi(env));
    }
    const TempFolder folder;
    const std::string& dir = folder.path();
    const std::string books = dir + "books/";
    const std::string work = dir + "work/";
    Shell("mkdir -p '" + books + "' '" + work + "'");
    const std::string tomeo = "env XDG_CONFIG_HOME='" + dir + "' '" + program + "'";

    std::printf("peak memory of %s (maximum resident set size)\n", program.c_str());
    for (const Shape shape : {Shape::kParagraphs, Shape::kOneParagraph}) {
        const char* shape_name = shape == Shape::kParagraphs ? "paragraphs" : "one";
        const std::string fb2 = std::string(shape_name) + ".fb2";
        const std::string txt = std::string(shape_name) + ".txt";
        const std::string w1251 = std::string(shape_name) + "-1251.fb2";
        // The books are made by a child process: a measured child starts with its parent's
        // resident memory, which would count as its own.
        InChild([&] { WriteFile(books + fb2, MakeFb2(size_mb << 20, shape)); });
        InChild([&] { WriteFile(books + txt, MakeText866(size_mb << 20, shape)); });
        InChild([&] { WriteFile(books + w1251, MakeFb2In1251(size_mb << 20, shape)); });
        const std::size_t fb2_size = std::filesystem::file_size(books + fb2);
        const std::size_t txt_size = std::filesystem::file_size(books + txt);
        const std::size_t w1251_size = std::filesystem::file_size(books + w1251);
        // The zipped books, packed by the program itself.
        for (const std::string& name : {fb2, txt, w1251}) {
            Shell("mkdir -p '" + work + "' && cp '" + books + name + "' '" + work + "' && cd '" +
                  work + "' && " + tomeo + " -z '" + name + "' && mv '" + work +
                  name.substr(0, name.size() - 4) + ".zip' '" + books +
                  name.substr(0, name.size() - 4) + "_" + name.substr(name.size() - 3) + ".zip'");
        }
        const std::string fb2_zip = std::string(shape_name) + "_fb2.zip";
        const std::string txt_zip = std::string(shape_name) + "_txt.zip";
        const std::string w1251_zip = std::string(shape_name) + "-1251_fb2.zip";

        std::printf(
            "\n%s: UTF-8 FB2 book of %.1f MB, Windows-1251 FB2 book of %.1f MB, code page 866 "
            "text of %.1f MB\n",
            shape == Shape::kParagraphs ? "ordinary paragraphs" : "the whole content one paragraph",
            fb2_size / 1e6, w1251_size / 1e6, txt_size / 1e6);
        const std::vector<Measure> measures = {
            {"-u", fb2, "iconv -f utf-8 -t cp1251 '" + work + fb2 + "' > '" + work + "out'"},
            {"-u", fb2_zip, ""},
            {"-t", fb2, ""},
            {"-t", fb2_zip, ""},
            {"-z", fb2, "zip -q '" + work + "out.zip' '" + work + fb2 + "'"},
            {"-t", w1251, ""},
            {"-t", w1251_zip, ""},
            {"-d", txt, "iconv -f cp866 -t cp1251 '" + work + txt + "' > '" + work + "out'"},
            {"-d", txt_zip, ""},
            {"-z", txt, "zip -q '" + work + "out.zip' '" + work + txt + "'"},
        };
        for (const Measure& m : measures) {
            std::size_t book = txt_size;
            if (m.file == w1251 || m.file == w1251_zip) {
                book = w1251_size;
            } else if (m.file == fb2 || m.file == fb2_zip) {
                book = fb2_size;
            }
            const std::string prepare = "rm -rf '" + work + "' && mkdir '" + work + "' && cp '" +
                                        books + m.file + "' '" + work + "'";
            Shell(prepare);
            const long peak = PeakMemoryOf(tomeo + " " + m.label + " '" + work + m.file + "'");
            PrintRow(std::string("tomeo ") + m.label + " " + m.file, peak, book, true);
            if (!m.peer.empty()) {
                const std::string tool = m.peer.substr(0, m.peer.find(' '));
                if (!Have(tool.c_str())) {
                    std::printf("  %-36s not installed\n", tool.c_str());
                    continue;
                }
                Shell(prepare);
                PrintRow("  " + m.peer.substr(0, m.peer.find(" '")), PeakMemoryOf(m.peer), book,
                         false);
            }
        }
        Shell("rm -rf '" + books + "'* '" + work + "'");
    }
    return 0;
}
