#include "zip/file_stream.h"

#include <cstring>

#include "core/charset.h"
#include "core/path_separator.h"
#include "zip/zip_reader.h"
#include "zip/zip_writer.h"

namespace tomeo {
namespace {

bool is_zip_path(const char* path) {
    const char* ext = path_ext(path);
    constexpr char kZip[] = ".zip";
    for (int i = 0; i < 4; ++i) {
        if (ext[i] == '\0' || char_lower(ext[i]) != kZip[i]) return false;
    }
    return ext[4] == '\0';
}

}  // namespace

TFILESTREAM::TFILESTREAM() = default;
TFILESTREAM::~TFILESTREAM() = default;

// --- Plain streams ---------------------------------------------------------------

FileStreamPtr fs_open(const char* path, const char* mode_text) {
    std::uint8_t mode = 0;
    if (std::strchr(mode_text, 'r') != nullptr) mode |= kStreamRead;
    if (std::strchr(mode_text, 'w') != nullptr) mode |= kStreamWrite;
    if (mode == 0) mode = kStreamRead;
    const platform::FileAccess access = mode == kStreamRead    ? platform::FileAccess::Read
                                        : mode == kStreamWrite ? platform::FileAccess::Write
                                                               : platform::FileAccess::ReadWrite;
    auto stream = std::make_unique<TFILESTREAM>();
    stream->handle = platform::File::open(path, access);
    std::int64_t size = 0;
    if (!stream->handle.is_open() || !stream->handle.size(size)) return nullptr;
    // Sizes are signed 32-bit: a larger file would be read with a wrapped size.
    if (size > platform::kMaxFileSize) return nullptr;
    stream->kind = kStreamPlain;
    stream->mode = mode;
    stream->size = static_cast<std::int32_t>(size);
    return stream;
}

FileStreamPtr fs_create(const char* path, bool overwrite, std::uint32_t attributes) {
    auto stream = std::make_unique<TFILESTREAM>();
    stream->handle = platform::File::create(
        path, overwrite ? platform::CreateMode::Replace : platform::CreateMode::New, attributes);
    if (!stream->handle.is_open()) return nullptr;
    stream->kind = kStreamPlain;
    stream->mode = kStreamWrite;
    return stream;
}

std::int32_t fs_read(TFILESTREAM& stream, void* buffer, std::int32_t count) {
    if ((stream.mode & kStreamRead) == 0 || count < 0) return -1;
    // Never past the largest offset a signed 32-bit position can hold.
    const std::int64_t room = platform::kMaxFileSize - stream.position;
    const std::int64_t n =
        stream.handle.read_at(buffer, count < room ? count : room, stream.position);
    if (n < 0) return -1;
    stream.position += static_cast<std::int32_t>(n);
    return static_cast<std::int32_t>(n);
}

std::int32_t fs_write(TFILESTREAM& stream, const void* buffer, std::int32_t count) {
    if ((stream.mode & kStreamWrite) == 0 || count < 0) return -1;
    if (count > platform::kMaxFileSize - stream.position) return -1;
    if (stream.handle.write_at(buffer, count, stream.position) != count) return -1;
    stream.position += count;
    if (stream.position > stream.size) stream.size = stream.position;
    return count;
}

std::int32_t fs_seek(TFILESTREAM& stream, std::int32_t offset) {
    if (offset < 0) return -1;
    stream.position = offset < stream.size ? offset : stream.size;
    return stream.position;
}

bool fs_set_time(TFILESTREAM& stream, FILETIME local_time) {
    return stream.handle.set_last_write_time(local_time);
}

bool fs_copy_access(TFILESTREAM& stream, const TFILESTREAM& model) {
    return stream.handle.copy_access_from(model.handle);
}

int fs_close(FileStreamPtr stream, TCLOSEINFO& info) {
    if (!stream) return -1;
    bool ok = true;
    if ((stream->mode & kStreamWrite) != 0) {
        // A written file must be on disk before it bears its name, and before the
        // pipeline deletes its source.
        ok = stream->handle.flush() && stream->handle.publish();
        info.published = ok;
        info.filesize = stream->size;
        FILETIME time = 0;
        if (stream->handle.last_write_time(time)) info.filetime = time;
    }
    ok = stream->handle.close() && ok;
    return ok ? 0 : -1;
}

// --- Dispatchers -----------------------------------------------------------------

FileStreamPtr stream_open(const char* path, const char* mode_text) {
    return is_zip_path(path) ? zip_open(path, mode_text) : fs_open(path, mode_text);
}

FileStreamPtr stream_create(const char* path, bool overwrite, std::uint32_t attributes) {
    return is_zip_path(path) ? zip_create(path, overwrite, attributes)
                             : fs_create(path, overwrite, attributes);
}

std::int32_t stream_read(TFILESTREAM& stream, void* buffer, std::int32_t count) {
    return stream.kind == kStreamZip ? zip_read(stream, buffer, count)
                                     : fs_read(stream, buffer, count);
}

std::int32_t stream_write(TFILESTREAM& stream, const void* buffer, std::int32_t count) {
    return stream.kind == kStreamZip ? zip_write(stream, buffer, count)
                                     : fs_write(stream, buffer, count);
}

void stream_seek(TFILESTREAM& stream, std::int32_t offset) {
    if (stream.kind == kStreamZip) {
        zip_rewind(stream, offset);
    } else {
        fs_seek(stream, offset);
    }
}

int stream_close(FileStreamPtr stream, TCLOSEINFO& info) {
    if (!stream) return -1;
    return stream->kind == kStreamZip ? zip_close(std::move(stream), info)
                                      : fs_close(std::move(stream), info);
}

// --- File names ------------------------------------------------------------------

const char* path_ext(const char* path) {
    const char* end = path + std::strlen(path);
    for (const char* p = end; p != path;) {
        --p;
        if (*p == '.') return p;
        if (*p == kPathSeparator) break;
    }
    return end;
}

char* path_ext(char* path) {
    return const_cast<char*>(path_ext(static_cast<const char*>(path)));
}

const char* path_name(const char* path) {
    const char* slash = std::strrchr(path, kPathSeparator);
    return slash == nullptr ? path : slash + 1;
}

char* path_name(char* path) {
    return const_cast<char*>(path_name(static_cast<const char*>(path)));
}

void path_cut_to_dir(char* path) {
    *path_name(path) = '\0';
}

}  // namespace tomeo
