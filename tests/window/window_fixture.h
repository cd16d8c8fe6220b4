// The window logic over a temporary folder of sample books, with a window that writes
// down what it is asked to do and a viewer that only remembers what it opened.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "batch/app.h"
#include "tests/support/temp_dir.h"
#include "window/main_window_logic.h"

namespace tomeo::test {

class RecordingHost : public WindowHost {
public:
    void ShowMessage(const Report& report) override;
    bool AskFolder(const char* title, WSTR& folder) override;
    void SetWaitCursor(bool on) override;
    void ShowControls(const WindowControls& shown) override;

    std::vector<std::string> messages;  // UTF-8
    std::vector<std::string> asked;     // titles of the folder browser, UTF-8
    bool answer = false;                // the folder browser's answer
    std::string folder;                 // and the folder chosen (UTF-8)
    int wait_cursor = 0;                // on minus off
    WindowControls controls;            // the last shown
};

class FakeViewer : public BookViewer {
public:
    bool Known(std::uint8_t kind) override { return known.count(kind) != 0; }
    void Open(Pipeline& pipeline) override;
    void Reset() override { ++resets; }

    std::set<std::uint8_t> known;
    std::vector<std::string> opened;  // names of the books opened, UTF-8
    int resets = 0;
};

// Book files as the tests need them (UTF-8 texts are stored in the code page named).
std::string Fb2Book(const std::string& title, const std::string& encoding = "UTF-8");
std::string TextBook(const std::string& codepage);  // "866", "1251" or "UTF-8"
std::string RtfBook();
std::string ZippedFb2(const std::string& member, const std::string& title);

class WindowLogicTest : public ::testing::Test {
protected:
    WindowLogicTest();

    void Put(const std::string& name, const std::string& bytes) const;
    // Replaces a script's text (UTF-8).
    static void SetScript(SCRIPT& script, const std::string& text);
    // Lists the folder (or a folder below it) with the entry named selected.
    void Start(const std::string& name = "", const std::string& subfolder = "");
    // Selects the row showing the entry named so (a member's or a loose book's name).
    void Choose(const std::string& name);
    // The rows' names, top to bottom, joined by spaces (UTF-8), "*" before the selected.
    std::string Rows() const;
    // The name of the selected row's entry and of the pipeline's current file (UTF-8).
    std::string Selected() const;
    std::string Current();

    TempDir dir;
    Globals globals;
    RunBuffers run;
    RecordingHost host;
    FakeViewer viewer;
    std::unique_ptr<MainWindowLogic> logic;
};

}  // namespace tomeo::test
