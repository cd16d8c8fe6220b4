// How many times per second the default rename.sc computes a file name, for a book with
// three authors and a series, the variables bound anew for every run as the host does.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "core/resources.h"
#include "script/interpreter.h"

namespace {

void BindBook(tomeo::SCRIPT& script) {
    script.clear_variables();
    script.define_string("$title", "Title of the Book");
    script.define_string("$seq", "Series");
    script.define_string("$seqnum", "3");
    script.define_string("$subseq", "");
    script.define_string("$subseqnum", "");
    // Fields end with the byte 0x08, "\b".
    script.define_string("$_genre_str_", "sf\badventure\b");
    script.define_string("$_genrematch_str_", "100\b50\b");
    script.define_integer("$genreno", 2);
    script.define_string("$_author_str_",
                         "First\bMiddle\bLast\bSecond\b\bAuthor\bThird\bM.\bWriter\b");
    script.define_integer("$authorno", 3);
    script.define_string("$srcdir", "/home/reader/books");
    script.define_string("$bookfile", "book.fb2");
    script.define_string("$bookfileext", ".fb2");
    script.define_string("$srcfile", "book.fb2.zip");
    script.define_string("$srcfileext", ".zip");
    script.define_integer("$isannt", 1);
    script.define_string("$publisher", "Publisher");
    script.define_string("$publcity", "City");
    script.define_string("$publyear", "2001");
    script.define_string("$filename", "");
}

}  // namespace

// An argument runs exactly that many thousand runs (for counting instructions).
int main(int argc, char** argv) {
    const long fixed_thousands = argc > 1 ? std::atol(argv[1]) : 0;
    tomeo::WBUF text;
    if (!tomeo::LoadResourceFile(text, "DATA_3")) return 1;
    tomeo::SCRIPT script;
    script.set_text(reinterpret_cast<const char*>(text.data()), text.length());

    // Processor time, not wall time: the figure is for one core, however busy the
    // machine is with other work.
    const std::clock_t start = std::clock();
    long runs = 0;
    std::size_t check = 0;
    double seconds = 0;
    do {
        for (int i = 0; i < 1000; ++i, ++runs) {
            BindBook(script);
            try {
                script.Run();
            } catch (const tomeo::SCRIPTError&) {
                std::printf("%s\n", script.error_message());
                return 1;
            }
            check += std::char_traits<char>::length(script.get_string("$filename"));
        }
        seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    } while (fixed_thousands > 0 ? runs < fixed_thousands * 1000 : seconds < 2.0);

    std::printf("rename.sc, 3 authors and a series: %s\n", script.get_string("$filename"));
    std::printf("%.0f runs per second of processor time (target 100000), %zu bytes of names\n",
                runs / seconds, check);
    return 0;
}
