// The program's speed limits, each figure beside its peer as a ratio, in CPU time (user
// plus system, of the process and what it waits for): the median of several runs taken
// in turns, so that a machine busy with other work changes the figures little.
//
// - `tomeo -t` on UTF-8 FB2 books of 20 and 200 MB with a note link every 7 KB (27,000
//   notes in the larger one), in MB of input per CPU second. Targets: at least 100 MB/s
//   on both, the larger within 20 % of the smaller's throughput.
// - `tomeo -u` against `iconv -f utf-8 -t cp1251` on UTF-8 FB2 books of 20 and 100 MB,
//   and `tomeo -t` (the UTF-8 path of the conversion to text) against the same. Target:
//   at most 0.5 of iconv's time.
// - `tomeo -z` against `pigz -K -p1 -6` (zip output, one thread, level 6) on 1,000 books
//   of 200 KB (one process each way) and on one 20 MB book; the archives' size beside
//   pigz's. Target: at most 0.6 of pigz's time, archives no larger.
// - The archives' size of `tomeo -z` beside pigz's over the sample books (../shared/corpus),
//   which the compression level is held to: no larger in total.
//
// The program is build/tomeo beside the benchmarks, or the path given as argument 1 (so
// an older build can be measured the same way). BENCH_SPEED_RUNS sets the runs of the
// small cases (default 5; the 200 MB -t and the 1,000 books take 3).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "core/charset.h"
#include "tests/support/sample_books.h"

namespace {

namespace fs = std::filesystem;
using namespace tomeo;
using namespace tomeo::bench;

// A note link every this many bytes of text: 27,444 notes in 200 MB.
constexpr std::size_t kNoteEvery = 7288;

// A UTF-8 FB2 book of about `size` bytes: sections of Russian paragraphs, a link to a note
// of its own every kNoteEvery bytes, the notes body, a picture.
std::string MakeNotedFb2(std::size_t size) {
    std::string book =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FictionBook xmlns:l=\"http://www.w3.org/"
        "1999/xlink\"><description><title-info><author><first-name>Лев</first-name>"
        "<last-name>Толстой</last-name></author><book-title>Роман</book-title>"
        "</title-info></description>\n<body>";
    // Russian letters take two bytes in UTF-8: about half the size in Windows-1251 text.
    const std::string text = cp1251_to_utf8(MakeBook(size / 2));
    std::string notes = "<body name=\"notes\">";
    std::size_t since_note = 0;
    int note = 0;
    std::size_t at = 0;
    for (int paragraph = 0; at < text.size(); ++paragraph) {
        if (paragraph % 40 == 0) {
            if (paragraph > 0) book += "</section>\n";
            book.append("<section><title><p>Глава ").append(std::to_string(paragraph / 40 + 1));
            book.append("</p></title>\n");
        }
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        book += "<p>";
        book.append(text, at, end - at);
        since_note += end - at;
        if (since_note >= kNoteEvery) {
            since_note = 0;
            const std::string number = std::to_string(++note);
            book.append("<a l:href=\"#n").append(number).append("\" type=\"note\">");
            book.append(number).append("</a>");
            notes.append("<section id=\"n").append(number).append("\"><title><p>").append(number);
            notes.append("</p></title><p>Примечание номер ")
                .append(number)
                .append(".</p></section>\n");
        }
        book += "</p>\n";
        at = end + 2;
    }
    book += "</section></body>\n" + notes + "</body>\n<binary id=\"cover.jpg\" " +
            "content-type=\"image/jpeg\">" + std::string(200000, 'A') + "</binary></FictionBook>\n";
    return book;
}

// CPU seconds of each contender, median of `runs` rounds taken in turns; a contender is
// a set-up (not timed) and a command. Negative for a contender that failed.
struct Contender {
    std::function<void()> setup;
    std::string command;
};

std::vector<double> MedianCpu(const std::vector<Contender>& contenders, int runs) {
    std::vector<std::vector<double>> times(contenders.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t i = 0; i < contenders.size(); ++i) {
            if (contenders[i].setup) contenders[i].setup();
            times[i].push_back(CpuSecondsOf(contenders[i].command));
        }
    }
    std::vector<double> medians;
    for (const auto& t : times) medians.push_back(Median(t));
    return medians;
}

