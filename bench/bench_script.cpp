// How many times per second the default rename.sc computes a file name, for a book with
// three authors and a series, through ComputeFileName, which binds the book's variables
// anew for every run as the pipeline does.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "batch/book_scripts.h"
#include "book/book_desc.h"
#include "core/resources.h"
#include "script/interpreter.h"

namespace {

// A book with three authors (one without a middle name) and a series.
void DescribeBook(tomeo::TBOOKDESC& desc) {
    tomeo::add_author(desc, "First", "Middle", "Last");
    tomeo::add_author(desc, "Second", "", "Author");
    tomeo::add_author(desc, "Third", "M.", "Writer");
    tomeo::add_genre(desc, "sf", "100");
    tomeo::add_genre(desc, "adventure", "50");
    desc.title.assign("Title of the Book");
    desc.seq.assign("Series");
    desc.seqnum.assign("3");
    desc.publisher.assign("Publisher");
    desc.publcity.assign("City");
    desc.publyear.assign("2001");
    desc.isannt = 1;
}

// Scripts that build values without end, each until a guard stops it with error 4.
void RunawayScripts() {
    const struct {
        const char* name;
        const char* text;
    } scripts[] = {
        {"a byte appended at a time", "$s = \"\"\nwhile (1 = 1) {\n$s = $s + \"x\"\n}"},
        {"a growing value copied", "$s = \"\"\nwhile (1 = 1) {\n$t = $s + \"x\"\n$s = $t\n}"},
        {"a doubling value", "$s = \"x\"\nwhile (1 = 1) {\n$s = $s + $s\n}"},
    };
    for (const auto& runaway : scripts) {
        tomeo::SCRIPT script;
        script.set_text(runaway.text);
        const std::clock_t start = std::clock();
        try {
            script.Run();
        } catch (const tomeo::SCRIPTError&) {
        }
        const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        std::printf("runaway script, %s: error %d after %.2f s of processor time (target 1)\n",
                    runaway.name, script.error_code(), seconds);
    }
}

}  // namespace

// An argument runs exactly that many thousand runs (for counting instructions).
int main(int argc, char** argv) {
    const long fixed_thousands = argc > 1 ? std::atol(argv[1]) : 0;
    tomeo::WBUF text;
    if (!tomeo::LoadResourceFile(text, "DATA_3")) return 1;
    tomeo::SCRIPT script;
    script.set_text(reinterpret_cast<const char*>(text.data()), text.length());

    tomeo::TBOOKDESC desc;
    DescribeBook(desc);
    tomeo::BookFileNames names;
    names.source_dir = "/home/reader/books/";
    names.book_file = "book.fb2";
    names.source_file = "book.fb2.zip";
    tomeo::HSTR new_name;

    // Processor time, not wall time: the figure is for one core, however busy the
    // machine is with other work.
    const std::clock_t start = std::clock();
    long runs = 0;
    std::size_t check = 0;
    double seconds = 0;
    do {
        for (int i = 0; i < 1000; ++i, ++runs) {
            try {
                tomeo::ComputeFileName(script, desc, names, new_name);
            } catch (const tomeo::SCRIPTError&) {
                std::printf("%s\n", script.error_message());
                return 1;
            }
            check += new_name.length();
        }
        seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    } while (fixed_thousands > 0 ? runs < fixed_thousands * 1000 : seconds < 2.0);

    std::printf("rename.sc, 3 authors and a series: %s\n", new_name.c_str());
    std::printf("%.0f runs per second of processor time (target 100000), %zu bytes of names\n",
                runs / seconds, check);
    if (fixed_thousands == 0) RunawayScripts();
    return 0;
}
