#include "zip/zip_reader.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "core/charset.h"
#include "zip/zip_writer.h"

namespace tomeo {
namespace {

using namespace zip_layout;

// zip_open reads this much at the start and at the central directory.
constexpr std::int32_t kHeadRead = 512;
constexpr std::int32_t kDirectoryRead = 2048;
// zip_read: compressed input is read in blocks of 4,096 bytes, and up to 512 bytes not
// yet taken by the decompressor are carried over in front of the next block.
constexpr std::int32_t kInputBlock = 4096;
constexpr std::int32_t kCarryOver = 512;
// Deflate cannot expand a byte of compressed data into more than 1,032 bytes; a member
// that claims more is damaged or hostile, and its size must not drive an allocation.
constexpr std::int64_t kMaxDeflateRatio = 1032;

// Reads exactly count bytes at offset into buffer.
bool read_exact(TFILESTREAM& stream, std::uint8_t* buffer, std::int32_t count,
                std::int64_t offset) {
    if (offset > stream.size) return false;
    fs_seek(stream, static_cast<std::int32_t>(offset));
    return fs_read(stream, buffer, count) == count;
}

// Reads up to count bytes at offset: the number read, -1 on failure.
std::int32_t read_some(TFILESTREAM& stream, std::uint8_t* buffer, std::int32_t count,
                       std::int64_t offset) {
    if (offset > stream.size) return 0;
    fs_seek(stream, static_cast<std::int32_t>(offset));
    return fs_read(stream, buffer, count);
}

// The member name in Windows-1251. A name flagged as UTF-8 (as modern zippers store
// non-ASCII names) is UTF-8, and so is a valid UTF-8 name from an archive made on Unix,
// where names are stored in the system's character set as they are (Info-ZIP unzip
// reads them the same way). Every other name is code page 866.
void decode_member_name(std::string_view raw, bool utf8_flag, std::uint8_t made_by_host,
                        HSTR& name) {
    if ((utf8_flag || made_by_host == kHostUnix) && is_valid_utf8(raw)) {
        const std::string converted = utf8_to_cp1251_lossy(raw);
        name.assign(converted.c_str(), static_cast<std::int32_t>(converted.size()));
        return;
    }
    name.assign(raw.data(), static_cast<std::int32_t>(raw.size()));
    oem_to_ansi(name.data(), raw.size());
}

std::int32_t data_offset(const TZIPSTATE& zip) {
    return kLocalSize + get16(&zip.local_header[kLocalNameLength]) +
           get16(&zip.local_header[kLocalExtraLength]);
}

std::int32_t fail(TZIPSTATE& zip) {
    zip.failed = true;
    return -1;
}

// Keeps the decompressor fed: when 512 or fewer input bytes are pending, they move to
// the front of the work buffer and the next block of compressed data is read behind
// them, never beyond `packed_size`. False when the archive file gives fewer bytes.
bool refill_input(TFILESTREAM& stream, TZIPSTATE& zip) {
    z_stream& z = zip.z;
    if (z.avail_in > static_cast<uInt>(kCarryOver) || zip.consumed >= stream.packed_size) {
        return true;
    }
    std::uint8_t* input = zip.buffer.data();
    if (z.avail_in > 0) std::memmove(input, z.next_in, z.avail_in);
    const std::int32_t want = std::min(kInputBlock, stream.packed_size - zip.consumed);
    if (fs_read(stream, input + z.avail_in, want) != want) return false;
    zip.consumed += want;
    z.next_in = input;
    z.avail_in += static_cast<uInt>(want);
    return true;
}

// The member has given `member_size` bytes: it is whole only when the deflate stream
// ends right there with no further data, its last byte is the last of the `packed_size`
// compressed bytes, and the CRC-32 matches the header. Checked here, at the member's
// end, so that no declared size or CRC is ever taken on trust.
bool finish_member(TFILESTREAM& stream, TZIPSTATE& zip, bool stream_end) {
    z_stream& z = zip.z;
    while (!stream_end) {
        if (!refill_input(stream, zip)) return false;
        std::uint8_t probe[64];
        z.next_out = probe;
        z.avail_out = sizeof probe;
        const int result = inflate(&z, Z_NO_FLUSH);
        if (z.avail_out != sizeof probe) return false;  // more data than declared
        if (result == Z_STREAM_END) {
            stream_end = true;
        } else if (result != Z_OK) {
            return false;  // the compressed bytes ended before the deflate stream
        }
    }
    if (z.avail_in > 0 || zip.consumed < stream.packed_size) return false;  // bytes behind it
    if (zip.produced_crc != stream.crc) return false;
    zip.z_ended = true;
    return true;
}

}  // namespace

TZIPSTATE::~TZIPSTATE() {
    if (!z_started) return;
    if (z_compressor) {
        deflateEnd(&z);
    } else {
        inflateEnd(&z);
    }
}

std::uint8_t* zip_work_buffer(TFILESTREAM& stream, std::size_t n) {
    std::vector<std::uint8_t>& buffer = stream.zip->buffer;
    if (buffer.size() < n) {
        buffer.clear();
        buffer.shrink_to_fit();
        buffer.resize(n);
    }
    return buffer.data();
}

bool zip_member_name_is_safe(const char* name) {
    if (name[0] == '\0' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
        return false;
    }
    return std::strpbrk(name, "/\\") == nullptr;
}

FileStreamPtr zip_open(const char* path, const char* mode_text) {
    FileStreamPtr stream = fs_open(path, mode_text);
    if (!stream || stream->mode != kStreamRead) return nullptr;
    const std::int64_t file_size = stream->size;

    // The local header, read with the beginning of the data.
    std::vector<std::uint8_t> area(kDirectoryRead);
    const std::int32_t head = read_some(*stream, area.data(), kHeadRead, 0);
    if (head < kLocalSize) return nullptr;
    const std::uint8_t* local = area.data();
    // A member of the accepted kind starts the file: no prefix, deflate only.
    if (get32(local) != kLocalSignature || get16(local + kLocalMethod) != kMethodDeflate) {
        return nullptr;
    }
    const std::int32_t name_length = get16(local + kLocalNameLength);
    const std::int32_t local_extra = get16(local + kLocalExtraLength);
    const std::int32_t local_length = kLocalSize + name_length + local_extra;
    if (head < local_length) {
        area.resize(static_cast<std::size_t>(local_length));
        if (!read_exact(*stream, area.data() + head, local_length - head, head)) return nullptr;
        local = area.data();
    }

    const std::uint32_t packed = get32(local + kLocalPackedSize);
    const std::uint32_t member = get32(local + kLocalMemberSize);
    // Sizes and offsets are signed 32-bit; ZIP64 archives mark theirs 0xFFFFFFFF.
    if (packed > static_cast<std::uint32_t>(platform::kMaxFileSize) ||
        member > static_cast<std::uint32_t>(platform::kMaxFileSize)) {
        return nullptr;
    }
    if (static_cast<std::int64_t>(member) > static_cast<std::int64_t>(packed) * kMaxDeflateRatio) {
        return nullptr;
    }

    // The name becomes a file name: it must not hide a NUL.
    const std::string raw_name(reinterpret_cast<const char*>(local + kLocalSize),
                               static_cast<std::size_t>(name_length));
    if (raw_name.find('\0') != std::string::npos) return nullptr;
    const bool utf8_flag = (get16(local + kLocalFlags) & kFlagUtf8Name) != 0;

    auto zip = std::make_unique<TZIPSTATE>();
    zip->local_header.assign(local, local + kLocalSize);
    zip->local_header.insert(zip->local_header.end(), local + kLocalSize + name_length,
                             local + local_length);
    stream->member_size = static_cast<std::int32_t>(member);
    stream->packed_size = static_cast<std::int32_t>(packed);
    stream->crc = get32(local + kLocalCrc);
    stream->mtime = dos_to_filetime({get16(local + kLocalDate), get16(local + kLocalTime)});

    // The one central directory record follows the member's data directly, and the end
    // record follows it: a second member or a data descriptor stands there otherwise.
    const std::int64_t central_offset = static_cast<std::int64_t>(local_length) + packed;
    if (central_offset + kCentralSize + kEndSize > file_size) return nullptr;
    area.assign(kDirectoryRead, 0);
    std::int32_t have = read_some(*stream, area.data(), kDirectoryRead, central_offset);
    if (have < kCentralSize || get32(area.data()) != kCentralSignature) return nullptr;
    const std::int32_t central_length = kCentralSize + get16(&area[kCentralNameLength]) +
                                        get16(&area[kCentralExtraLength]) +
                                        get16(&area[kCentralCommentLength]);
    if (have < central_length + kEndSize) {
        const std::int32_t missing = central_length + kEndSize - have;
        area.resize(static_cast<std::size_t>(have + missing));
        if (!read_exact(*stream, area.data() + have, missing, central_offset + have)) {
            return nullptr;
        }
        have += missing;
    }
    const std::uint8_t* central = area.data();
    const std::int32_t central_name = get16(central + kCentralNameLength);
    zip->central_header.assign(central, central + kCentralSize);
    zip->central_header.insert(zip->central_header.end(), central + kCentralSize + central_name,
                               central + central_length);
    stream->attributes = get32(central + kCentralExternalAttributes);
    // The name must not lead outside the folder it is written to, or be empty.
    decode_member_name(raw_name, utf8_flag, central[kCentralVersionMadeBy + 1], stream->name);
    if (!zip_member_name_is_safe(stream->name.c_str())) return nullptr;

    const std::uint8_t* end = central + central_length;
    if (get32(end) != kEndSignature) return nullptr;
    const std::int32_t end_length = kEndSize + get16(end + kEndCommentLength);
    const std::int32_t end_have = have - central_length;
    if (end_have < end_length) {
        const std::int32_t missing = end_length - end_have;
        area.resize(static_cast<std::size_t>(have + missing));
        if (!read_exact(*stream, area.data() + have, missing, central_offset + have)) {
            return nullptr;
        }
        end = area.data() + central_length;
    }
    zip->end_record.assign(end, end + end_length);

    stream->kind = kStreamZip;
    stream->zip = std::move(zip);
    fs_seek(*stream, local_length);
    return stream;
}

std::int32_t zip_read(TFILESTREAM& stream, void* buffer, std::int32_t count) {
    TZIPSTATE* zip = stream.zip.get();
    if (zip == nullptr || stream.mode != kStreamRead || zip->failed || count < 0) return -1;
    zip_work_buffer(stream, kInputBlock + kCarryOver);
    z_stream& z = zip->z;
    if (!zip->z_started) {
        z = z_stream{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return fail(*zip);
        zip->z_started = true;
    }
    if (zip->z_ended) return 0;

    // The header's size bounds what is given; the member's end is checked below.
    const std::int32_t want = std::min(count, stream.member_size - zip->produced);
    z.next_out = static_cast<Bytef*>(buffer);
    z.avail_out = static_cast<uInt>(want);
    bool stream_end = false;
    while (z.avail_out > 0) {
        if (!refill_input(stream, *zip)) return fail(*zip);
        const int result = inflate(&z, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            stream_end = true;  // before member_size: the member is shorter than declared
            break;
        }
        // Z_BUF_ERROR: the compressed bytes ran out before the deflate stream ended.
        if (result != Z_OK) return fail(*zip);
    }
    const std::int32_t n = want - static_cast<std::int32_t>(z.avail_out);
    if (n > 0) {
        zip->produced_crc =
            libdeflate_crc32(zip->produced_crc, buffer, static_cast<std::size_t>(n));
    }
    zip->produced += n;
    if (zip->produced < stream.member_size) return stream_end ? fail(*zip) : n;
    if (!finish_member(stream, *zip, stream_end)) return fail(*zip);
    return n;
}

void zip_rewind(TFILESTREAM& stream, std::int32_t offset) {
    TZIPSTATE* zip = stream.zip.get();
    if (zip == nullptr || zip->local_header.size() < static_cast<std::size_t>(kLocalSize)) return;
    const std::int32_t start = data_offset(*zip);
    if (offset != 0 || fs_seek(stream, start) != start) zip->failed = true;
}

int zip_close(FileStreamPtr stream, TCLOSEINFO& info) {
    if (!stream) return -1;
    bool ok = true;
    if (stream->zip != nullptr && (stream->mode & kStreamWrite) != 0) {
        ok = zip_finish_archive(*stream);
    }
    info.membersize = stream->member_size;
    info.membertime = stream->mtime;
    stream->zip.reset();
    if (!ok) {
        // An incomplete archive never takes its name: dropped, it leaves nothing.
        info.published = false;
        return -1;
    }
    const int closed = fs_close(std::move(stream), info);
    return ok && closed == 0 ? 0 : -1;
}

}  // namespace tomeo