void CpuRow(const char* what, double seconds, std::size_t bytes) {
    if (seconds < 0) {
        std::printf("  %-40s failed\n", what);
        return;
    }
    std::printf("  %-40s %8.3f s CPU %8.1f MB/s\n", what, seconds, bytes / seconds / 1e6);
}

void Goal(const char* what, double value, const char* relation, double target, bool met) {
    std::printf("  %-40s %8.2f   (goal %s %.2f: %s)\n", what, value, relation, target,
                met ? "met" : "NOT MET");
}

int Runs(int fallback) {
    const char* runs = std::getenv("BENCH_SPEED_RUNS");
    return runs != nullptr && std::atoi(runs) > 0 ? std::atoi(runs) : fallback;
}

void Copy(const std::string& from, const std::string& to) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

// -t throughput on a 20 MB and a 200 MB book.
void TextThroughput(const std::string& dir, const std::string& program) {
    std::printf("tomeo -t on UTF-8 FB2 books with a note every %zu bytes, median CPU time:\n",
                kNoteEvery);
    double mbs[2] = {-1, -1};
    const std::size_t sizes[2] = {20u << 20, 200u << 20};
    for (int i = 0; i < 2; ++i) {
        std::size_t size = 0;
        {
            const std::string book = MakeNotedFb2(sizes[i]);
            size = book.size();
            WriteFile(dir + "t.fb2", book);
        }
        const double t = MedianCpu({{nullptr, program + " -t t.fb2"}}, i == 0 ? Runs(5) : 3)[0];
        char what[64];
        std::snprintf(what, sizeof what, "tomeo -t, %.0f MB book", size / 1e6);
        CpuRow(what, t, size);
        if (t > 0) mbs[i] = size / t / 1e6;
        fs::remove(dir + "t.fb2");
        fs::remove(dir + "t.txt");
    }
    if (mbs[0] > 0 && mbs[1] > 0) {
        const double slowest = std::min(mbs[0], mbs[1]);
        Goal("slower of the two, MB/s of CPU", slowest, ">=", 100, slowest >= 100);
        const double ratio = mbs[1] / mbs[0];
        Goal("throughput at 200 MB / at 20 MB", ratio, ">=", 0.8, ratio >= 0.8);
    }
}

// -u and -t against iconv on a 20 MB and a 100 MB book.
void Recoding(const std::string& dir, const std::string& program) {
    if (!Have("iconv")) {
        std::printf("\niconv is not installed: no recoding figures\n");
        return;
    }
    std::printf("\nUTF-8 to Windows-1251 beside iconv -f utf-8 -t cp1251, median CPU time:\n");
    for (const std::size_t size_mb : {20u, 100u}) {
        std::size_t size = 0;
        {
            const std::string book = MakeNotedFb2(size_mb << 20);
            size = book.size();
            WriteFile(dir + "book.fb2", book);
        }
        const std::vector<double> t = MedianCpu(
            {{[&] { Copy(dir + "book.fb2", dir + "u.fb2"); }, program + " -u u.fb2"},
             {nullptr, "cd '" + dir + "' && exec iconv -f utf-8 -t cp1251 book.fb2 > iconv.fb2"},
             {nullptr, program + " -t book.fb2"}},
            Runs(5));
        std::printf(" %.0f MB book:\n", size / 1e6);
        CpuRow("tomeo -u", t[0], size);
        CpuRow("iconv -f utf-8 -t cp1251", t[1], size);
        CpuRow("tomeo -t", t[2], size);
        if (t[0] > 0 && t[1] > 0)
            Goal("tomeo -u / iconv", t[0] / t[1], "<=", 0.5, t[0] / t[1] <= 0.5);
        if (t[2] > 0 && t[1] > 0)
            Goal("tomeo -t / iconv", t[2] / t[1], "<=", 0.5, t[2] / t[1] <= 0.5);
        for (const char* name : {"book.fb2", "u.fb2", "iconv.fb2", "book.txt"})
            fs::remove(dir + name);
    }
}

std::uintmax_t SizeOfZips(const std::string& dir) {
    std::uintmax_t total = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() == ".zip") total += entry.file_size();
    }
    return total;
}

// Makes `count` books of `size` bytes in a fresh folder `dir` from the master copies in
// `master`.
void FreshFolder(const std::string& master, const std::string& dir) {
    fs::remove_all(dir);
    fs::copy(master, dir);
}

