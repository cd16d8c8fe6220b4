#include "zip/zip_writer.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <libdeflate.h>

#include "core/charset.h"

namespace tomeo {
namespace {

using namespace zip_layout;

// libdeflate's level 6: archives a little smaller than zlib's level 6 (what zip tools use
// by default) in well under half its time.
constexpr int kDeflateLevel = 6;
// Block size of the raw member copy.
constexpr std::int32_t kCopyBlock = 65536;
// The largest length a 16-bit header field holds.
constexpr std::size_t kMaxFieldLength = 0xFFFF;
constexpr std::uint16_t kVersion20 = 20;

std::int32_t fail(TZIPSTATE& zip) {
    zip.failed = true;
    return -1;
}

// The member name as stored. Code page 866, as DOS and Windows zippers store names,
// when that code page holds every character of it; otherwise (« » € and the like)
// UTF-8, which the UTF-8 flag announces to every zip tool. False when the stream is
// not a written archive or the name could not be read back as a file name, or is too
// long.
struct StoredName {
    std::string bytes;
    bool utf8 = false;
};

bool stored_name(const TFILESTREAM& stream, StoredName& name) {
    if (stream.zip == nullptr || (stream.mode & kStreamWrite) == 0 ||
        !zip_member_name_is_safe(stream.name.c_str())) {
        return false;
    }
    const std::string ansi = stream.name.c_str();
    name.bytes = ansi;
    ansi_to_oem(name.bytes.data(), name.bytes.size());
    std::string back = name.bytes;
    oem_to_ansi(back.data(), back.size());
    name.utf8 = back != ansi;
    if (name.utf8) name.bytes = cp1251_to_utf8(ansi);
    return name.bytes.size() <= kMaxFieldLength;
}

// Flags as written: no data descriptor follows the data, the UTF-8 flag says how the
// name is stored whatever the source said, and content compressed here is never
// encrypted.
std::uint16_t written_flags(std::uint16_t flags, const TZIPSTATE& zip, bool utf8_name) {
    flags &= static_cast<std::uint16_t>(~(kFlagDataDescriptor | kFlagUtf8Name));
    if (utf8_name) flags |= kFlagUtf8Name;
    if (zip.compressing) flags &= static_cast<std::uint16_t>(~kFlagEncrypted);
    return flags;
}

// Time, date, CRC, both sizes and the name length stand in this order in both headers
// (from offset 10 in the local header, from offset 12 in the central record).
void set_common_fields(std::uint8_t* p, const TFILESTREAM& stream, std::size_t name_length) {
    const DosDateTime dos = filetime_to_dos(stream.mtime);
    put16(p + 0, dos.time);
    put16(p + 2, dos.date);
    put32(p + 4, stream.crc);
    put32(p + 8, static_cast<std::uint32_t>(stream.packed_size));
    put32(p + 12, static_cast<std::uint32_t>(stream.member_size));
    put16(p + 16, static_cast<std::uint32_t>(name_length));
}

struct CompressorFree {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
struct DecompressorFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// Compresses the whole content in one call into zip.packed. False when it cannot.
bool compress(TZIPSTATE& zip, const void* data, std::size_t size) {
    if (size == 0) {
        // The shortest empty deflate stream: one final fixed-code block, end of block only.
        zip.packed = std::make_unique<std::uint8_t[]>(2);
        zip.packed[0] = 0x03;
        zip.packed[1] = 0x00;
        zip.packed_length = 2;
        return true;
    }
    const std::unique_ptr<libdeflate_compressor, CompressorFree> compressor(
        libdeflate_alloc_compressor(kDeflateLevel));
    if (!compressor) return false;
    const std::size_t bound = libdeflate_deflate_compress_bound(compressor.get(), size);
    // Not zeroed: only the pages the compressed data fills are ever touched.
    zip.packed = std::make_unique_for_overwrite<std::uint8_t[]>(bound);
    static const std::uint8_t kNothing = 0;
    zip.packed_length = libdeflate_deflate_compress(compressor.get(), size > 0 ? data : &kNothing,
                                                    size, zip.packed.get(), bound);
    return zip.packed_length > 0 &&
           zip.packed_length <= static_cast<std::size_t>(platform::kMaxFileSize);
}

// Content in pieces streams through zlib's deflate at level 6 (raw deflate, 32 KiB
// window), its output collected in 4,096 + 128 bytes and written in pieces of 4,096.
constexpr std::int32_t kOutputPiece = 4096;
constexpr std::int32_t kOutputBuffer = kOutputPiece + 128;

bool start_compressor(TFILESTREAM& stream) {
    TZIPSTATE& zip = *stream.zip;
    zip_work_buffer(stream, kOutputBuffer);
    zip.z = z_stream{};
    if (deflateInit2(&zip.z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        return false;
    }
    zip.z_started = true;
    zip.z_compressor = true;
    zip.z.next_out = zip.buffer.data();
    zip.z.avail_out = kOutputBuffer;
    return true;
}

// Writes the first full piece of compressed output and moves what lies behind it to
// the front of the buffer.
bool write_piece(TFILESTREAM& stream) {
    TZIPSTATE& zip = *stream.zip;
    if (fs_write(stream, zip.buffer.data(), kOutputPiece) != kOutputPiece) return false;
    const std::int32_t rest =
        kOutputBuffer - static_cast<std::int32_t>(zip.z.avail_out) - kOutputPiece;
    std::memmove(zip.buffer.data(), zip.buffer.data() + kOutputPiece,
                 static_cast<std::size_t>(rest));
    zip.z.next_out = zip.buffer.data() + rest;
    zip.z.avail_out = static_cast<uInt>(kOutputBuffer - rest);
    zip.written_packed += kOutputPiece;
    return true;
}

bool deflate_piece(TFILESTREAM& stream, const std::uint8_t* data, std::size_t count) {
    TZIPSTATE& zip = *stream.zip;
    zip.z.next_in = const_cast<Bytef*>(data);
    zip.z.avail_in = static_cast<uInt>(count);
    while (zip.z.avail_in > 0) {
        if (deflate(&zip.z, Z_NO_FLUSH) != Z_OK) return false;
        if (kOutputBuffer - static_cast<std::int32_t>(zip.z.avail_out) >= kOutputPiece &&
            !write_piece(stream)) {
            return false;
        }
    }
    return true;
}

// A second write follows one that was compressed at once: the content comes in pieces
// after all, so the first write's bytes, back from their compressed form, start the
// stream through zlib.
bool start_streaming(TFILESTREAM& stream) {
    TZIPSTATE& zip = *stream.zip;
    std::vector<std::uint8_t> first(static_cast<std::size_t>(zip.written_size));
    const std::unique_ptr<libdeflate_decompressor, DecompressorFree> decompressor(
        libdeflate_alloc_decompressor());
    if (!decompressor ||
        libdeflate_deflate_decompress(decompressor.get(), zip.packed.get(), zip.packed_length,
                                      first.data(), first.size(), nullptr) != LIBDEFLATE_SUCCESS) {
        return false;
    }
    zip.packed.reset();
    zip.packed_length = 0;
    return start_compressor(stream) && deflate_piece(stream, first.data(), first.size());
}

// Ends the zlib stream: the rest of its output.
bool finish_streaming(TFILESTREAM& stream) {
    TZIPSTATE& zip = *stream.zip;
    zip.z.next_in = nullptr;
    zip.z.avail_in = 0;
    for (;;) {
        const int result = deflate(&zip.z, Z_FINISH);
        if (result == Z_STREAM_END) {
            const std::int32_t rest = kOutputBuffer - static_cast<std::int32_t>(zip.z.avail_out);
            if (fs_write(stream, zip.buffer.data(), rest) != rest) return false;
            zip.written_packed += rest;
            return true;
        }
        // Z_OK under Z_FINISH means the buffer is full: write a piece and go on.
        const std::int32_t waiting = kOutputBuffer - static_cast<std::int32_t>(zip.z.avail_out);
        if (result != Z_OK || waiting < kOutputPiece || !write_piece(stream)) return false;
    }
}

bool writable(const TFILESTREAM& stream) {
    return stream.zip != nullptr && (stream.mode & kStreamWrite) != 0 && !stream.zip->failed;
}

}  // namespace

FileStreamPtr zip_create(const char* path, bool overwrite, std::uint32_t attributes) {
    FileStreamPtr stream = fs_create(path, overwrite, attributes);
    if (!stream) return nullptr;
    auto zip = std::make_unique<TZIPSTATE>();

    zip->local_header.assign(kLocalSize, 0);
    put32(&zip->local_header[0], kLocalSignature);
    put16(&zip->local_header[kLocalVersionNeeded], kVersion20);
    put16(&zip->local_header[kLocalMethod], kMethodDeflate);

    zip->central_header.assign(kCentralSize, 0);
    put32(&zip->central_header[0], kCentralSignature);
    put16(&zip->central_header[kCentralVersionMadeBy], kVersion20);
    put16(&zip->central_header[kCentralVersionNeeded], kVersion20);
    put16(&zip->central_header[kCentralMethod], kMethodDeflate);

    zip->end_record.assign(kEndSize, 0);
    put32(&zip->end_record[0], kEndSignature);
    put16(&zip->end_record[kEndEntriesOnDisk], 1);
    put16(&zip->end_record[kEndEntries], 1);

    stream->kind = kStreamZip;
    stream->name.clear();
    stream->zip = std::move(zip);
    return stream;
}

bool zip_copy_headers(const TFILESTREAM& source, TFILESTREAM& destination) {
    const TZIPSTATE* from = source.zip.get();
    TZIPSTATE* to = destination.zip.get();
    if (from == nullptr || to == nullptr || (destination.mode & kStreamWrite) == 0 ||
        to->header_written || from->local_header.size() < static_cast<std::size_t>(kLocalSize) ||
        from->central_header.size() < static_cast<std::size_t>(kCentralSize) ||
        from->end_record.size() < static_cast<std::size_t>(kEndSize)) {
        return false;
    }
    auto copy16 = [](std::vector<std::uint8_t>& dst, const std::vector<std::uint8_t>& src,
                     int offset) { put16(&dst[offset], get16(&src[offset])); };

    // Local header: extra field, version needed, flags.
    std::vector<std::uint8_t>& local = to->local_header;
    local.resize(kLocalSize);
    local.insert(local.end(), from->local_header.begin() + kLocalSize, from->local_header.end());
    for (int field : {kLocalVersionNeeded, kLocalFlags, kLocalExtraLength}) {
        copy16(local, from->local_header, field);
    }

    // Central record: extra field and file comment, versions, flags, disk, internal
    // attributes.
    std::vector<std::uint8_t>& central = to->central_header;
    central.resize(kCentralSize);
    central.insert(central.end(), from->central_header.begin() + kCentralSize,
                   from->central_header.end());
    for (int field :
         {kCentralVersionMadeBy, kCentralVersionNeeded, kCentralFlags, kCentralExtraLength,
          kCentralCommentLength, kCentralDiskStart, kCentralInternalAttributes}) {
        copy16(central, from->central_header, field);
    }

    // End record: archive comment, disk numbers, entry counts.
    to->end_record = from->end_record;
    put32(&to->end_record[kEndDirectorySize], 0);
    put32(&to->end_record[kEndDirectoryOffset], 0);
    return true;
}

std::int32_t zip_write_local_header(TFILESTREAM& stream) {
    StoredName stored;
    if (!stored_name(stream, stored)) return -1;
    const std::string& name = stored.bytes;
    TZIPSTATE* zip = stream.zip.get();

    std::vector<std::uint8_t>& local = zip->local_header;
    put16(&local[kLocalFlags], written_flags(get16(&local[kLocalFlags]), *zip, stored.utf8));
    set_common_fields(&local[kLocalTime], stream, name.size());

    const std::size_t extra = local.size() - kLocalSize;
    const std::int32_t length = static_cast<std::int32_t>(kLocalSize + name.size() + extra);
    // Rewritten at close over the first one: a different length would overwrite data.
    if (zip->header_written && length != zip->header_length) return -1;
    std::vector<std::uint8_t> block;
    block.reserve(static_cast<std::size_t>(length));
    block.insert(block.end(), local.begin(), local.begin() + kLocalSize);
    block.insert(block.end(), name.begin(), name.end());
    block.insert(block.end(), local.begin() + kLocalSize, local.end());
    const std::int32_t written = fs_write(stream, block.data(), length);
    if (written == length && !zip->header_written) {
        zip->header_written = true;
        zip->header_length = length;
    }
    return written;
}

std::int32_t zip_write_directory(TFILESTREAM& stream) {
    StoredName stored;
    if (!stored_name(stream, stored)) return -1;
    const std::string& name = stored.bytes;
    TZIPSTATE* zip = stream.zip.get();

    std::vector<std::uint8_t>& central = zip->central_header;
    put16(&central[kCentralFlags],
          written_flags(get16(&central[kCentralFlags]), *zip, stored.utf8));
    // Readers take a non-ASCII name from a Unix-made archive as UTF-8: a name in code
    // page 866 has to say it comes from a DOS host. Info-ZIP unzip, in turn, reads a
    // DOS host's names as code page 866 even when they are flagged UTF-8: a UTF-8 name
    // says it comes from NTFS, whose attributes are the same Windows bits.
    const bool non_ascii = std::any_of(name.begin(), name.end(),
                                       [](char c) { return static_cast<std::uint8_t>(c) >= 0x80; });
    std::uint8_t& host = central[kCentralVersionMadeBy + 1];
    if (non_ascii && !stored.utf8) host = kHostMsDos;
    if (stored.utf8 && host == kHostMsDos) host = kHostNtfs;
    set_common_fields(&central[kCentralTime], stream, name.size());
    put32(&central[kCentralExternalAttributes], stream.attributes);
    put32(&central[kCentralLocalOffset], 0);

    const std::size_t central_length = central.size() + name.size();
    const std::int64_t directory_offset = static_cast<std::int64_t>(kLocalSize) + name.size() +
                                          (zip->local_header.size() - kLocalSize) +
                                          stream.packed_size;
    // The directory must stand right behind the member data it describes.
    if (directory_offset != stream.position) return -1;
    std::vector<std::uint8_t>& end = zip->end_record;
    put32(&end[kEndDirectorySize], static_cast<std::uint32_t>(central_length));
    put32(&end[kEndDirectoryOffset], static_cast<std::uint32_t>(directory_offset));

    std::vector<std::uint8_t> block;
    block.reserve(central_length + end.size());
    block.insert(block.end(), central.begin(), central.begin() + kCentralSize);
    block.insert(block.end(), name.begin(), name.end());
    block.insert(block.end(), central.begin() + kCentralSize, central.end());
    block.insert(block.end(), end.begin(), end.end());
    return fs_write(stream, block.data(), static_cast<std::int32_t>(block.size()));
}

std::int32_t zip_write(TFILESTREAM& stream, const void* data, std::int32_t count) {
    if (!writable(stream) || count < 0) return -1;
    TZIPSTATE& zip = *stream.zip;
    if (count > platform::kMaxFileSize - zip.written_size) return fail(zip);
    // Data written behind a header that failed would be overwritten by the final one.
    if (!zip.header_written && zip_write_local_header(stream) < 0) return fail(zip);
    zip.compressing = true;
    if (count == 0) return 0;

    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (zip.written_size == 0) {
        // Usually the whole content: compressed right away, in one call.
        if (!compress(zip, bytes, static_cast<std::size_t>(count))) return fail(zip);
    } else {
        if (zip.packed && !start_streaming(stream)) return fail(zip);
        if (!deflate_piece(stream, bytes, static_cast<std::size_t>(count))) return fail(zip);
    }
    zip.written_size += count;
    stream.crc = libdeflate_crc32(stream.crc, bytes, static_cast<std::size_t>(count));
    return count;
}

int zip_copy_member(TFILESTREAM& source, TFILESTREAM& destination) {
    if (!writable(destination) || source.zip == nullptr || source.zip->failed) return -1;
    TZIPSTATE& zip = *destination.zip;
    destination.member_size = source.member_size;
    destination.packed_size = source.packed_size;
    destination.crc = source.crc;
    if (zip_write_local_header(destination) < 0) return fail(zip);
    zip_rewind(source, 0);
    if (source.zip->failed) return fail(zip);

    std::vector<std::uint8_t> block(
        static_cast<std::size_t>(std::min(kCopyBlock, source.packed_size)));
    for (std::int32_t left = source.packed_size; left > 0;) {
        const std::int32_t n = std::min(left, kCopyBlock);
        if (fs_read(source, block.data(), n) != n || fs_write(destination, block.data(), n) != n) {
            return fail(zip);
        }
        left -= n;
    }
    return 0;
}

bool zip_finish_archive(TFILESTREAM& stream) {
    TZIPSTATE& zip = *stream.zip;
    if (zip.failed) return false;
    if (!zip.header_written && zip_write_local_header(stream) < 0) return false;

    // A member with no data at all still gets the (2-byte) empty deflate stream.
    if (!zip.compressing && stream.packed_size == 0 && stream.member_size == 0) {
        zip.compressing = true;
    }
    if (zip.compressing) {
        if (zip.z_started) {
            if (!finish_streaming(stream)) return false;
        } else {
            if (!zip.packed && !compress(zip, nullptr, 0)) return false;
            const auto length = static_cast<std::int32_t>(zip.packed_length);
            if (fs_write(stream, zip.packed.get(), length) != length) return false;
            zip.packed.reset();
            zip.written_packed = length;
        }
        stream.member_size = zip.written_size;
        stream.packed_size = zip.written_packed;
    }
    if (zip_write_directory(stream) < 0) return false;
    fs_seek(stream, 0);
    return zip_write_local_header(stream) >= 0;
}

}  // namespace tomeo
