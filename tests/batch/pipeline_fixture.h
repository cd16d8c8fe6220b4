// A pipeline over a temporary folder, as the batch drives it: the folder is listed, an
// entry becomes the current file, ProcessFile runs. The three scripts start as the
// built-in defaults.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "batch/app.h"
#include "batch/navigation.h"
#include "batch/pipeline.h"
#include "core/operations.h"
#include "tests/support/cp1251_text.h"
#include "tests/support/sample_books.h"
#include "tests/support/temp_dir.h"

namespace tomeo::test {

// The list's view: it notes every row it is told of ("redraw 2", "remove 1", "insert 3").
class RowLog : public NoFileListView {
public:
    void RedrawRow(std::int32_t index) override { Note("redraw", index); }
    void RemoveRow(std::int32_t index) override { Note("remove", index); }
    void InsertRowAfterSelected(std::int32_t index) override { Note("insert", index); }
    std::vector<std::string> rows;

private:
    void Note(const char* what, std::int32_t index) {
        rows.push_back(std::string(what) + " " + std::to_string(index));
    }
};

class PipelineHarness {
public:
    PipelineHarness();

    // dir / name; names are UTF-8 and may hold '/'.
    std::string Path(const std::string& name) const { return dir / name; }
    // Writes the file, creating the folders above it.
    void Put(const std::string& name, const std::string& bytes) const;
    std::string Get(const std::string& name) const { return ReadFile(Path(name)); }
    // Every file below the folder, relative, sorted ("sub/name" for deeper ones).
    std::vector<std::string> Files() const;

    // Lists the folder as the batch does (books, subdirectories, "..", sorted).
    void List();
    // Lists the folder and makes the entry current whose name or archive name is `name`.
    void Select(const std::string& name);
    // Select, then ProcessFile.
    std::uint32_t Process(const std::string& name, std::uint32_t operations);

    // Replaces a script's text (UTF-8).
    static void SetScript(SCRIPT& script, const std::string& text);
    // move.sc giving this folder's subfolder (UTF-8, relative to the folder).
    void MoveInto(const std::string& subfolder);

    TempDir dir;
    Globals globals;
    RunBuffers run;
    RowLog view;
    std::unique_ptr<Pipeline> pipeline;
};

class PipelineTest : public ::testing::Test, public PipelineHarness {};

}  // namespace tomeo::test
