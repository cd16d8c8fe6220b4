#include "tests/batch/pipeline_fixture.h"

#include <algorithm>
#include <filesystem>

#include "batch/directory_scan.h"
#include "core/charset.h"

namespace tomeo::test {

PipelineHarness::PipelineHarness()
    : pipeline(std::make_unique<Pipeline>(MakePipelineContext(globals, run, view))) {
    LoadScriptResource(globals.scripts.rename, kRenameScriptResource);
    LoadScriptResource(globals.scripts.move, kMoveScriptResource);
    LoadScriptResource(globals.scripts.header, kHeaderScriptResource);
}

void PipelineHarness::Put(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
    WriteFile(Path(name), bytes);
}

std::vector<std::string> PipelineHarness::Files() const {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
        if (!entry.is_regular_file()) continue;
        files.push_back(entry.path().string().substr(dir.path().size()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

void PipelineHarness::List() {
    run.current_dir.assign(W(dir.path()).c_str());
    globals.file_list.ClearFileList();
    ScanDirectory(globals.file_list, run.current_dir.c_str(), SCAN_DIRECTORY, true, "*");
    globals.file_list.mode = LIST_MODE_DIRECTORY;
    globals.file_list.SortFileList();
}

void PipelineHarness::Select(const std::string& name) {
    List();
    const std::string wanted = W(name);
    // A loose book or an archive of that name first, then a member of that name (an
    // archive's member may share a loose book's name).
    for (const bool by_member : {false, true}) {
        for (std::int32_t i = 0; i < globals.file_list.count(); ++i) {
            const TFILEINF& e = globals.file_list.at(i);
            const bool loose = e.container == CONTAINER_FILE;
            const bool named = (loose || by_member) && wanted == e.name.c_str();
            if (named || wanted == e.zipname.c_str()) {
                pipeline->MakeCurrent(i);
                return;
            }
        }
    }
    ADD_FAILURE() << name << " is not listed";
}

std::uint32_t PipelineHarness::Process(const std::string& name, std::uint32_t operations) {
    Select(name);
    return pipeline->ProcessFile(operations);
}

void PipelineHarness::SetScript(SCRIPT& script, const std::string& text) {
    script.set_text(W(text).c_str());
}

void PipelineHarness::MoveInto(const std::string& subfolder) {
    SetScript(globals.scripts.move, "$dir = \"" + dir.path() + subfolder + "\"");
}

}  // namespace tomeo::test
