// Shared pieces of the benchmarks: a generated Russian book, timing in turns, and
// calls of the peer tools.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tomeo::bench {

// Words of an ordinary Russian novel, drawn with a skewed frequency like real text, in
// Windows-1251 with punctuation, paragraphs and CR LF line ends.
std::string MakeBook(std::size_t size);

// Seconds one run takes, or -1 when it failed.
double Seconds(const std::function<bool()>& run);

// Runs the contenders in turns, rounds times, so that a busy moment of the machine hits
// them alike, and keeps each one's best time (negative when a run failed).
std::vector<double> BestOfRounds(const std::vector<std::function<bool()>>& contenders,
                                 int rounds = 3);

// Runs a shell command (which should exec its program) and gives the CPU time, user and
// system, that it took, in seconds; -1 when it failed. CPU time, not the wall clock:
// other work on a shared machine barely changes it.
double CpuSecondsOf(const std::string& command);

// The median of the times (negative when one of them is: a run failed).
double Median(std::vector<double> times);

// Runs a shell command; true when it exits with 0.
bool Shell(const std::string& command);
// Whether a peer tool is installed.
bool Have(const char* tool);

// Runs a shell command and gives the peak resident memory of the program it starts, in
// bytes (the command should exec its program), or -1 when it failed.
long PeakMemoryOf(const std::string& command);

// The program build/tomeo beside the benchmarks (or the path given as argument 1); empty,
// with a word on standard error, when there is no such file.
std::string ProgramPath(int argc, char** argv);

// The shell words that run the program with its configuration and home directory inside
// the folder `root` (ending with '/'), so no benchmark touches a real home.
std::string ConfinedProgram(const std::string& root, const std::string& program);

// A temporary folder (ending with '/') removed at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);

// Prints a timing row, and a ratio of ours to theirs against its target.
void Row(const char* what, double seconds, std::size_t bytes);
void Ratio(const char* what, double ours, double theirs, double target);

}  // namespace tomeo::bench