// -z against pigz -K on 1,000 books and on one 20 MB book.
void Packing(const std::string& dir, const std::string& program) {
    if (!Have("pigz")) {
        std::printf("\npigz is not installed: no packing figures\n");
        return;
    }
    std::printf("\npacking beside pigz -K -p1 -6 (zip, one thread), median CPU time:\n");
    struct Set {
        const char* what;
        int count;
        std::size_t size;
        int runs;
    };
    for (const Set& set : {Set{"1,000 books of 200 KB", 1000, 200000, 3},
                           Set{"one 20 MB book", 1, 20u << 20, Runs(5)}}) {
        const std::string master = dir + "master/";
        fs::create_directories(master);
        std::size_t total = 0;
        {
            const std::string text = cp1251_to_utf8(MakeBook(set.size / 2));
            for (int i = 0; i < set.count; ++i) {
                tomeo::test::Fb2Shape shape;
                shape.authors = {{"Автор" + std::to_string(i), "Фамилия"}};
                shape.title = "Книга номер " + std::to_string(i);
                shape.paragraphs = {text};
                const std::string book = tomeo::test::MakeFb2(shape);
                total += book.size();
                char name[32];
                std::snprintf(name, sizeof name, "book%04d.fb2", i);
                WriteFile(master + name, book);
            }
        }
        const std::string ours = dir + "ours/", theirs = dir + "pigz/";
        const std::vector<double> t =
            MedianCpu({{[&] { FreshFolder(master, ours); },
                        "cd '" + ours + "' && exec " + program + " -z '*.fb2'"},
                       {[&] { FreshFolder(master, theirs); },
                        "cd '" + theirs + "' && exec pigz -K -p1 -6 *.fb2"}},
                      set.runs);
        std::printf(" %s (%.1f MB):\n", set.what, total / 1e6);
        CpuRow("tomeo -z", t[0], total);
        CpuRow("pigz -K -p1 -6", t[1], total);
        if (t[0] > 0 && t[1] > 0) {
            Goal("tomeo -z / pigz", t[0] / t[1], "<=", 0.6, t[0] / t[1] <= 0.6);
            const double sizes = static_cast<double>(SizeOfZips(ours)) / SizeOfZips(theirs);
            Goal("archives' size, tomeo / pigz", sizes, "<=", 1.0, sizes <= 1.0);
        }
        for (const std::string& d : {master, ours, theirs}) fs::remove_all(d);
    }
}

// The archives' size over the sample books (loose FB2, RTF and text), beside zlib level 6
// as pigz writes it: what the compression level is held to.
void CorpusPacking(const std::string& dir, const std::string& program) {
    const fs::path corpus = TOMEO_CORPUS_DIR;
    if (!Have("pigz") || !fs::is_directory(corpus)) {
        std::printf("\nno pigz or no sample books: no corpus packing figure\n");
        return;
    }
    const std::string ours = dir + "corpus-ours/", theirs = dir + "corpus-pigz/";
    fs::create_directories(ours);
    int count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".fb2" && ext != ".rtf" && ext != ".txt")) continue;
        char name[32];
        std::snprintf(name, sizeof name, "book%03d%s", count++, ext.c_str());
        fs::copy_file(entry.path(), ours + name);
    }
    fs::copy(ours, theirs);
    const double t_ours = CpuSecondsOf("cd '" + ours + "' && exec " + program + " -z 'book*'");
    const double t_theirs = CpuSecondsOf("cd '" + theirs + "' && exec pigz -K -p1 -6 book*");
    std::printf(" the %d sample books (FB2, RTF, text):\n", count);
    if (t_ours < 0 || t_theirs < 0) {
        std::printf("  packing failed\n");
    } else {
        const double sizes = static_cast<double>(SizeOfZips(ours)) / SizeOfZips(theirs);
        Goal("archives' size, tomeo / pigz", sizes, "<=", 1.0, sizes <= 1.0);
    }
    for (const std::string& d : {ours, theirs}) fs::remove_all(d);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string tomeo = ProgramPath(argc, argv);
    if (tomeo.empty()) return 1;
    const TempFolder folder;
    const std::string& dir = folder.path();
    std::printf("program: %s\n", tomeo.c_str());
    const std::string here = "cd '" + dir + "' && exec env " + ConfinedProgram(dir, tomeo);
    TextThroughput(dir, here);
    Recoding(dir, here);
    Packing(dir, "env " + ConfinedProgram(dir, tomeo));
    CorpusPacking(dir, "env " + ConfinedProgram(dir, tomeo));
    return 0;
}
