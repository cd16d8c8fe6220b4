// Hand-built zip archives for the tests: every field under the test's control, so that
// each accepted and refused shape can be made on purpose.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tomeo::test {

inline std::string RawDeflate(const std::string& data, int level = Z_DEFAULT_COMPRESSION) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// The content of raw deflate data, inflated by zlib; "<bad>" when it is not a whole stream.
inline std::string RawInflate(const std::string& data) {
    z_stream z{};
    inflateInit2(&z, -MAX_WBITS);
    std::string out;
    char piece[65536];
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(piece);
        z.avail_out = sizeof piece;
        result = inflate(&z, Z_NO_FLUSH);
        out.append(piece, sizeof piece - z.avail_out);
    }
    const bool whole = result == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    return whole ? out : "<bad>";
}

// Raw deflate data that holds all of data but never ends: flushed, no final block.
inline std::string RawDeflateUnfinished(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_SYNC_FLUSH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

inline std::uint32_t Crc32(const std::string& data) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

inline void Put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
inline std::uint32_t Get16(const std::string& s, std::size_t at) {
    return static_cast<std::uint8_t>(s[at]) | static_cast<std::uint8_t>(s[at + 1]) << 8;
}
inline std::uint32_t Get32(const std::string& s, std::size_t at) {
    return Get16(s, at) | Get16(s, at + 2) << 16;
}

struct ZipShape {
    std::string name = "book.fb2";  // bytes as stored
    std::string content = "<FictionBook>book</FictionBook>";
    std::uint16_t method = 8;
    std::uint16_t flags = 0;
    std::uint16_t dos_time = 14 * 2048 + 30 * 32 + 58 / 2;  // 14:30:58
    std::uint16_t dos_date = 28 * 512 + 3 * 32 + 15;        // 2008-03-15
    std::uint32_t attributes = 0x20;
    std::uint16_t made_by = 20;  // high byte: host system (0 MS-DOS, 3 Unix)
    std::string local_extra, central_extra, file_comment, archive_comment;
    std::string prefix;               // bytes in front of the archive
    std::string after_data;           // bytes between the data and the central record
    bool second_member = false;       // a second local header and central record
    bool data_descriptor = false;     // sizes 0 in the local header, a descriptor after data
    bool zip64 = false;               // sizes 0xFFFFFFFF, a ZIP64 end record and locator
    std::optional<std::string> data;  // compressed bytes (default: deflated content)
    std::optional<std::uint32_t> packed_size, member_size;  // header values (default: true ones)
    std::optional<std::uint32_t> crc;                       // header value (default: true one)
};

inline std::string BuildZip(const ZipShape& shape) {
    const std::string data =
        shape.data ? *shape.data : (shape.method == 8 ? RawDeflate(shape.content) : shape.content);
    std::uint32_t packed = shape.packed_size.value_or(static_cast<std::uint32_t>(data.size()));
    std::uint32_t member =
        shape.member_size.value_or(static_cast<std::uint32_t>(shape.content.size()));
    if (shape.zip64) packed = member = 0xFFFFFFFF;
    const std::uint32_t crc = shape.crc.value_or(Crc32(shape.content));

    auto local_header = [&](const std::string& name, bool descriptor) {
        std::string h;
        Put32(h, 0x04034B50);
        Put16(h, shape.zip64 ? 45 : 20);
        Put16(h, shape.flags | (descriptor ? 0x0008 : 0));
        Put16(h, shape.method);
        Put16(h, shape.dos_time);
        Put16(h, shape.dos_date);
        Put32(h, descriptor ? 0 : crc);
        Put32(h, descriptor ? 0 : packed);
        Put32(h, descriptor ? 0 : member);
        Put16(h, static_cast<std::uint32_t>(name.size()));
        Put16(h, static_cast<std::uint32_t>(shape.local_extra.size()));
        return h + name + shape.local_extra;
    };
    auto central_record = [&](const std::string& name, std::uint32_t offset) {
        std::string h;
        Put32(h, 0x02014B50);
        Put16(h, shape.made_by);
        Put16(h, shape.zip64 ? 45 : 20);
        Put16(h, shape.flags | (shape.data_descriptor ? 0x0008 : 0));
        Put16(h, shape.method);
        Put16(h, shape.dos_time);
        Put16(h, shape.dos_date);
        Put32(h, crc);
        Put32(h, packed);
        Put32(h, member);
        Put16(h, static_cast<std::uint32_t>(name.size()));
        Put16(h, static_cast<std::uint32_t>(shape.central_extra.size()));
        Put16(h, static_cast<std::uint32_t>(shape.file_comment.size()));
        Put16(h, 0);
        Put16(h, 0);
        Put32(h, shape.attributes);
        Put32(h, offset);
        return h + name + shape.central_extra + shape.file_comment;
    };

    std::string out = shape.prefix;
    std::string directory;
    const auto base = static_cast<std::uint32_t>(shape.prefix.size());
    out += local_header(shape.name, shape.data_descriptor) + data;
    if (shape.data_descriptor) {
        Put32(out, 0x08074B50);
        Put32(out, crc);
        Put32(out, packed);
        Put32(out, member);
    }
    out += shape.after_data;
    directory += central_record(shape.name, base);
    if (shape.second_member) {
        const auto offset = static_cast<std::uint32_t>(out.size());
        out += local_header("notes.txt", false) + data;
        directory += central_record("notes.txt", offset);
    }
    const auto directory_offset = static_cast<std::uint32_t>(out.size());
    out += directory;
    const std::uint16_t entries = shape.second_member ? 2 : 1;
    if (shape.zip64) {
        const auto zip64_end = static_cast<std::uint64_t>(out.size());
        Put32(out, 0x06064B50);
        Put32(out, 44);
        Put32(out, 0);
        Put16(out, 45);
        Put16(out, 45);
        Put32(out, 0);
        Put32(out, 0);
        for (int i = 0; i < 2; ++i) Put32(out, entries), Put32(out, 0);
        Put32(out, static_cast<std::uint32_t>(directory.size())), Put32(out, 0);
        Put32(out, directory_offset), Put32(out, 0);
        Put32(out, 0x07064B50);
        Put32(out, 0);
        Put32(out, static_cast<std::uint32_t>(zip64_end)), Put32(out, 0);
        Put32(out, 1);
    }
    Put32(out, 0x06054B50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, entries);
    Put16(out, entries);
    Put32(out, static_cast<std::uint32_t>(directory.size()));
    Put32(out, directory_offset);
    Put16(out, static_cast<std::uint32_t>(shape.archive_comment.size()));
    return out + shape.archive_comment;
}

// A book-like text that compresses to many 4 KiB blocks: Russian-looking words in
// Windows-1251 from a fixed pseudo-random sequence.
inline std::string BookText(std::size_t size, std::uint32_t seed = 1) {
    std::string text;
    text.reserve(size + 32);
    std::uint32_t x = seed;
    while (text.size() < size) {
        x = x * 1103515245u + 12345u;
        const int letters = 2 + static_cast<int>((x >> 16) % 9);
        for (int i = 0; i < letters; ++i) {
            x = x * 1103515245u + 12345u;
            text += static_cast<char>(0xE0 + (x >> 16) % 32);  // а..я
        }
        text += (x >> 8) % 13 == 0 ? ".\r\n" : " ";
    }
    text.resize(size);
    return text;
}

}  // namespace tomeo::test
