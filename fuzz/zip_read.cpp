// Fuzz target: zip_open and zip_read over arbitrary files. Whatever the bytes, nothing
// may crash, hang or allocate without bound; reading in small pieces must give what
// large reads give; and an archive that reads must survive being written again, both
// recompressed with its headers carried over and as a raw member copy. A member that
// reads whole matches its header: its size and CRC-32.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include <zlib.h>

#include "zip/zip_writer.h"

namespace {

using namespace tomeo;

// Scratch files in memory when the machine has /dev/shm (flushing them costs nothing).
std::string ScratchPath(const char* what) {
    const std::string dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
    return dir + "tomeo-fuzz-" + std::to_string(getpid()) + "-" + what + ".zip";
}

struct Member {
    bool ok = false;
    std::string content;
};

// Reads the whole member in pieces of the given size.
Member ReadMember(const std::string& path, std::int32_t piece) {
    Member member;
    FileStreamPtr s = zip_open(path.c_str(), "r");
    if (!s) return member;
    std::vector<char> buffer(static_cast<std::size_t>(piece));
    for (;;) {
        const std::int32_t n = zip_read(*s, buffer.data(), piece);
        if (n < 0) break;
        if (n == 0) {
            member.ok = true;
            const auto crc = crc32(0, reinterpret_cast<const Bytef*>(member.content.data()),
                                   static_cast<uInt>(member.content.size()));
            if (member.content.size() != static_cast<std::size_t>(s->member_size) ||
                crc != s->crc) {
                __builtin_trap();
            }
            break;
        }
        member.content.append(buffer.data(), static_cast<std::size_t>(n));
    }
    TCLOSEINFO info;
    zip_close(std::move(s), info);
    return member;
}

void Rewrite(const std::string& source_path, const std::string& content, bool raw) {
    const std::string out = ScratchPath(raw ? "raw" : "packed");
    unlink(out.c_str());
    FileStreamPtr source = zip_open(source_path.c_str(), "r");
    FileStreamPtr target = zip_create(out.c_str(), false, 0x20);
    if (!source || !target) __builtin_trap();
    target->name.assign(source->name.c_str());
    target->attributes = source->attributes;
    target->mtime = source->mtime;
    if (!zip_copy_headers(*source, *target)) __builtin_trap();
    const int written =
        raw ? zip_copy_member(*source, *target)
            : (zip_write(*target, content.data(), static_cast<std::int32_t>(content.size())) < 0
                   ? -1
                   : 0);
    TCLOSEINFO info;
    if (written != 0 || zip_close(std::move(target), info) != 0) __builtin_trap();
    zip_close(std::move(source), info);
    const Member back = ReadMember(out, 65536);
    // A raw copy keeps the source's data and header values, so it reads the same.
    if (!back.ok || back.content != content) __builtin_trap();
    unlink(out.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = ScratchPath("input");
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const auto piece = static_cast<std::int32_t>(1 + size % 997);
    const Member small = ReadMember(path, piece);
    const Member large = ReadMember(path, 65536);
    if (small.ok != large.ok || (small.ok && small.content != large.content)) __builtin_trap();
    if (small.ok) {
        Rewrite(path, small.content, false);
        Rewrite(path, small.content, true);
    }
    unlink(path.c_str());
    return 0;
}
