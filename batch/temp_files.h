// The temporary files the program made (copies of zipped books for external viewers),
// deleted when they are no longer in use and at the end of the process.
#pragma once

#include <cstdint>

#include "core/wlist.h"
#include "core/wstr.h"
#include "platform/directories.h"

namespace tomeo {

class TFILEDELLIST {
public:
    TFILEDELLIST() = default;
    TFILEDELLIST(const TFILEDELLIST&) = delete;
    TFILEDELLIST& operator=(const TFILEDELLIST&) = delete;
    // Deletes what is still listed.
    ~TFILEDELLIST();

    // Records a file the program has just created. It remembers which file the path
    // names now, so that a different file put under that name later is never deleted.
    void AddTempFile(const char* path);
    // Deletes every listed file that is still the one recorded and forgets it. A file
    // that cannot be deleted stays listed and is tried again; a name that is gone, or
    // that now names something else (another file, a link), is forgotten untouched.
    void DeleteTempFiles();
    // Forgets every entry without deleting anything.
    void ClearTempFiles() { files_.clear(); }

    std::int32_t count() const { return files_.count(); }
    const char* path(std::int32_t index) const { return files_[index].path.c_str(); }

private:
    struct TempFile {
        WSTR path;
        platform::FileStamp stamp;
        bool known = false;  // the path named a regular file when it was recorded
    };
    OwningList<TempFile> files_;
};

}  // namespace tomeo
