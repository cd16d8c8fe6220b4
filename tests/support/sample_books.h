// Books made on the spot for the pipeline tests, the end-to-end tests and the
// benchmarks: FB2 books from a few fields, and single-member zip archives of them.
// No GoogleTest here: the benchmarks build this file too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tomeo::test {

struct Fb2Author {
    std::string first, last;  // UTF-8
};

// An FB2 book; every text is UTF-8 here. `encoding` is what the declaration names and
// how the book is stored: "UTF-8" or "windows-1251".
struct Fb2Shape {
    std::vector<Fb2Author> authors = {{"Иван", "Петров"}};
    std::string title = "Книга";
    std::string seq, seqnum;
    std::string annotation;  // one paragraph, none when empty
    std::vector<std::string> paragraphs = {"Первый абзац.", "Второй абзац."};
    std::string encoding = "UTF-8";
};

std::string MakeFb2(const Fb2Shape& shape);

// A zip archive holding one deflated member. The name is UTF-8 and is stored in code
// page 866; the time is a DOS date and time (local).
struct ZipMember {
    std::string name = "book.fb2";
    std::string content;
    std::uint16_t dos_date = 28 * 512 + 3 * 32 + 15;        // 2008-03-15
    std::uint16_t dos_time = 14 * 2048 + 30 * 32 + 58 / 2;  // 14:30:58
};

std::string MakeZip(const ZipMember& member);

// What a single-member archive holds, read back with the test's own reader (not the
// program's): the member's name (UTF-8; stored in code page 866 or flagged UTF-8), its raw
// compressed bytes, CRC, DOS time and date, and the inflated content. `ok` is false when the
// archive is not of that shape.
struct ZipContents {
    bool ok = false;
    std::string name;
    std::string compressed;
    std::uint32_t crc = 0;
    std::uint16_t dos_time = 0, dos_date = 0;
    std::string content;
};

ZipContents ReadZip(const std::string& archive);

// A plain-text book whose first two lines are its author and title (UTF-8 given), long
// enough for its code page to be told: in "UTF-8", "1251" or "866".
std::string MakeTextBook(const std::string& codepage, const std::string& author,
                         const std::string& title);
// An RTF book in code page 1251 with its title and author in the information group.
std::string MakeRtfBook(const std::string& author, const std::string& title);

}  // namespace tomeo::test
