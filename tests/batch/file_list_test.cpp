#include <gtest/gtest.h>

#include "batch/file_list.h"
#include "core/charset.h"
#include "tests/support/cp1251_text.h"

namespace tomeo {
namespace {

using test::W;

FileEntryFields Book(const char* name, EntryKind kind = KIND_FB2, const char* zipname = "") {
    FileEntryFields f;
    f.dir = "/books/";
    f.name = name;
    f.kind = kind;
    f.size = 100;
    f.time = 42;
    f.zipname = zipname;
    f.container = *zipname != '\0' ? CONTAINER_ZIP : CONTAINER_FILE;
    f.zipsize = *zipname != '\0' ? 50 : 0;
    return f;
}

FileEntryFields Directory(const char* name) {
    FileEntryFields f;
    f.name = name;
    f.kind = KIND_DIRECTORY;
    return f;
}

std::vector<std::string> Names(const TFILELIST& list) {
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < list.count(); ++i)
        names.push_back(cp1251_to_utf8(list.at(i).name.c_str()));
    return names;
}

TEST(BookKindOf, KnowsTheThreeExtensionsInAnyCase) {
    EXPECT_EQ(BookKindOf(".txt"), KIND_TXT);
    EXPECT_EQ(BookKindOf(".TXT"), KIND_TXT);
    EXPECT_EQ(BookKindOf(".Fb2"), KIND_FB2);
    EXPECT_EQ(BookKindOf(".rtF"), KIND_RTF);
    for (const char* other : {"", ".", ".doc", ".zip", "txt", ".txt2", ".tx"}) {
        EXPECT_EQ(BookKindOf(other), KIND_NONE) << other;
    }
    EXPECT_STREQ(CanonicalExtension(KIND_FB2), ".fb2");
    EXPECT_STREQ(CanonicalExtension(KIND_DIRECTORY), "");
}

TEST(FileList, AddInsertSetRemove) {
    TFILELIST list;
    list.AddFileEntry(Book("a.fb2"));
    list.AddFileEntry(Book("c.fb2"));
    list.InsertFileEntry(1, Book("b.fb2", KIND_TXT, "b.zip"));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a.fb2", "b.fb2", "c.fb2"}));

    const TFILEINF& b = list.at(1);
    EXPECT_STREQ(b.dir.c_str(), "/books/");
    EXPECT_EQ(b.kind, KIND_TXT);
    EXPECT_EQ(b.size, 100);
    EXPECT_EQ(b.time, 42u);
    EXPECT_STREQ(b.zipname.c_str(), "b.zip");
    EXPECT_EQ(b.container, CONTAINER_ZIP);
    EXPECT_EQ(b.zipsize, 50);
    EXPECT_EQ(b.processed, 0);

    // Overwriting keeps the processed mark.
    list.MarkProcessed(1);
    list.SetFileEntry(1, Book("renamed.fb2"));
    EXPECT_STREQ(list.at(1).name.c_str(), "renamed.fb2");
    EXPECT_EQ(list.at(1).container, CONTAINER_FILE);
    EXPECT_EQ(list.at(1).processed, 1);
    list.ClearProcessedMarks();
    EXPECT_EQ(list.at(1).processed, 0);

    list.RemoveFileEntry(0);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"renamed.fb2", "c.fb2"}));
    EXPECT_THROW(list.RemoveFileEntry(2), WLISTError);
    EXPECT_THROW(list.SetFileEntry(-1, Book("x")), WLISTError);
    EXPECT_THROW(list.InsertFileEntry(3, Book("x")), WLISTError);
    EXPECT_THROW(list.MarkProcessed(5), WLISTError);
    list.ClearFileList();
    EXPECT_EQ(list.count(), 0);
}

TEST(FileList, FindMatchesEveryGivenCriterionIgnoringCase) {
    TFILELIST list;
    list.AddFileEntry(Directory(W("Книги").c_str()));
    list.AddFileEntry(Book("book.fb2"));
    list.AddFileEntry(Book("Book.FB2", KIND_FB2, "x.zip"));
    list.AddFileEntry(Book("book.txt", KIND_TXT));
    EXPECT_EQ(list.FindFileEntry(W("кНИГИ").c_str(), KIND_NONE, nullptr), 0);
    EXPECT_EQ(list.FindFileEntry(W("книги").c_str(), KIND_FB2, nullptr), -1);
    EXPECT_EQ(list.FindFileEntry("BOOK.fb2", KIND_NONE, nullptr), 1);
    EXPECT_EQ(list.FindFileEntry("book.fb2", KIND_FB2, "X.ZIP"), 2);
    // An empty archive name matches only the loose book.
    EXPECT_EQ(list.FindFileEntry("book.fb2", KIND_NONE, ""), 1);
    EXPECT_EQ(list.FindFileEntry(nullptr, KIND_TXT, nullptr), 3);
    EXPECT_EQ(list.FindFileEntry(nullptr, KIND_NONE, nullptr), 0);
    EXPECT_EQ(list.FindFileEntry("none", KIND_NONE, nullptr), -1);
}

TEST(FileList, SortPutsDirectoriesFirstAndOrdersNamesIgnoringCase) {
    TFILELIST list;
    list.AddFileEntry(Book("b.fb2"));
    list.AddFileEntry(Book(W("Яков.txt").c_str(), KIND_TXT));
    list.AddFileEntry(Directory("beta"));
    list.AddFileEntry(Book("A.txt", KIND_TXT));
    list.AddFileEntry(Book(W("ёлка.rtf").c_str(), KIND_RTF));
    FileEntryFields drive;
    drive.name = "/";
    drive.kind = KIND_DRIVE;
    list.AddFileEntry(drive);
    list.AddFileEntry(Directory(" spaced"));
    list.AddFileEntry(Directory(kParentName));
    list.AddFileEntry(Directory("Alpha"));
    list.AddFileEntry(Book(W("Елена.fb2").c_str()));
    list.AddFileEntry(Book("10.fb2"));
    list.SortFileList();
    EXPECT_EQ(Names(list),
              (std::vector<std::string>{"..", " spaced", "Alpha", "beta", "/", "10.fb2", "A.txt",
                                        "b.fb2", "Елена.fb2", "ёлка.rtf", "Яков.txt"}));
}

}  // namespace
}  // namespace tomeo
