// Benchmark of the book readers: code page detection and description reading over a
// folder of generated FB2 and text books (books per second, warm cache), and the `d`
// step (code page 866 to Windows-1251) against `iconv -f cp866 -t cp1251` on the same
// 50 MB text.
#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "book/fb2_reader.h"
#include "book/stream_source.h"
#include "book/text_reader.h"
#include "convert/text_codepage.h"
#include "core/charset.h"
#include "platform/syscalls.h"
#include "zip/file_stream.h"

namespace {

namespace fs = std::filesystem;
using namespace tomeo;
using Clock = std::chrono::steady_clock;

constexpr int kBooks = 10000;
constexpr std::int64_t kRecodeBytes = 50ll * 1000 * 1000;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A book opened as the pipeline opens it: a file stream (plain or zip member) that the
// book buffer reads from.
struct OpenBook {
    explicit OpenBook(const std::string& path) : stream(stream_open(path.c_str(), "r")) {
        if (stream != nullptr) source = std::make_unique<StreamBookSource>(*stream);
    }
    ~OpenBook() {
        TCLOSEINFO closed;
        if (stream != nullptr) stream_close(std::move(stream), closed);
    }
    FileStreamPtr stream;
    std::unique_ptr<StreamBookSource> source;
};

const char* const kFirstNames[] = {"Александр", "Лев", "Анна", "Иван", "Мария", "Фёдор", "Антон"};
const char* const kSurnames[] = {"Пушкин",   "Толстой",     "Ахматова", "Тургенев",
                                 "Цветаева", "Достоевский", "Чехов"};
const char* const kProse =
    "Все счастливые семьи похожи друг на друга, каждая несчастливая семья несчастлива "
    "по-своему. Всё смешалось в доме Облонских. Жена узнала, что муж был в связи с бывшею в "
    "их доме француженкою-гувернанткой, и объявила мужу, что не может жить с ним в одном доме.";

std::string Fb2Book(int i) {
    std::string body;
    for (int k = 0; k < 40; ++k) body += std::string("<p>") + kProse + "</p>\n";
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") +
           "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\">\n<description>\n"
           "<title-info>\n<genre match=\"90\">prose_classic</genre>\n<author><first-name>" +
           kFirstNames[i % 7] + "</first-name><last-name>" + kSurnames[i % 7] +
           "</last-name></author>\n<book-title>Книга номер " + std::to_string(i) +
           "</book-title>\n<annotation><p>" + kProse +
           "</p></annotation>\n<sequence name=\"Серия\" number=\"" + std::to_string(i % 12) +
           "\"/>\n</title-info>\n<publish-info><publisher>Издательство</publisher>"
           "<year>1999</year></publish-info>\n</description>\n<body><section>\n" +
           body + "</section></body>\n</FictionBook>\n";
}

std::string TextBook(int i) {
    std::string text = std::string(kFirstNames[i % 7]) + " " + kSurnames[i % 7] + "\nКнига номер " +
                       std::to_string(i) + "\n\n";
    for (int k = 0; k < 20; ++k) text += std::string(kProse) + "\n";
    return text;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Makes the folder of books: FB2 in UTF-8 and Windows-1251, text in 1251 and 866.
void MakeBooks(const fs::path& dir) {
    fs::create_directories(dir);
    for (int i = 0; i < kBooks; ++i) {
        std::string fb2 = Fb2Book(i);
        if (i % 2 == 1) {
            fb2.replace(fb2.find("UTF-8"), 5, "windows-1251");
            fb2 = utf8_to_cp1251_lossy(fb2);
        }
        WriteBytes(dir / ("book" + std::to_string(i) + ".fb2"), fb2);
        std::string text = utf8_to_cp1251_lossy(TextBook(i));
        if (i % 2 == 1) ansi_to_oem(text.data(), text.size());
        WriteBytes(dir / ("book" + std::to_string(i) + ".txt"), text);
    }
}

struct ReadCount {
    int described = 0;
    double seconds = 0;
};

ReadCount ReadAll(const fs::path& dir, const char* extension, BookBuffer& book, NameLists& names) {
    CharReader reader;
    TXMLTAG tag;
    TBOOKDESC desc;
    ReadCount count;
    const auto start = Clock::now();
    for (int i = 0; i < kBooks; ++i) {
        OpenBook file((dir / ("book" + std::to_string(i) + extension)).string());
        if (file.source == nullptr) continue;
        book.start(*file.source);
        reader.codepage_state = CP_UNSET;
        clear_description(desc);
        std::uint32_t result;
        if (extension[1] == 'f') {
            result = read_xml_declaration(book, reader, tag);
            if (result == 0) result = read_fb2_description(book, reader, tag, desc);
        } else {
            result = detect_text_codepage(book, reader);
            if (result == 0) result = read_text_description(book, reader, names, desc);
        }
        if (result == 0) ++count.described;
        book.detach();
    }
    count.seconds = SecondsSince(start);
    return count;
}

void BenchDescriptions(const fs::path& dir) {
    BookBuffer book;
    NameLists names;
    names.ensure_loaded();
    for (const char* extension : {".fb2", ".txt"}) {
        ReadAll(dir, extension, book, names);  // warms the cache
        ReadCount best{0, 1e9};
        for (int run = 0; run < 3; ++run) {
            const ReadCount count = ReadAll(dir, extension, book, names);
            if (count.seconds < best.seconds) best = count;
        }
        std::printf("%s: %d books, %d described, %.3f s, %.0f books/s%s\n", extension, kBooks,
                    best.described, best.seconds, kBooks / best.seconds,
                    extension[1] == 'f' ? (best.seconds < 1.0 ? "  (target: under 1 s: met)"
                                                              : "  (target: under 1 s: MISSED)")
                                        : "");
    }
}

void BenchRecode(const fs::path& dir) {
    const fs::path input = dir / "cp866.txt";
    {
        std::string chunk = utf8_to_cp1251_lossy(std::string(kProse) + "\n");
        ansi_to_oem(chunk.data(), chunk.size());
        std::string text;
        while (static_cast<std::int64_t>(text.size()) < kRecodeBytes) text += chunk;
        WriteBytes(input, text);
    }
    // iconv first (its best of three), with the output going nowhere.
    const std::string command = "iconv -f cp866 -t cp1251 '" + input.string() + "' > /dev/null";
    double iconv_seconds = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        if (std::system(command.c_str()) != 0) {
            std::printf("iconv failed; no comparison\n");
            return;
        }
        iconv_seconds = std::min(iconv_seconds, SecondsSince(start));
    }

    // The `d` step as the pipeline drives it: the whole file read into the book buffer
    // (one per process, so its room is reused from book to book), then 64 KiB chunks
    // written out.
    double step_seconds = 1e9, pass_seconds = 1e9;
    std::vector<unsigned char> chunk(kConvChunkSize);
    BookBuffer book;
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        OpenBook file(input.string());
        book.start(*file.source);
        book.load_more(static_cast<std::int32_t>(fs::file_size(input)));
        const int out = platform::sys_open("/dev/null", O_WRONLY);  // as iconv's output
        const auto step_start = Clock::now();
        double writing = 0;
        TCONVJOB job;
        job.src = book.bytes();
        job.src_len = book.fill();
        job.dst = chunk.data();
        job.dst_cap = kConvChunkSize;
        while (job.src_pos < job.src_len) {
            recode_866_chunk(job);
            const auto write_start = Clock::now();
            platform::sys_write(out, job.dst, static_cast<std::size_t>(job.dst_len));
            writing += SecondsSince(write_start);
            job.dst_len = 0;
        }
        platform::sys_close(out);
        step_seconds = std::min(step_seconds, SecondsSince(step_start) - writing);
        pass_seconds = std::min(pass_seconds, SecondsSince(start));
    }
    const double mb = static_cast<double>(fs::file_size(input)) / 1e6;
    std::printf(
        "d step on %.0f MB: whole pass %.3f s (%.0f MB/s), the step alone %.3f s (%.0f MB/s)\n", mb,
        pass_seconds, mb / pass_seconds, step_seconds, mb / step_seconds);
    std::printf("iconv -f cp866 -t cp1251: %.3f s (%.0f MB/s)\n", iconv_seconds,
                mb / iconv_seconds);
    const double ratio = iconv_seconds / pass_seconds;
    std::printf("ratio (iconv time / d pass time): %.1fx  (target >= 3x: %s)\n", ratio,
                ratio >= 3 ? "met" : "MISSED");
}

}  // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / "tomeo-bench-readers";
    fs::remove_all(dir);
    MakeBooks(dir);
    BenchDescriptions(dir);
    BenchRecode(dir);
    fs::remove_all(dir);
    return 0;
}
