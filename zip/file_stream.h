// File streams: every book, archive, script and help file is read and written through
// one small stream that is either a plain file (kind 1) or the single member of a zip
// archive (kind 2, zip/zip_reader.h and zip/zip_writer.h). Callers open and create
// through the stream_* dispatchers, which choose the kind by the extension ".zip" (any
// case), and then read, write, seek and close without caring which kind they hold.
//
// Plain streams are unbuffered: every read or write is one positional system call
// (repeated only when the system moves fewer bytes). Sizes and offsets are signed 32-bit:
// a file of 2 GiB or more is refused on open, and a write that would grow a file to
// that size fails.
//
// Results: reads and writes give the byte count or -1, closes 0 or -1; a failed read
// or write changes neither `position` nor `size`. Open and create give nullptr on any
// failure, with no message.
#pragma once

#include <cstdint>
#include <memory>

#include "core/filetime.h"
#include "core/hstr.h"
#include "platform/files.h"

namespace tomeo {

struct TZIPSTATE;  // zip/zip_reader.h

enum : std::uint8_t {
    kStreamPlain = 1,
    kStreamZip = 2,
};
enum : std::uint8_t {
    kStreamRead = 1,
    kStreamWrite = 2,
};

// One open stream, owned through FileStreamPtr: made by an open or create, released by
// the close. Dropping the pointer instead closes the file without finishing, flushing
// or recording anything: for an output that is about to be deleted.
struct TFILESTREAM {
    TFILESTREAM();
    ~TFILESTREAM();
    TFILESTREAM(const TFILESTREAM&) = delete;
    TFILESTREAM& operator=(const TFILESTREAM&) = delete;

    platform::File handle;
    std::uint8_t kind = kStreamPlain;
    std::uint8_t mode = 0;      // kStreamRead | kStreamWrite
    std::int32_t size = 0;      // length of the file (for a zip stream: of the archive)
    std::int32_t position = 0;  // offset of the next read or write

    // Zip streams only (see zip/zip_reader.h and zip/zip_writer.h).
    HSTR name;                     // member name, Windows-1251
    std::int32_t member_size = 0;  // uncompressed size
    std::int32_t packed_size = 0;  // compressed size
    std::uint32_t attributes = 0;  // external attributes (Windows bits: 0x20, 0x01)
    FILETIME mtime = 0;            // member time, local
    std::uint32_t crc = 0;         // CRC-32 of the uncompressed data
    std::unique_ptr<TZIPSTATE> zip;
};

using FileStreamPtr = std::unique_ptr<TFILESTREAM>;

// What the last closes produced; the pipeline owns one and reads it right after each
// close to refresh the size and date of the file it works on.
struct TCLOSEINFO {
    std::int32_t filesize = 0;    // size of the last stream closed that was open for writing
    FILETIME filetime = 0;        // its last-write time, local, read just before closing
    std::int32_t membersize = 0;  // member size of the last zip stream closed
    FILETIME membertime = 0;      // its member time, local
    // The last stream closed that was open for writing now bears its name (a new file
    // has none before its close, which gives it only when the content is complete).
    bool published = false;
};

// --- Plain streams ---------------------------------------------------------------

// Opens an existing file. mode_text letters: 'r' read, 'w' write, 'e' exclusive (kept
// for callers written for systems with share modes; here others may always read);
// neither 'r' nor 'w' means reading. Gives nullptr when the file is missing, is not a
// regular file, or is 2 GiB or larger.
FileStreamPtr fs_open(const char* path, const char* mode_text);
// A new file opened for writing: with overwrite an existing file is replaced, without it
// the creation fails when the name exists. attributes: Windows bits for the new file
// (0x01 makes it read-only; 0 for none). Without overwrite the file is written without
// a name and takes it at a successful close (never replacing a file that took it
// meanwhile); a stream dropped or failing before that leaves nothing behind.
FileStreamPtr fs_create(const char* path, bool overwrite, std::uint32_t attributes);
// Up to count bytes at `position`: fewer only at the end of the file, 0 there; -1 on a
// system failure or when the stream is not open for reading.
std::int32_t fs_read(TFILESTREAM& stream, void* buffer, std::int32_t count);
// count bytes at `position`, raising `size` when the write ends beyond it: count, or -1.
std::int32_t fs_write(TFILESTREAM& stream, const void* buffer, std::int32_t count);
// Moves to an absolute offset, clamped to `size`: the new offset, or -1 for a negative one.
std::int32_t fs_seek(TFILESTREAM& stream, std::int32_t offset);
// Sets the file's last-write time (local time), for a copy that must keep its source's.
bool fs_set_time(TFILESTREAM& stream, FILETIME local_time);
// Gives a new file the permission bits of the file the model stream reads, and its
// owner and group where this process may (a book rewritten keeps who may read it).
bool fs_copy_access(TFILESTREAM& stream, const TFILESTREAM& model);
// Closes and releases the stream. A stream open for writing is first flushed to disk
// (a failed flush fails the close) and then given its name; its size and last-write
// time go to info.filesize and info.filetime, and info.published tells whether it bears
// its name. Gives 0, or -1 when the flush, the naming or the close failed.
int fs_close(FileStreamPtr stream, TCLOSEINFO& info);

// --- Dispatchers: the interface the rest of the program uses -----------------------

// zip_open for a path whose extension is ".zip" in any case, fs_open otherwise.
FileStreamPtr stream_open(const char* path, const char* mode_text);
// zip_create for ".zip" in any case, fs_create otherwise.
FileStreamPtr stream_create(const char* path, bool overwrite, std::uint32_t attributes);
std::int32_t stream_read(TFILESTREAM& stream, void* buffer, std::int32_t count);
std::int32_t stream_write(TFILESTREAM& stream, const void* buffer, std::int32_t count);
// Plain: fs_seek. Zip: zip_rewind, which accepts only 0 (the start of the member's
// compressed data) and marks the stream failed otherwise.
void stream_seek(TFILESTREAM& stream, std::int32_t offset);
int stream_close(FileStreamPtr stream, TCLOSEINFO& info);

// --- File names (Windows-1251 paths, components separated by '/') --------------

// The extension with its dot, as a position inside path (the empty string at its end
// when the last component has no dot), so that a caller may overwrite it in place.
char* path_ext(char* path);
const char* path_ext(const char* path);
// The part after the last separator (the whole path when there is none).
char* path_name(char* path);
const char* path_name(const char* path);
// Cuts path just after its last separator; a path without one becomes empty.
void path_cut_to_dir(char* path);

}  // namespace tomeo
