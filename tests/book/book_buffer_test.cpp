#include <gtest/gtest.h>

#include <string>

#include "book/book_buffer.h"
#include "tests/book/book_samples.h"

namespace tomeo {
namespace {

using test::ChoppySource;

std::string Loaded(const BookBuffer& book) {
    return std::string(reinterpret_cast<const char*>(book.bytes()), book.fill());
}

TEST(BookBuffer, LoadsUpToWhatIsAskedAndKnowsTheEnd) {
    const std::string text(3000, 'x');
    MemoryBookSource source(text.data(), 3000);
    BookBuffer book;
    EXPECT_EQ(book.capacity(), BookBuffer::kInitialCapacity);
    book.start(source);
    ASSERT_TRUE(book.load_up_to(1024));
    EXPECT_EQ(book.fill(), 1024);
    EXPECT_FALSE(book.book_at_eof()) << "the read delivered all it was asked";
    ASSERT_TRUE(book.load_up_to(1024));
    EXPECT_EQ(book.fill(), 1024) << "nothing more when enough is loaded";
    EXPECT_EQ(book.load_more(5000), 3000 - 1024);
    EXPECT_TRUE(book.book_at_eof());
    EXPECT_EQ(Loaded(book), text);
    EXPECT_EQ(book.load_more(10), 0);
}

TEST(BookBuffer, ShortReadsAreJoinedUntilTheEnd) {
    ChoppySource source("abcdefghij", 3);
    BookBuffer book;
    book.start(source);
    EXPECT_EQ(book.load_more(8), 8);
    EXPECT_FALSE(book.book_at_eof()) << "short reads alone do not mean the end";
    EXPECT_EQ(book.load_more(8), 2);
    EXPECT_TRUE(book.book_at_eof());
    EXPECT_EQ(Loaded(book), "abcdefghij");
}

TEST(BookBuffer, ReadErrorKeepsWhatWasRead) {
    ChoppySource source(std::string(100, 'y'), 30, 60);
    BookBuffer book;
    book.start(source);
    EXPECT_EQ(book.load_more(100), -1);
    EXPECT_EQ(book.fill(), 60);
    EXPECT_FALSE(book.load_up_to(100));
}

TEST(BookBuffer, StartForgetsThePreviousBookButKeepsItsRoom) {
    const std::string big(5000, 'b');
    MemoryBookSource first(big.data(), 5000);
    BookBuffer book;
    book.start(first);
    ASSERT_EQ(book.load_more(5000), 5000);
    const std::int32_t capacity = book.capacity();
    EXPECT_GE(capacity, 5000);
    MemoryBookSource second("ab", 2);
    book.start(second);
    EXPECT_EQ(book.fill(), 0);
    EXPECT_FALSE(book.book_at_eof());
    EXPECT_TRUE(book.load_up_to(1024));
    EXPECT_EQ(Loaded(book), "ab");
    EXPECT_EQ(book.capacity(), capacity) << "never shrunk";
}

TEST(BookBuffer, SmallStepsGrowGeometricallyAWholeBookExactly) {
    const std::string text(100000, 'z');
    ChoppySource source(text, 1 << 20);
    BookBuffer book;
    book.start(source);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(book.load_more(1024), 1024);
    EXPECT_LE(book.capacity(), 2 * book.fill()) << "doubling, not one block at a time";
    const std::int32_t rest = 100000 - book.fill();
    ASSERT_EQ(book.load_more(rest), rest);
    EXPECT_EQ(book.capacity(), 100000) << "the rest of the book gets exactly its size";
}

TEST(BookBuffer, NoSourceIsAReadError) {
    BookBuffer book;
    EXPECT_EQ(book.load_more(10), -1);
    MemoryBookSource source("abc", 3);
    book.start(source);
    book.detach();
    EXPECT_FALSE(book.load_up_to(3));
}

}  // namespace
}  // namespace tomeo
