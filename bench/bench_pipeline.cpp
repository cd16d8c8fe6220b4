// Benchmark: the batch as a user runs it (the program itself, one process per run).
// - `tomeo -r` over 10,000 loose FB2 books and over 10,000 zipped ones, in books per
//   second (target: at least 2,000 a second; a zipped book is written anew, flushed to
//   disk with its folder, before the old archive goes);
// - `tomeo -z` over 1,000 books of 200 KB beside `zip -6` over the same files: one `zip`
//   per book (the same task: one archive each; target: tomeo within 1.3 times its time),
//   and one `zip` making a single archive of them all (the compression alone, without
//   making, flushing and deleting a thousand files).
// Warm cache: the books are read once before each timed run. Each figure is the best of
// three rounds, the contenders taking turns, each run on a freshly made folder.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "core/charset.h"
#include "tests/support/sample_books.h"

namespace {

namespace fs = std::filesystem;
using namespace tomeo::bench;

constexpr int kRounds = 3;

// A book of its own author and title (so that renames never collide), with about `size`
// bytes of Russian prose.
std::string Book(int i, const std::vector<std::string>& prose) {
    tomeo::test::Fb2Shape shape;
    shape.authors = {{"Автор" + std::to_string(i), "Фамилия" + std::to_string(i % 97)}};
    shape.title = "Книга номер " + std::to_string(i);
    shape.paragraphs = prose;
    return tomeo::test::MakeFb2(shape);
}

// The paragraphs of `size` bytes of generated prose, UTF-8.
std::vector<std::string> Prose(std::size_t size) {
    const std::string text = tomeo::cp1251_to_utf8(MakeBook(size));
    std::vector<std::string> paragraphs;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        paragraphs.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return paragraphs;
}

struct Folder {
    int count;
    std::size_t size;
    bool zipped;
};

void MakeBooks(const std::string& dir, const Folder& folder) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::vector<std::string> prose = Prose(folder.size);
    for (int i = 0; i < folder.count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "book%05d", i);
        const std::string book = Book(i, prose);
        if (folder.zipped) {
            WriteFile(dir + name + ".zip",
                      tomeo::test::MakeZip({std::string(name) + ".fb2", book}));
        } else {
            WriteFile(dir + name + ".fb2", book);
        }
    }
}

void WarmCache(const std::string& dir) {
    std::string sink;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        sink.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
}

// The best time of each command (run by the shell in a fresh folder of books), the
// commands taking turns; negative when a command failed.
std::vector<double> BestTimes(const std::string& dir, const Folder& folder,
                              const std::vector<std::string>& commands) {
    std::vector<double> best(commands.size(), 1e9);
    for (int round = 0; round < kRounds; ++round) {
        for (std::size_t i = 0; i < commands.size(); ++i) {
            if (best[i] < 0) continue;
            MakeBooks(dir, folder);
            WarmCache(dir);
            const double t = Seconds([&] { return Shell("cd '" + dir + "' && " + commands[i]); });
            best[i] = t < 0 ? -1 : std::min(best[i], t);
        }
    }
    return best;
}

void BooksPerSecond(const char* what, int books, double seconds, double target) {
    std::printf("  %-34s %8.0f books/s", what, books / seconds);
    if (target > 0) {
        std::printf("   (target >= %.0f: %s)", target,
                    books / seconds >= target ? "met" : "NOT MET");
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string tomeo = ProgramPath(argc, argv);
    if (tomeo.empty()) return 1;
    TempFolder root;
    const std::string books = root.path() + "books/";
    // The runs keep their scripts and settings inside the benchmark's folder.
    const std::string program = ConfinedProgram(root.path(), tomeo);

    constexpr int kRenameBooks = 10000;
    const double loose =
        BestTimes(books, {kRenameBooks, 4000, false}, {program + " -r '*.fb2'"})[0];
    const double zipped =
        BestTimes(books, {kRenameBooks, 4000, true}, {program + " -r '*.zip'"})[0];
    std::printf("tomeo -r over %d books of 4 KB\n", kRenameBooks);
    BooksPerSecond("loose FB2", kRenameBooks, loose, 2000);
    BooksPerSecond("zipped FB2", kRenameBooks, zipped, 2000);

    constexpr int kPackBooks = 1000;
    if (!Have("zip")) {
        std::printf("zip is not installed: no packing figures\n");
        return 0;
    }
    const std::vector<double> pack =
        BestTimes(books, {kPackBooks, 200000, false},
                  {program + " -z '*.fb2'",
                   "for f in *.fb2; do zip -6 -q \"${f%.fb2}.zip\" \"$f\" || exit 1; done",
                   "zip -6 -q all.zip *.fb2"});
    std::printf("tomeo -z over %d books of 200 KB\n", kPackBooks);
    BooksPerSecond("tomeo -z", kPackBooks, pack[0], 0);
    BooksPerSecond("zip -6, one archive a book", kPackBooks, pack[1], 0);
    BooksPerSecond("zip -6, one archive of all", kPackBooks, pack[2], 0);
    Ratio("tomeo / zip -6 a book", pack[0], pack[1], 1.3);
    std::printf("  %-34s %8.2f   (compression alone: no files made, flushed, deleted)\n",
                "tomeo / zip -6 of all", pack[0] / pack[2]);
    return 0;
}
