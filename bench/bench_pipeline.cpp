// Benchmark: the batch as a user runs it (the program itself, one process per run).
// - `tomeo -r` over 10,000 loose FB2 books and over 10,000 zipped ones, as books per
//   second (target: at least 2,000 a second; a zipped book is written anew, flushed to
//   disk with its folder, before the old archive goes);
// - `tomeo -z` over 1,000 books of 200 KB beside `zip -6` over the same files: one `zip`
//   per book (the same task: one archive each; target: tomeo within 1.3 times its time),
//   and one `zip` making a single archive of them all (the compression alone, without
//   making, flushing and deleting a thousand files).
// Warm cache: the books are read once before each timed run. Each figure is the best of
// three runs, each on a freshly made folder.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "convert/charset.h"
#include "tests/support/sample_books.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 3;

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A book of its own author and title (so that renames never collide), about `size`
// bytes of Russian prose.
std::string Book(int i, std::size_t size) {
    tomeo::test::Fb2Spec spec;
    spec.authors = {{"Автор" + std::to_string(i), "Фамилия" + std::to_string(i % 97)}};
    spec.title = "Книга номер " + std::to_string(i);
    spec.paragraphs.clear();
    std::size_t length = 0;
    for (int p = 0; length < size; ++p) {
        std::string paragraph = "Абзац " + std::to_string(p) +
                                ": в уездном городе было так много парикмахерских заведений, "
                                "что казалось, жители рождаются лишь затем, чтобы побриться.";
        length += paragraph.size();
        spec.paragraphs.push_back(std::move(paragraph));
    }
    return tomeo::test::MakeFb2(spec);
}

void MakeBooks(const fs::path& dir, int count, std::size_t size, bool zipped) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "book%05d", i);
        const std::string book = Book(i, size);
        if (zipped) {
            WriteBytes(dir / (std::string(name) + ".zip"),
                       tomeo::test::MakeZip({std::string(name) + ".fb2", book}));
        } else {
            WriteBytes(dir / (std::string(name) + ".fb2"), book);
        }
    }
}

void WarmCache(const fs::path& dir) {
    std::string sink;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        sink.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
}

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return took.count();
}

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

// The best of kRuns: each on a fresh folder made by `make`, timed over `command` run in it.
double Best(const fs::path& dir, const std::function<void()>& make, const std::string& command) {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        make();
        WarmCache(dir);
        const double took = Seconds([&] { Run("cd '" + dir.string() + "' && " + command); });
        if (took < best) best = took;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path self = fs::absolute(argv[0]);
    const fs::path tomeo =
        argc > 1 ? fs::path(argv[1]) : self.parent_path().parent_path() / "tomeo";
    if (!fs::exists(tomeo)) {
        std::fprintf(stderr, "no program at %s (give its path)\n", tomeo.c_str());
        return 1;
    }
    const fs::path root =
        fs::temp_directory_path() / ("tomeo-bench-pipeline-" + std::to_string(getpid()));
    const fs::path books = root / "books";
    // Scripts and settings of the runs stay inside the benchmark's folder.
    const std::string env = "XDG_CONFIG_HOME='" + (root / "config").string() + "' HOME='" +
                            (root / "home").string() + "' ";
    const std::string program = env + "'" + tomeo.string() + "'";

    constexpr int kRenameBooks = 10000;
    constexpr std::size_t kSmallBook = 4000;
    const double loose = Best(
        books, [&] { MakeBooks(books, kRenameBooks, kSmallBook, false); }, program + " -r '*.fb2'");
    const double zipped = Best(
        books, [&] { MakeBooks(books, kRenameBooks, kSmallBook, true); }, program + " -r '*.zip'");
    std::printf("tomeo -r, %d loose FB2 books:   %8.0f books/s (target 2000: %.2f times)\n",
                kRenameBooks, kRenameBooks / loose, kRenameBooks / loose / 2000);
    std::printf("tomeo -r, %d zipped FB2 books:  %8.0f books/s (target 2000: %.2f times)\n",
                kRenameBooks, kRenameBooks / zipped, kRenameBooks / zipped / 2000);

    constexpr int kPackBooks = 1000;
    constexpr std::size_t kBookSize = 200000;
    auto make = [&] { MakeBooks(books, kPackBooks, kBookSize, false); };
    const double pack = Best(books, make, program + " -z '*.fb2'");
    const double zip_each =
        Best(books, make, "for f in *.fb2; do zip -6 -q \"${f%.fb2}.zip\" \"$f\" || exit 1; done");
    const double zip_all = Best(books, make, "zip -6 -q all.zip *.fb2");
    std::printf("tomeo -z, %d books of %zu KB:   %8.0f books/s\n", kPackBooks, kBookSize / 1000,
                kPackBooks / pack);
    std::printf(
        "zip -6, one archive a book:       %8.0f books/s  tomeo/zip time %.2f "
        "(target at most 1.3)\n",
        kPackBooks / zip_each, pack / zip_each);
    std::printf(
        "zip -6, one archive of all:       %8.0f books/s  tomeo/zip time %.2f "
        "(compression alone: no files made, flushed or deleted)\n",
        kPackBooks / zip_all, pack / zip_all);

    fs::remove_all(root);
    return 0;
}
