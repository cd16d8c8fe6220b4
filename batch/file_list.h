// The file list: the entries the program works on (the books of one directory, perhaps
// with those of every directory below it, the subdirectories, the parent entry "..", or
// the drives), the kinds of entry, and the rule that tells a book by its extension.
// One list exists for the whole process; the window shows it and both modes run
// operations over it.
#pragma once

#include <cstdint>

#include "core/filetime.h"
#include "core/wlist.h"
#include "core/wstr.h"

namespace tomeo {

// Entry kinds. A file of kind KIND_NONE is no book and is never listed.
enum EntryKind : std::uint8_t {
    KIND_NONE = 0,
    KIND_DIRECTORY = 1,  // a directory, or the parent entry ".."
    KIND_TXT = 2,
    KIND_FB2 = 3,
    KIND_RTF = 4,
    KIND_DRIVE = 5,  // the root or a mounted volume
};

// Where the bytes of an entry are.
enum Container : std::uint8_t {
    CONTAINER_FILE = 1,  // a loose file, a directory or a drive
    CONTAINER_ZIP = 2,   // the single member of a zip archive
};

// What the list shows (kept beside it).
enum ListMode : std::uint8_t {
    LIST_MODE_DIRECTORY = 1,  // the current directory only
    LIST_MODE_TREE = 2,       // books of every directory below, too
};

// The kind of a book file by its extension (".txt", ".fb2", ".rtf" in any case), or
// KIND_NONE.
EntryKind BookKindOf(const char* extension);
// The extension new file names of a book kind get (".txt", ".fb2", ".rtf", lower
// case); empty for the other kinds.
const char* CanonicalExtension(EntryKind kind);

// One entry of the list.
struct TFILEINF {
    // A loose book or a directory: its file name; a zipped book: the member's name;
    // a drive: its mount path; the parent entry: "..".
    WSTR name;
    EntryKind kind = KIND_NONE;
    // A loose book: its size (low 32 bits); a zipped book: the member's uncompressed
    // size; 0 for directories and drives.
    std::int32_t size = 0;
    // Last-write time as local time: a loose book's at two-second resolution, a zipped
    // book's member time; 0 for directories and drives.
    FILETIME time = 0;
    // A zipped book: the archive's file name; a drive: its mount path; else empty.
    WSTR zipname;
    Container container = CONTAINER_FILE;
    std::int32_t zipsize = 0;  // a zipped book: the archive's size
    // Set when the list run has handled the entry (or just created it).
    std::uint8_t processed = 0;
    // The directory holding a book, ending with the separator; empty for directories,
    // ".." and drives (theirs is the list's current directory).
    WSTR dir;
};

// The name of the parent entry.
inline constexpr char kParentName[] = "..";
bool IsParentEntry(const TFILEINF& entry);

// The fields an entry is made from or overwritten with; texts are borrowed.
struct FileEntryFields {
    const char* dir = "";
    const char* name = "";
    EntryKind kind = KIND_NONE;
    std::int32_t size = 0;
    FILETIME time = 0;
    const char* zipname = "";
    Container container = CONTAINER_FILE;
    std::int32_t zipsize = 0;
};

// The fields of an existing record (for example the current file record of the
// pipeline), borrowing its texts.
FileEntryFields FieldsOf(const TFILEINF& entry);

class TFILELIST {
public:
    std::int32_t count() const { return entries_.count(); }
    // Index checked: WLISTError when out of range.
    const TFILEINF& at(std::int32_t index) const;

    void AddFileEntry(const FileEntryFields& fields);
    // Inserts at index (0 to count), shifting the later entries up.
    void InsertFileEntry(std::int32_t index, const FileEntryFields& fields);
    // Overwrites every field but processed.
    void SetFileEntry(std::int32_t index, const FileEntryFields& fields);
    // Frees the entry; the later ones move down by one.
    void RemoveFileEntry(std::int32_t index);
    void ClearFileList() { entries_.clear(); }

    // The index of the first entry matching every criterion given, or -1. A null name
    // or zipname and a kind of KIND_NONE match anything; texts compare ignoring case.
    std::int32_t FindFileEntry(const char* name, EntryKind kind, const char* zipname) const;

    void ClearProcessedMarks();
    void MarkProcessed(std::int32_t index);

    // Directories first (".." at their head), then everything else; each group by
    // name, ignoring case, in Russian alphabet order.
    void SortFileList();

    // LIST_MODE_DIRECTORY or LIST_MODE_TREE.
    ListMode mode = LIST_MODE_DIRECTORY;

private:
    OwningList<TFILEINF> entries_;
};

}  // namespace tomeo
