// The zip reader: an archive that holds exactly one member compressed by deflate, opened
// as a stream (TFILESTREAM of kind 2) that gives the member's decompressed bytes. The
// stream's fields name the member (`name` in Windows-1251), its sizes, time, CRC and
// external attributes; verbatim copies of the three zip records are kept so that the
// writer (zip/zip_writer.h) can carry their version fields, flags, extra fields and
// comments over into a new archive.
//
// Accepted shape: the file starts with the local header of a deflated member, the one
// central directory record follows that member's data directly, and the end record
// follows that record directly. Everything else is refused by zip_open: two or more
// members, stored members, data descriptors, a prefix (self-extracting archives),
// ZIP64, sizes or offsets beyond signed 32-bit, and member names that could not safely
// become a file name.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "zip/file_stream.h"

namespace tomeo {

// Layout of the three records (little-endian; offsets within each record).
namespace zip_layout {
inline constexpr std::uint32_t kLocalSignature = 0x04034B50;
inline constexpr std::uint32_t kCentralSignature = 0x02014B50;
inline constexpr std::uint32_t kEndSignature = 0x06054B50;
inline constexpr int kLocalSize = 30;  // fixed part of each record
inline constexpr int kCentralSize = 46;
inline constexpr int kEndSize = 22;
inline constexpr std::uint16_t kMethodDeflate = 8;
inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagUtf8Name = 0x0800;
// Host system in the high byte of "version made by".
inline constexpr std::uint8_t kHostMsDos = 0;
inline constexpr std::uint8_t kHostUnix = 3;
inline constexpr std::uint8_t kHostNtfs = 11;

// Local file header.
inline constexpr int kLocalVersionNeeded = 4;
inline constexpr int kLocalFlags = 6;
inline constexpr int kLocalMethod = 8;
inline constexpr int kLocalTime = 10;
inline constexpr int kLocalDate = 12;
inline constexpr int kLocalCrc = 14;
inline constexpr int kLocalPackedSize = 18;
inline constexpr int kLocalMemberSize = 22;
inline constexpr int kLocalNameLength = 26;
inline constexpr int kLocalExtraLength = 28;
// Central directory file header.
inline constexpr int kCentralVersionMadeBy = 4;
inline constexpr int kCentralVersionNeeded = 6;
inline constexpr int kCentralFlags = 8;
inline constexpr int kCentralMethod = 10;
inline constexpr int kCentralTime = 12;
inline constexpr int kCentralDate = 14;
inline constexpr int kCentralCrc = 16;
inline constexpr int kCentralPackedSize = 20;
inline constexpr int kCentralMemberSize = 24;
inline constexpr int kCentralNameLength = 28;
inline constexpr int kCentralExtraLength = 30;
inline constexpr int kCentralCommentLength = 32;
inline constexpr int kCentralDiskStart = 34;
inline constexpr int kCentralInternalAttributes = 36;
inline constexpr int kCentralExternalAttributes = 38;
inline constexpr int kCentralLocalOffset = 42;
// End of central directory record.
inline constexpr int kEndDisk = 4;
inline constexpr int kEndDirectoryDisk = 6;
inline constexpr int kEndEntriesOnDisk = 8;
inline constexpr int kEndEntries = 10;
inline constexpr int kEndDirectorySize = 12;
inline constexpr int kEndDirectoryOffset = 16;
inline constexpr int kEndCommentLength = 20;

inline std::uint16_t get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(std::uint8_t* p, std::uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}
}  // namespace zip_layout

// The zip bookkeeping a kind-2 stream owns (reading or writing).
struct TZIPSTATE {
    TZIPSTATE() = default;
    ~TZIPSTATE();  // ends the decompressor or compressor when it was started
    TZIPSTATE(const TZIPSTATE&) = delete;
    TZIPSTATE& operator=(const TZIPSTATE&) = delete;

    // Local header: 30 fixed bytes + extra field (the name lives in the stream's `name`;
    // the name-length field keeps the archive's value, which locates the member data).
    std::vector<std::uint8_t> local_header;
    // Central record: 46 fixed bytes + extra field + file comment, without the name.
    std::vector<std::uint8_t> central_header;
    // End record: 22 fixed bytes + archive comment.
    std::vector<std::uint8_t> end_record;

    z_stream z{};                      // decompressor (reading) or compressor (writing)
    bool z_started = false;            // z was initialised
    bool z_compressor = false;         // ... by deflateInit2 (else by inflateInit2)
    bool z_ended = false;              // reading: the member ended and was checked
    std::vector<std::uint8_t> buffer;  // work buffer (see zip_work_buffer)
    std::int32_t consumed = 0;         // reading: compressed bytes read so far
    std::int32_t produced = 0;         // reading: decompressed bytes given so far
    std::uint32_t produced_crc = 0;    // reading: CRC-32 of those bytes

    bool header_written = false;      // writing: the local header was written once
    std::int32_t header_length = 0;   // writing: its length then (the rewrite must match)
    std::int32_t written_size = 0;    // writing: uncompressed bytes accepted
    std::int32_t written_packed = 0;  // writing: compressed bytes written
    // Writing: content given in one write is compressed there in one call by libdeflate
    // (packed, packed_length; written at the close); content given in several writes
    // streams through zlib's deflate (z), so that its memory stays bounded.
    bool compressing = false;  // content came through zip_write
    std::unique_ptr<std::uint8_t[]> packed;
    std::size_t packed_length = 0;
    bool failed = false;  // every further read or write fails at once
};

// The work buffer of a zip stream, at least n bytes (contents not kept when it grows).
std::uint8_t* zip_work_buffer(TFILESTREAM& stream, std::size_t n);

// True when an archive member name may become a file name: not empty, not "." or "..",
// and without '/' or '\\' (which would lead outside the folder it is written to).
bool zip_member_name_is_safe(const char* name);

// Opens path as a single-member archive, positioned at the start of the member's
// compressed data. mode_text must ask for reading only ("r"). Reads about 2.5 KiB: the
// local header and the central directory. nullptr when the file cannot be opened or is
// not of the accepted shape.
FileStreamPtr zip_open(const char* path, const char* mode_text);

// Up to count decompressed bytes (fewer only at the end of the member): the number
// produced, 0 at the end, -1 on failure (the stream is then failed and every later
// call gives -1). Reading in small pieces gives the same bytes as one large read.
// Nothing beyond `member_size` is ever given, and the read that reaches it checks the
// member whole: the deflate stream ends there with no more data, exactly at the end of
// the `packed_size` compressed bytes, and the CRC-32 of everything given equals `crc`.
// Otherwise that read gives -1, so a caller that asked for the whole member never
// holds a cut, padded or damaged book.
std::int32_t zip_read(TFILESTREAM& stream, void* buffer, std::int32_t count);

// Only offset 0: positions the archive file at the member's first compressed byte, so
// that fs_read can copy exactly `packed_size` bytes unchanged. zip_read is not used
// afterwards. Any other offset marks the stream failed.
void zip_rewind(TFILESTREAM& stream, std::int32_t offset);

// Closes a zip stream, read or written: a written archive is finished first (trailer,
// then the local header again with the final sizes and CRC). Records member_size and
// mtime in info.membersize and info.membertime, then closes the file as fs_close does.
// Gives 0, or -1 when the archive could not be completed (a failed write before, or a
// failure now) or the close failed.
int zip_close(FileStreamPtr stream, TCLOSEINFO& info);

}  // namespace tomeo
