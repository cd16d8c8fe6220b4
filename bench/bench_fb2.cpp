// The u and t steps on a large UTF-8 FB2 book, in process and through the program
// (build/tomeo, or the path given): the UTF-8 recoding against `iconv -f utf-8 -t cp1251`
// on the same file, the conversion to text in MB of input per second beside calibre's
// `ebook-convert` where it is installed, and the peak memory of `tomeo -t` on a 50 MB book.
//
// Targets: -u at least as fast as iconv; -t at least 50 MB/s; -t in less than 2.5 times
// the book's size in memory.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "convert/fb2_recode.h"
#include "convert/fb2_text.h"
#include "core/charset.h"

namespace {

using namespace tomeo;
using namespace tomeo::bench;

constexpr std::size_t kBookSize = 20u << 20;

// A UTF-8 FB2 book of about `size` bytes: sections of paragraphs of Russian text, a
// note link now and then, a notes body and a picture.
std::string MakeFb2(std::size_t size) {
    // Russian letters take two bytes in UTF-8: about half the size in Windows-1251 text.
    const std::string text = cp1251_to_utf8(MakeBook(size / 2));
    std::string book =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FictionBook xmlns:l=\"http://www.w3.org/"
        "1999/xlink\"><description><title-info><author><first-name>Лев</first-name>"
        "<last-name>Толстой</last-name></author><book-title>Роман</book-title>"
        "<annotation><p>Большой роман.</p></annotation></title-info></description>\n<body>";
    std::size_t at = 0;
    for (int paragraph = 0; at < text.size(); ++paragraph) {
        if (paragraph % 40 == 0) {
            if (paragraph > 0) book += "</section>\n";
            book +=
                "<section><title><p>Глава " + std::to_string(paragraph / 40 + 1) + "</p></title>\n";
        }
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        book += "<p>" + text.substr(at, end - at);
        if (paragraph % 25 == 0) book += "<a l:href=\"#n1\" type=\"note\">1</a>";
        book += "</p>\n";
        at = end + 2;
    }
    book +=
        "</section></body>\n<body name=\"notes\"><section id=\"n1\"><title><p>1</p></title>"
        "<p>Примечание.</p></section></body>\n<binary id=\"cover.jpg\" "
        "content-type=\"image/jpeg\">" +
        std::string(200000, 'A') + "</binary></FictionBook>\n";
    return book;
}

class Header : public TextHeaderScript {
public:
    bool RunHeader(Fb2TextConverter& converter) override {
        return converter.printp("Лев Толстой") && converter.printp("Роман");
    }
};

// Runs one chunked pass over the book, writing every chunk to the file.
template <class Step>
bool Pass(const std::string& book, const std::string& out_path, Step step) {
    std::FILE* out = std::fopen(out_path.c_str(), "wb");
    if (out == nullptr) return false;
    std::vector<unsigned char> chunk(kConvChunkSize);
    TCONVJOB job;
    job.src = reinterpret_cast<const unsigned char*>(book.data());
    job.src_len = static_cast<std::int32_t>(book.size());
    job.dst = chunk.data();
    job.dst_cap = kConvChunkSize;
    const bool ok =
        run_conversion_pass(job, step, [out](const unsigned char* bytes, std::int32_t n) {
            return std::fwrite(bytes, 1, n, out) == static_cast<std::size_t>(n);
        });
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    const TempFolder folder;
    const std::string& dir = folder.path();
    const std::string program = ProgramPath(argc, argv);
    if (program.empty()) return 1;
    // Measured first, while this process is small: the child's peak memory counts what
    // it shares with its parent until it starts the program.
    std::size_t big_size = 0;
    {
        const std::string big = MakeFb2(50u << 20);
        WriteFile(dir + "big.fb2", big);
        big_size = big.size();
    }
    const long peak =
        PeakMemoryOf("env XDG_CONFIG_HOME='" + dir + "' '" + program + "' -t '" + dir + "big.fb2'");
    std::printf("peak memory of the program (%s):\n", program.c_str());
    if (peak > 0) {
        const double ratio = static_cast<double>(peak) / big_size;
        std::printf("  %-34s %8.1f MB for a %.1f MB book: %.2f times (target < 2.5: %s)\n",
                    "tomeo -t peak memory", peak / 1e6, big_size / 1e6, ratio,
                    ratio < 2.5 ? "met" : "NOT MET");
    }

    const std::string book = MakeFb2(kBookSize);
    WriteFile(dir + "book.fb2", book);
    std::printf("book: %.1f MB of UTF-8 FB2 in %s\n", book.size() / 1e6, dir.c_str());

    auto recode = [&] {
        Utf8Recoder recoder;
        TCONVJOB start;
        recoder.recode_utf8_begin(start);
        return Pass(book, dir + "u.fb2", [&](TCONVJOB& job) { recoder.recode_utf8_chunk(job); });
    };
    auto iconv = [&] {
        return Shell("iconv -f utf-8 -t cp1251 '" + dir + "book.fb2' > '" + dir + "iconv.fb2'");
    };
    const std::vector<double> u = BestOfRounds({recode, iconv});
    std::printf("\nrecoding UTF-8 to Windows-1251 (file to file, best of 3):\n");
    Row("Utf8Recoder", u[0], book.size());
    Row("iconv -f utf-8 -t cp1251", u[1], book.size());
    if (u[0] > 0 && u[1] > 0) Ratio("Utf8Recoder / iconv", u[0], u[1], 1.0);

    TBOOKDESC desc;
    Header header;
    auto convert = [&] {
        Fb2TextConverter converter;
        Fb2TextConverter::Input input;
        input.book = {reinterpret_cast<const unsigned char*>(book.data()),
                      static_cast<std::int32_t>(book.size())};
        input.codepage_state = CP_UTF8;
        input.description = &desc;
        input.layout = {TextLayout::kWrapped, 2};
        input.header = &header;
        TCONVJOB start;
        converter.fb2txt_begin(start, input);
        const bool ok =
            Pass(book, dir + "t.txt", [&](TCONVJOB& job) { converter.fb2txt_chunk(job); });
        converter.fb2txt_end();
        return ok;
    };
    const double t = BestOfRounds({convert})[0];
    std::printf("\nFB2 to text (paragraphs wrapped at 70 columns, best of 3):\n");
    Row("Fb2TextConverter", t, book.size());
    if (t > 0) {
        const double mbs = book.size() / t / 1e6;
        std::printf("  %-34s %8.1f MB/s (target >= 50: %s)\n", "input per second", mbs,
                    mbs >= 50 ? "met" : "NOT MET");
    }
    if (Have("ebook-convert")) {
        const double calibre =
            BestOfRounds({[&] {
                             return Shell("ebook-convert '" + dir + "book.fb2' '" + dir +
                                          "c.txt' >/dev/null 2>&1");
                         }},
                         1)[0];
        Row("ebook-convert (calibre)", calibre, book.size());
    } else {
        std::printf("  ebook-convert (calibre) is not installed\n");
    }

    // The program itself, as a user runs it.
    const std::string run = "cd '" + dir + "' && XDG_CONFIG_HOME='" + dir + "' '" + program + "'";
    auto tomeo_u = [&] {
        WriteFile(dir + "u.fb2", book);
        return Shell(run + " -u u.fb2");
    };
    auto tomeo_t = [&] { return Shell(run + " -t book.fb2"); };
    const std::vector<double> e2e = BestOfRounds({tomeo_u, iconv, tomeo_t});
    std::printf("\nthe program (%s), best of 3:\n", program.c_str());
    Row("tomeo -u (with writing the copy)", e2e[0], book.size());
    Row("iconv -f utf-8 -t cp1251", e2e[1], book.size());
    if (e2e[0] > 0 && e2e[1] > 0) Ratio("tomeo -u / iconv", e2e[0], e2e[1], 1.0);
    Row("tomeo -t", e2e[2], book.size());

    return 0;
}
