#include "batch/file_list.h"

#include <cstring>

#include "core/collation.h"

namespace tomeo {
namespace {

void CopyFields(TFILEINF& entry, const FileEntryFields& fields) {
    entry.dir.assign(fields.dir);
    entry.name.assign(fields.name);
    entry.kind = fields.kind;
    entry.size = fields.size;
    entry.time = fields.time;
    entry.zipname.assign(fields.zipname);
    entry.container = fields.container;
    entry.zipsize = fields.zipsize;
}

struct BookExtension {
    const char* extension;
    EntryKind kind;
};

constexpr BookExtension BOOK_EXTENSIONS[] = {
    {".txt", KIND_TXT},
    {".fb2", KIND_FB2},
    {".rtf", KIND_RTF},
};

}  // namespace

bool IsParentEntry(const TFILEINF& entry) {
    return entry.kind == KIND_DIRECTORY && std::strcmp(entry.name.c_str(), kParentName) == 0;
}

EntryKind BookKindOf(const char* extension) {
    for (const BookExtension& book : BOOK_EXTENSIONS) {
        if (equal_ignoring_case(extension, book.extension)) return book.kind;
    }
    return KIND_NONE;
}

const char* CanonicalExtension(EntryKind kind) {
    for (const BookExtension& book : BOOK_EXTENSIONS) {
        if (book.kind == kind) return book.extension;
    }
    return "";
}

FileEntryFields FieldsOf(const TFILEINF& entry) {
    return {entry.dir.c_str(), entry.name.c_str(),    entry.kind,      entry.size,
            entry.time,        entry.zipname.c_str(), entry.container, entry.zipsize};
}

const TFILEINF& TFILELIST::at(std::int32_t index) const {
    if (index < 0 || index >= count()) throw WLISTError();
    return entries_[index];
}

void TFILELIST::AddFileEntry(const FileEntryFields& fields) {
    CopyFields(entries_.add(), fields);
}

void TFILELIST::InsertFileEntry(std::int32_t index, const FileEntryFields& fields) {
    CopyFields(entries_.insert_at(index), fields);
}

void TFILELIST::SetFileEntry(std::int32_t index, const FileEntryFields& fields) {
    at(index);  // range check
    CopyFields(entries_[index], fields);
}

void TFILELIST::RemoveFileEntry(std::int32_t index) {
    entries_.delete_at(index);
}

std::int32_t TFILELIST::FindFileEntry(const char* name, EntryKind kind, const char* zipname) const {
    for (std::int32_t i = 0; i < count(); ++i) {
        const TFILEINF& entry = entries_[i];
        if (kind != KIND_NONE && entry.kind != kind) continue;
        if (name != nullptr && !equal_ignoring_case(entry.name.c_str(), name)) continue;
        if (zipname != nullptr && !equal_ignoring_case(entry.zipname.c_str(), zipname)) continue;
        return i;
    }
    return -1;
}

void TFILELIST::ClearProcessedMarks() {
    for (std::int32_t i = 0; i < count(); ++i) entries_[i].processed = 0;
}

void TFILELIST::MarkProcessed(std::int32_t index) {
    at(index);  // range check
    entries_[index].processed = 1;
}

void TFILELIST::SortFileList() {
    entries_.sort([](const TFILEINF& a, const TFILEINF& b) {
        const bool a_directory = a.kind == KIND_DIRECTORY;
        const bool b_directory = b.kind == KIND_DIRECTORY;
        if (a_directory != b_directory) return a_directory;
        // ".." heads the list whatever the names of the directories beside it.
        const bool a_parent = a_directory && IsParentEntry(a);
        const bool b_parent = b_directory && IsParentEntry(b);
        if (a_parent != b_parent) return a_parent;
        return collate_ignoring_case(a.name.c_str(), b.name.c_str()) < 0;
    });
}

}  // namespace tomeo
