#include "tests/support/sample_books.h"

#include <zlib.h>

#include "core/charset.h"
#include "tests/zip/zip_builder.h"

namespace tomeo::test {
namespace {

// The samples are written with characters that all have a Windows-1251 form.
std::string ToWindows1251(const std::string& utf8) {
    return utf8_to_cp1251_lossy(utf8);
}

}  // namespace

std::string MakeFb2(const Fb2Shape& shape) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"" + shape.encoding + "\"?>\n";
    xml +=
        "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
        "xmlns:l=\"http://www.w3.org/1999/xlink\">\n<description><title-info>"
        "<genre>prose_classic</genre>";
    for (const Fb2Author& a : shape.authors) {
        xml += "<author><first-name>" + a.first + "</first-name><last-name>" + a.last +
               "</last-name></author>";
    }
    xml += "<book-title>" + shape.title + "</book-title>";
    if (!shape.annotation.empty())
        xml += "<annotation><p>" + shape.annotation + "</p></annotation>";
    if (!shape.seq.empty()) {
        xml += "<sequence name=\"" + shape.seq + "\"";
        if (!shape.seqnum.empty()) xml += " number=\"" + shape.seqnum + "\"";
        xml += "/>";
    }
    xml += "<lang>ru</lang></title-info></description>\n<body><section>";
    for (const std::string& p : shape.paragraphs) xml += "<p>" + p + "</p>\n";
    xml += "</section></body>\n</FictionBook>\n";
    return shape.encoding == "UTF-8" ? xml : ToWindows1251(xml);
}

std::string MakeZip(const ZipMember& member) {
    ZipShape shape;
    shape.name = ToWindows1251(member.name);
    ansi_to_oem(shape.name.data(), shape.name.size());
    shape.content = member.content;
    shape.dos_date = member.dos_date;
    shape.dos_time = member.dos_time;
    return BuildZip(shape);
}

std::string MakeTextBook(const std::string& codepage, const std::string& author,
                         const std::string& title) {
    const std::string utf8 =
        author + "\r\n" + title +
        "\r\n\r\nЭто первый абзац длинной русской книги, написанный для проверки "
        "определения кодировки по парам букв.\r\nВторой абзац рассказывает, как хорошо "
        "читать книги вечером у окна.\r\n";
    if (codepage == "UTF-8") return utf8;
    std::string text = ToWindows1251(utf8);
    if (codepage == "866") ansi_to_oem(text.data(), text.size());
    return text;
}

std::string MakeRtfBook(const std::string& author, const std::string& title) {
    return ToWindows1251("{\\rtf1\\ansi\\ansicpg1251{\\info{\\title " + title +
                         "}{\\author " + author + "}}Текст книги.\\par}");
}

ZipContents ReadZip(const std::string& archive) {
    ZipContents z;
    if (archive.size() < 30 + 22 || Get32(archive, 0) != 0x04034B50) return z;
    const std::size_t end = archive.size() - 22;
    if (Get32(archive, end) != 0x06054B50 || Get16(archive, end + 10) != 1) return z;
    const std::uint32_t packed = Get32(archive, 18);
    const std::uint32_t size = Get32(archive, 22);
    const std::size_t name_length = Get16(archive, 26);
    const std::size_t data = 30 + name_length + Get16(archive, 28);
    if (data + packed > end) return z;
    std::string name = archive.substr(30, name_length);
    if ((Get16(archive, 6) & 0x0800) != 0) {
        z.name = name;  // flagged UTF-8
    } else {
        oem_to_ansi(name.data(), name.size());
        z.name = cp1251_to_utf8(name);
    }
    z.compressed = archive.substr(data, packed);
    z.crc = Get32(archive, 14);
    z.dos_time = static_cast<std::uint16_t>(Get16(archive, 10));
    z.dos_date = static_cast<std::uint16_t>(Get16(archive, 12));

    z.content.assign(size, '\0');
    z_stream s{};
    inflateInit2(&s, -MAX_WBITS);
    s.next_in = reinterpret_cast<Bytef*>(z.compressed.data());
    s.avail_in = static_cast<uInt>(z.compressed.size());
    s.next_out = reinterpret_cast<Bytef*>(z.content.data());
    s.avail_out = static_cast<uInt>(z.content.size());
    const int status = inflate(&s, Z_FINISH);
    inflateEnd(&s);
    z.ok = (status == Z_STREAM_END || (size == 0 && status == Z_BUF_ERROR)) &&
           s.total_out == size && Crc32(z.content) == z.crc;
    return z;
}

}  // namespace tomeo::test
