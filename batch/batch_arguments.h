// The file list of one batch argument: a name, a pattern with '*' and '?', or a
// directory (every book in it, as "dir/*"). A shell that expands ~/books/*.fb2 gives
// thousands of names of one directory: each is looked up directly, with the directory
// read once for the other spellings a name may have (names match ignoring case), so
// that the run costs what the quoted pattern costs.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "batch/file_list.h"
#include "batch/report.h"
#include "core/wstr.h"

namespace tomeo {

class BatchArguments {
public:
    // Empties the list and fills it with what the argument matches, as a scan of its
    // directory in mode 1 with ".." would, sorted, list mode 1; directory becomes the
    // argument's directory. argument is Windows-1251, given the same as typed (UTF-8);
    // working_dir ends with the separator (empty when unknown: a relative argument then
    // lists nothing). Appends to the report one message per file that matched but has
    // no Windows-1251 name, and the failures of a name that matched nothing; gives true
    // for such a name (or one with no Windows-1251 form that is not there).
    bool ListArgument(const char* argument, const char* given, const char* working_dir,
                      std::uint32_t operations, TFILELIST& list, WSTR& directory, Report& report);

    // After the run over the list: the names it left in the directories read so far
    // (renamed books, text files) are added to what is known of those directories.
    void NoteListedNames(const TFILELIST& list);

private:
    // The names of one directory, keyed by their lower-case form.
    using NameIndex = std::unordered_map<std::string, std::vector<std::string>>;

    std::int32_t LookUpName(TFILELIST& list, const char* dir, const char* name);
    NameIndex& IndexOf(const char* dir);

    std::map<std::string, NameIndex> indexes_;
};

}  // namespace tomeo
