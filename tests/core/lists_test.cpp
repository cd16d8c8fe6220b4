#include <gtest/gtest.h>

#include "core/wlist.h"
#include "core/wstr.h"

namespace tomeo {
namespace {

TEST(Wlist, GrowsBySixteenFromThirtyTwo) {
    WLIST<int> list;
    int values[64];
    EXPECT_EQ(list.capacity(), 32);
    for (int i = 0; i < 32; ++i) list.push_back(&values[i]);
    EXPECT_EQ(list.capacity(), 32);
    list.push_back(&values[32]);
    EXPECT_EQ(list.capacity(), 48);
    for (int i = 33; i < 48; ++i) list.push_back(&values[i]);
    list.push_back(&values[48]);
    EXPECT_EQ(list.capacity(), 64);
    for (int i = 0; i < 49; ++i) EXPECT_EQ(list.element(i), &values[i]);
}

TEST(Wlist, InsertAndRemoveCheckTheirIndex) {
    WLIST<int> list;
    int a = 1, b = 2, c = 3;
    EXPECT_THROW(list.remove_at(0), WLISTError);
    list.insert(&a, 0);
    list.insert(&c, 1);  // at count: appends
    list.insert(&b, 1);
    EXPECT_THROW(list.insert(&a, 4), WLISTError);
    EXPECT_THROW(list.insert(&a, -1), WLISTError);
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(*list.element(0), 1);
    EXPECT_EQ(*list.element(1), 2);
    EXPECT_EQ(*list.element(2), 3);
    list.remove_at(0);
    EXPECT_EQ(*list.element(0), 2);
    EXPECT_THROW(list.remove_at(2), WLISTError);
    EXPECT_EQ(list.count(), 2) << "a failed call leaves the list unchanged";
}

// Counts live records, to see which list frees what.
struct Tracked {
    static inline int alive = 0;
    explicit Tracked(const char* text) {
        name.assign(text);
        ++alive;
    }
    ~Tracked() { --alive; }
    WSTR name;
};

TEST(OwningList, FreesItsRecordsButABareListDoesNot) {
    {
        OwningList<Tracked> owned;
        owned.add("a");
        owned.add("c");
        owned.insert_at(1, "b");
        EXPECT_EQ(Tracked::alive, 3);
        EXPECT_STREQ(owned[1].name.c_str(), "b");
        owned.delete_at(0);
        EXPECT_EQ(Tracked::alive, 2);
        EXPECT_STREQ(owned[0].name.c_str(), "b");
        EXPECT_THROW(owned.delete_at(5), WLISTError);
        owned.clear();
        EXPECT_EQ(Tracked::alive, 0);
        for (int i = 0; i < 40; ++i) owned.add("x");
    }
    EXPECT_EQ(Tracked::alive, 0) << "destroying the list frees its records";

    Tracked kept("kept");
    WLIST<Tracked> bare;
    bare.push_back(&kept);
    bare.clear();
    EXPECT_EQ(Tracked::alive, 1);
}

}  // namespace
}  // namespace tomeo
