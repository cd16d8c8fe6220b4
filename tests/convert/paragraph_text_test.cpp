#include "convert/paragraph_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tomeo {
namespace {

// Reads the whole text back through every access path, against the expected string.
void ExpectReads(const ParagraphText& text, const std::string& expected) {
    ASSERT_EQ(text.size(), expected.size());
    EXPECT_EQ(text.str(), expected);
    EXPECT_EQ(text.text_length(), std::string(expected.c_str()).size()) << "up to the first NUL";
    for (std::size_t i = 0; i < expected.size(); i += 7) EXPECT_EQ(text[i], expected[i]) << i;
    for (std::size_t from = 0; from < expected.size(); from += 13) {
        const std::size_t n = std::min<std::size_t>(41, expected.size() - from);
        std::string piece(n, '?');
        text.copy(from, n, piece.data());
        EXPECT_EQ(piece, expected.substr(from, n)) << from;
    }
}

TEST(ParagraphText, OwnTextAndNoteReferencesReadAsOneText) {
    ParagraphText store;
    const std::string notes = std::string("first note") + '\0' + "after nul" + "second";
    store.append(notes);
    const std::size_t none = ParagraphText::kNone;

    ParagraphText text;
    std::string expected;
    // Own text across a block boundary, a reference, two references side by side, own
    // text between them, a reference holding a NUL, a reference at the very end.
    const std::string long_run(ParagraphText::kBlockSize + 100, 'x');
    text.append(long_run);
    expected += long_run;
    text.append_from(store, 0, 10, none);
    expected += "first note";
    text.append_from(store, 20, 6, none);
    text.append_from(store, 0, 5, none);
    expected += "secondfirst";
    text.append(" [", 2);
    expected += " [";
    text.append_from(store, 0, 20, 10);
    expected += notes.substr(0, 20);
    text.append(']');
    expected += ']';
    text.append_from(store, 6, 4, none);
    expected += "note";
    ExpectReads(text, expected);

    text.clear();
    text.append("again", 5);
    ExpectReads(text, "again");
}

TEST(ParagraphText, ANoteLinkedManyTimesIsNotCopied) {
    ParagraphText store;
    store.append(std::string(1000, 'n'));
    ParagraphText text;
    for (int i = 0; i < 10000; ++i) {
        text.append(" [", 2);
        text.append_from(store, 0, 1000, ParagraphText::kNone);
        text.append(']');
    }
    EXPECT_EQ(text.size(), 10000u * 1003u);
    EXPECT_LT(text.held(), 1u << 20) << "10 MB of text held in less than 1 MB";
    EXPECT_EQ(text[1003u * 5000u + 2], 'n');
    EXPECT_EQ(text[1003u * 5000u + 1002], ']');
}

}  // namespace
}  // namespace tomeo
