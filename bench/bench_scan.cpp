// Benchmark: opening a folder of 10,000 zipped books and one of 10,000 loose books
// (ScanDirectory in mode 1 and the sort, as the window and the batch list a directory),
// beside `unzip -l` over the same zipped folder in one process and `ls -l` over the
// loose one. Warm cache: every figure is the best of several runs after a first one.
// Target: the 10,000 zipped books listed in under half a second.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <unistd.h>

#include "batch/directory_scan.h"
#include "core/charset.h"
#include "tests/zip/zip_builder.h"

namespace {

using tomeo::TFILELIST;

double BestSeconds(int runs, const std::function<void()>& work) {
    work();  // warms the cache
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (took.count() < best) best = took.count();
    }
    return best;
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// "Книга 00042.fb2" in Windows-1251.
std::string BookName(int i) {
    char number[16];
    std::snprintf(number, sizeof number, " %05d.fb2", i);
    return std::string(tomeo::cp1251("Книга").c_str()) + number;
}

void MakeFolders(const std::filesystem::path& loose, const std::filesystem::path& zipped,
                 int count) {
    std::filesystem::create_directories(loose);
    std::filesystem::create_directories(zipped);
    const std::string text = tomeo::test::BookText(4000);
    for (int i = 0; i < count; ++i) {
        const std::string name = BookName(i);
        WriteBytes(loose / tomeo::cp1251_to_utf8(name), text);
        tomeo::test::ZipShape shape;
        shape.name = name;
        tomeo::ansi_to_oem(shape.name.data(), shape.name.size());  // names are OEM in archives
        shape.content = text;
        char archive[32];
        std::snprintf(archive, sizeof archive, "book%05d.zip", i);
        WriteBytes(zipped / archive, tomeo::test::BuildZip(shape));
    }
}

double RunShell(const std::string& command) {
    return BestSeconds(3, [&] {
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "failed: %s\n", command.c_str());
    });
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("tomeo-bench-scan-" + std::to_string(getpid()));
    const std::filesystem::path loose = root / "loose", zipped = root / "zipped";
    MakeFolders(loose, zipped, count);

    TFILELIST list;
    auto scan = [&](const std::filesystem::path& dir) {
        return BestSeconds(5, [&] {
            list.ClearFileList();
            tomeo::ScanDirectory(list, (dir.string() + "/").c_str(), tomeo::SCAN_DIRECTORY, true,
                                 nullptr);
            list.SortFileList();
        });
    };
    const double loose_seconds = scan(loose);
    const int loose_entries = list.count() - 1;  // without ".."
    const double zipped_seconds = scan(zipped);
    const int zipped_entries = list.count() - 1;
    const double unzip_seconds =
        RunShell("cd '" + zipped.string() + "' && unzip -l '*.zip' > /dev/null 2>&1");
    const double ls_seconds = RunShell("ls -l '" + loose.string() + "' > /dev/null");
    std::filesystem::remove_all(root);

    std::printf(
        "zipped books: %d listed in %.3f s = %.0f entries/s; unzip -l: %.3f s = %.0f "
        "entries/s; tomeo is %.1f times as fast\n",
        zipped_entries, zipped_seconds, zipped_entries / zipped_seconds, unzip_seconds,
        count / unzip_seconds, unzip_seconds / zipped_seconds);
    std::printf(
        "loose books: %d listed in %.3f s = %.0f entries/s; ls -l: %.3f s = %.0f "
        "entries/s; tomeo is %.1f times as fast\n",
        loose_entries, loose_seconds, loose_entries / loose_seconds, ls_seconds, count / ls_seconds,
        ls_seconds / loose_seconds);
    const bool met = zipped_entries == count && zipped_seconds < 0.5 * count / 10000.0;
    std::printf("target (10,000 zipped books in under 0.5 s): %s\n", met ? "met" : "MISSED");
    return zipped_entries == count && loose_entries == count ? 0 : 1;
}
