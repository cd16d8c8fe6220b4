// The zip writer: every archive the program writes is a new file with exactly one member
// compressed by deflate (raw deflate, level 6). A content given in one write (the whole
// book, as packing gives it) is compressed there in one call by libdeflate, the fastest
// way; a content given in pieces (converted text, chunk by chunk) streams through zlib's
// deflate, so its memory stays bounded. The file is written front to back: the local
// header (with whatever sizes are known), the compressed data, the central directory
// record and the end record; then the writer goes back to offset 0 and writes the local
// header again with the final CRC (libdeflate's CRC-32) and sizes. No data descriptor
// is written.
//
// Use: stream_create (or zip_create) a ".zip" path; set the stream's `name` (Windows-1251,
// stored in code page 866 in both headers, or in UTF-8 with the UTF-8 flag when code
// page 866 lacks one of its characters), `attributes` and `mtime` (local time, stored
// with two-second resolution); optionally zip_copy_headers from a source archive; then
// stream_write the content and stream_close. To give a member a new name without
// recompressing it, call zip_copy_member instead of writing.
#pragma once

#include <cstdint>

#include "zip/file_stream.h"
#include "zip/zip_reader.h"

namespace tomeo {

// A new, empty archive stream (kind 2, writing), or nullptr when fs_create fails with
// the same arguments. attributes are those of the archive file itself.
FileStreamPtr zip_create(const char* path, bool overwrite, std::uint32_t attributes);

// Carries over from a source archive (opened by zip_open) into a destination not yet
// written: the version fields, flags, extra fields, file and archive comments, disk
// numbers, internal attributes and entry counts. Not the method, times, CRC, sizes,
// name or external attributes. False when either stream is not of the right kind.
bool zip_copy_headers(const TFILESTREAM& source, TFILESTREAM& destination);

// Takes count bytes of the content: count, or -1 (the stream is then failed). Writes the
// local header first when it has not been written yet. Giving the whole content in one
// write is fastest: it is compressed there and then, in one call, without a copy.
std::int32_t zip_write(TFILESTREAM& stream, const void* data, std::int32_t count);

// Writes the local header at the current position: the plain write's result.
std::int32_t zip_write_local_header(TFILESTREAM& stream);

// Writes the central record and the end record at the current position, which must be
// right behind the member data: the plain write's result, or -1.
std::int32_t zip_write_directory(TFILESTREAM& stream);

// The raw member copy: gives destination (created, name and header fields set, nothing
// written yet) the source's sizes and CRC, writes its local header and copies the
// source's compressed bytes unchanged. zip_close then completes the archive. 0, or -1
// (the destination is then failed and its close gives -1).
int zip_copy_member(TFILESTREAM& source, TFILESTREAM& destination);

// Finishes a written archive (zip_close calls it): the rest of the compressed data, the
// directory, the local header again. False when the archive is not complete.
bool zip_finish_archive(TFILESTREAM& stream);

}  // namespace tomeo
