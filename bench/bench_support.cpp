#include "bench/bench_support.h"

#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/charset.h"

namespace tomeo::bench {

using Clock = std::chrono::steady_clock;

std::string MakeBook(std::size_t size) {
    const char* words_utf8 =
        "и в не на я что он с а как то это она но по к его все они у так же от за из бы "
        "мне было сказал только вы было когда ее еще был уже для нет вот да ни до же или "
        "если тебя себя ничего может быть время глаза рука дом жизнь человек день голова "
        "сторона слово место лицо друг дело раз ночь земля дверь вопрос отец женщина мать "
        "князь Андрей Наташа Пьер граф Ростов Москва война армия солдат офицер генерал "
        "посмотрел подумал ответил улыбнулся спросил говорил знал хотел стоял шел сидел "
        "сказала думала видела чувствовала любила понимала большой новый старый молодой "
        "хороший последний первый главный русский французский тихо быстро вдруг опять "
        "теперь потом тогда здесь там всегда никогда очень совсем почти вовсе";
    std::string words_1251;
    if (!utf8_to_cp1251(words_utf8, words_1251)) std::abort();
    std::vector<std::string> words;
    for (std::size_t at = 0; at < words_1251.size();) {
        const std::size_t end = words_1251.find(' ', at);
        words.push_back(words_1251.substr(at, end - at));
        at = end == std::string::npos ? words_1251.size() : end + 1;
    }
    std::string book;
    book.reserve(size + 64);
    std::uint32_t x = 12345;
    auto next = [&x] { return x = x * 1664525u + 1013904223u; };
    bool sentence_start = true;
    while (book.size() < size) {
        // Squaring a uniform number favours the first, most frequent words.
        const double u = (next() >> 8) / 16777216.0;
        std::string word = words[static_cast<std::size_t>(u * u * words.size())];
        if (sentence_start) word[0] = char_upper(word[0]);
        book += word;
        const std::uint32_t r = next() >> 16;
        sentence_start = r % 11 == 0;
        if (r % 7 == 0) book += ',';
        if (sentence_start)
            book += r % 5 == 0 ? ".\r\n    " : ". ";
        else
            book += ' ';
    }
    book.resize(size);
    return book;
}

double Seconds(const std::function<bool()>& run) {
    const auto start = Clock::now();
    if (!run()) return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<double> BestOfRounds(const std::vector<std::function<bool()>>& contenders, int rounds) {
    std::vector<double> best(contenders.size(), 1e9);
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < contenders.size(); ++i) {
            const double t = best[i] < 0 ? -1 : Seconds(contenders[i]);
            best[i] = t < 0 ? -1 : std::min(best[i], t);
        }
    }
    return best;
}

bool Shell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}
bool Have(const char* tool) {
    return Shell(std::string("command -v ") + tool + " >/dev/null 2>&1");
}

void Row(const char* what, double seconds, std::size_t bytes) {
    std::printf("  %-34s %8.3f s  %8.1f MB/s\n", what, seconds, bytes / seconds / 1e6);
}

void Ratio(const char* what, double ours, double theirs, double target) {
    std::printf("  %-34s %8.2f   (target <= %.2f: %s)\n", what, ours / theirs, target,
                ours / theirs <= target ? "met" : "NOT MET");
}

double CpuSecondsOf(const std::string& command) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Median(std::vector<double> times) {
    if (times.empty()) return -1;
    for (double t : times) {
        if (t < 0) return -1;
    }
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    return n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

long PeakMemoryOf(const std::string& command) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return usage.ru_maxrss * 1024L;
}

std::string ProgramPath(int argc, char** argv) {
    const std::string path =
        argc > 1
            ? argv[1]
            : (std::filesystem::absolute(argv[0]).parent_path().parent_path() / "tomeo").string();
    if (std::filesystem::exists(path)) return path;
    std::fprintf(stderr, "no program at %s (give its path)\n", path.c_str());
    return {};
}

std::string ConfinedProgram(const std::string& root, const std::string& program) {
    return "XDG_CONFIG_HOME='" + root + "config' HOME='" + root + "home' '" + program + "'";
}

TempFolder::TempFolder() {
    std::string dir = (std::filesystem::temp_directory_path() / "tomeo-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) std::abort();
    path_ = dir + '/';
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tomeo::bench
