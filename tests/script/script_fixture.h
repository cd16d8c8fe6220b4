// What the script tests share: a book bound to a script's variables the way the host
// binds it, and host procedures that record what they print.
#pragma once

#include <string>
#include <vector>

#include "script/interpreter.h"

namespace tomeo::test {

struct TestAuthor {
    std::string first, middle, last;
};

struct TestBook {
    std::string title = "Title";
    std::string seq = "Series";
    std::string seqnum = "3";
    std::vector<std::string> genres = {"sf", "detective"};
    std::vector<std::string> genre_matches = {"100", "50"};
    std::vector<TestAuthor> authors = {{"First", "Middle", "Last"}, {"First2", "", "Last2"}};
    int isannt = 1;
};

// Records every paragraph printed; fails when told to.
class RecordingHandler : public ScriptHandler {
public:
    explicit RecordingHandler(std::vector<std::string>& log, std::string fixed = {})
        : log_(log), fixed_(std::move(fixed)) {}
    bool Perform(const char* text) override {
        log_.push_back(fixed_.empty() ? std::string(text) : fixed_ + text);
        return succeed;
    }
    bool succeed = true;

private:
    std::vector<std::string>& log_;
    std::string fixed_;  // printannt's handler prints the annotation
};

// A script engine with the book's input variables, $filename and $dir, and the two
// procedures bound to recording handlers (the annotation prints as "<annotation>").
class BoundScript {
public:
    explicit BoundScript(const TestBook& book = {});
    // Clears and defines the variables again, sets the text, runs: "" when the run
    // succeeds, else the error message.
    std::string run(const std::string& text);
    void bind();

    SCRIPT script;
    TestBook book;
    std::vector<std::string> printed;
    RecordingHandler printp{printed};
    RecordingHandler printannt{printed, "<annotation>"};
};

// Windows-1251 text written as UTF-8 in a test.
std::string Cp(const std::string& utf8);

}  // namespace tomeo::test
