#include "batch/temp_files.h"

#include "platform/files.h"

namespace tomeo {

TFILEDELLIST::~TFILEDELLIST() {
    DeleteTempFiles();
    ClearTempFiles();
}

void TFILEDELLIST::AddTempFile(const char* path) {
    TempFile& file = files_.add();
    file.path.assign(path);
    file.known = platform::ExamineName(path, file.stamp) == platform::NameState::RegularFile;
}

void TFILEDELLIST::DeleteTempFiles() {
    for (std::int32_t i = 0; i < files_.count();) {
        const TempFile& file = files_[i];
        platform::FileStamp now;
        const platform::NameState state = platform::ExamineName(file.path.c_str(), now);
        bool forget = true;
        if (state == platform::NameState::Unknown) {
            forget = false;  // try again later
        } else if (state == platform::NameState::RegularFile && file.known && now == file.stamp) {
            forget = platform::RemoveFile(file.path.c_str());
        }
        if (forget) {
            files_.delete_at(i);
        } else {
            ++i;
        }
    }
}

}  // namespace tomeo
