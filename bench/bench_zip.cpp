// Packing a large book: zip_write (libdeflate level 6) against `zip -6` and `pigz -p1 -6`
// on the same file (zlib level 6; pigz on one core is what zlib itself does here), and the raw
// member copy against `cp`. Every figure includes flushing the result to disk, as the
// program flushes every file it writes. Best of three runs each, taken in turns.
//
// Targets: zip_write at least as fast as zip -6, and within 1.15 times pigz -p1 -6.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "core/charset.h"
#include "zip/zip_writer.h"

namespace {

using namespace tomeo;
using namespace tomeo::bench;

constexpr std::size_t kBookSize = 50u << 20;
constexpr int kRuns = 3;

}  // namespace

int main() {
    const TempFolder folder;
    const std::string& dir = folder.path();
    const std::string book = MakeBook(kBookSize);
    WriteFile(dir + "book.txt", book);
    std::printf("book: %.1f MB of Windows-1251 text, in memory and in %s\n", book.size() / 1e6,
                dir.c_str());

    const std::string ours_path = dir + "ours.zip";
    auto pack = [&] {
        unlink(ours_path.c_str());
        FileStreamPtr s = stream_create(ours_path.c_str(), false, 0x20);
        if (!s) return false;
        s->name.assign("book.txt");
        s->mtime = civil_to_filetime({2008, 3, 15, 14, 30, 58});
        TCLOSEINFO info;
        return stream_write(*s, book.data(), static_cast<std::int32_t>(book.size())) >= 0 &&
               stream_close(std::move(s), info) == 0;
    };
    auto zip6 = [&] {
        return Shell("cd '" + dir +
                     "' && rm -f peer.zip && zip -q -6 -X peer.zip book.txt && "
                     "sync peer.zip");
    };
    auto pigz = [&] {
        return Shell("cd '" + dir + "' && pigz -p1 -6 -c book.txt > peer.gz && sync peer.gz");
    };
    const bool have_zip = Have("zip"), have_pigz = Have("pigz");
    std::vector<std::function<bool()>> contenders{pack};
    if (have_zip) contenders.push_back(zip6);
    if (have_pigz) contenders.push_back(pigz);
    const std::vector<double> best = BestOfRounds(contenders, kRuns);
    const double ours = best[0];

    std::printf("\npacking (level 6), output flushed to disk, best of %d:\n", kRuns);
    Row("zip_write (from memory)", ours, book.size());
    std::printf("  %-34s %8.1f %%\n", "compressed size",
                100.0 * std::filesystem::file_size(ours_path) / book.size());
    std::size_t next = 1;
    if (have_zip) {
        const double t = best[next++];
        Row("zip -6 (from the page cache)", t, book.size());
        if (t > 0) Ratio("zip_write / zip -6", ours, t, 1.0);
    } else {
        std::printf("  zip is not installed\n");
    }
    if (have_pigz) {
        const double t = best[next++];
        Row("pigz -p1 -6 (from the page cache)", t, book.size());
        if (t > 0) Ratio("zip_write / pigz -p1 -6", ours, t, 1.15);
    } else {
        std::printf("  pigz is not installed\n");
    }

    // A new name without recompressing: the compressed member is copied as it is.
    const std::size_t archive_size = std::filesystem::file_size(ours_path);
    const std::string copy_path = dir + "copy.zip";
    auto raw_copy = [&] {
        unlink(copy_path.c_str());
        FileStreamPtr source = stream_open(ours_path.c_str(), "r");
        FileStreamPtr target = stream_create(copy_path.c_str(), false, 0x20);
        if (!source || !target) return false;
        target->name.assign("renamed.txt");
        target->mtime = source->mtime;
        TCLOSEINFO info;
        const bool ok = zip_copy_headers(*source, *target) &&
                        zip_copy_member(*source, *target) == 0 &&
                        stream_close(std::move(target), info) == 0;
        stream_close(std::move(source), info);
        return ok;
    };
    auto cp = [&] {
        return Shell("cd '" + dir + "' && rm -f cp.zip && cp ours.zip cp.zip && sync cp.zip");
    };
    const std::vector<double> copies = BestOfRounds({raw_copy, cp}, kRuns);
    const double raw = copies[0], cp_time = copies[1];
    std::printf("\nraw member copy of a %.1f MB archive, flushed to disk:\n", archive_size / 1e6);
    Row("zip_copy_member", raw, archive_size);
    Row("cp", cp_time, archive_size);
    if (cp_time > 0) std::printf("  %-34s %8.2f\n", "zip_copy_member / cp", raw / cp_time);

    return 0;
}
