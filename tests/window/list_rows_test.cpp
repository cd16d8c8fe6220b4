#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window/list_rows.h"

namespace tomeo {
namespace {

// Writes down what the rows tell their view.
class RecordingListener : public RowsListener {
public:
    void RowsReset() override { events.push_back("reset"); }
    void RowChanged(std::int32_t row) override { events.push_back("changed " + N(row)); }
    void RowRemoved(std::int32_t row) override { events.push_back("removed " + N(row)); }
    void RowInserted(std::int32_t row) override { events.push_back("inserted " + N(row)); }
    void RowSelected(std::int32_t row) override { events.push_back("selected " + N(row)); }
    static std::string N(std::int32_t n) { return std::to_string(n); }
    std::vector<std::string> events;
};

class ListRowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) {
            list.AddFileEntry({"/x/", name, KIND_TXT});
        }
        rows.set_listener(&listener);
        rows.set_on_selected([this](std::int32_t entry) { selected.push_back(entry); });
        rows.set_on_open([this](std::int32_t entry) { opened.push_back(entry); });
        rows.Redraw(list);
    }
    // The names the rows show, top to bottom.
    std::string Shown() const {
        std::string shown;
        for (std::int32_t row = 0; row < rows.row_count(); ++row) {
            shown += list.at(rows.entry_of(row)).name.c_str()[0];
        }
        return shown;
    }

    TFILELIST list;
    ListRows rows{list};
    RecordingListener listener;
    std::vector<std::int32_t> selected;
    std::vector<std::int32_t> opened;
};

TEST_F(ListRowsTest, RedrawSelectAndStep) {
    EXPECT_EQ(rows.row_count(), 5);
    EXPECT_EQ(rows.selected_row(), -1);
    EXPECT_EQ(rows.entry_of(5), -1);
    EXPECT_EQ(rows.row_of(7), -1);
    EXPECT_FALSE(rows.SelectNext());  // nothing selected yet

    rows.Select(3);
    EXPECT_TRUE(rows.SelectNext());
    EXPECT_FALSE(rows.SelectNext());  // the last row
    EXPECT_EQ(rows.selected_entry(), 4);
    rows.SelectRow(0);
    EXPECT_FALSE(rows.SelectPrevious());
    rows.SelectRow(9);  // out of range: nothing
    rows.OpenBook(2);
    EXPECT_EQ(selected, (std::vector<std::int32_t>{3, 4, 0}));
    EXPECT_EQ(opened, (std::vector<std::int32_t>{2}));
    EXPECT_EQ(listener.events,
              (std::vector<std::string>{"reset", "selected 3", "selected 4", "selected 0"}));
}

TEST_F(ListRowsTest, RemovedAndInsertedRowsKeepRowsAndEntriesInStep) {
    rows.SelectRow(2);  // c
    // The logic goes on to the next row, then the entry of c leaves the list.
    ASSERT_TRUE(rows.SelectNext());
    list.RemoveFileEntry(2);
    rows.RemoveRow(2);
    EXPECT_EQ(Shown(), "abde");
    EXPECT_EQ(rows.selected_row(), 2);
    EXPECT_EQ(rows.selected_entry(), 2);  // d, renumbered
    for (std::int32_t row = 0; row < rows.row_count(); ++row) {
        EXPECT_EQ(rows.row_of(rows.entry_of(row)), row);
    }

    // A produced file is listed right after the current entry (d at 2).
    list.InsertFileEntry(3, {"/x/", "t.txt", KIND_TXT});
    rows.InsertRowAfterSelected(3);
    EXPECT_EQ(Shown(), "abdte");
    rows.RedrawRow(4);  // e
    rows.RemoveRow(9);  // no such row
    rows.SelectRow(4);
    EXPECT_EQ(selected.back(), 4);
    EXPECT_EQ(listener.events,
              (std::vector<std::string>{"reset", "selected 2", "selected 3", "removed 2",
                                        "inserted 3", "changed 4", "selected 4"}));

    // Removing the selected row leaves no row selected; inserting then goes below the
    // row of the entry before the new one.
    rows.RemoveRow(4);
    list.RemoveFileEntry(4);
    EXPECT_EQ(rows.selected_row(), -1);
    list.InsertFileEntry(1, {"/x/", "u.txt", KIND_TXT});
    rows.InsertRowAfterSelected(1);
    EXPECT_EQ(Shown(), "aubdt");
}

TEST_F(ListRowsTest, TheViewsEchoOfASelectionIsNotASecondSelection) {
    // A view that reports the selection it was told of back as the user's.
    struct EchoingListener : RecordingListener {
        ListRows* rows = nullptr;
        void RowSelected(std::int32_t row) override {
            RecordingListener::RowSelected(row);
            rows->SelectRow(row);
        }
    } echoing;
    echoing.rows = &rows;
    rows.set_listener(&echoing);
    rows.SelectRow(1);
    EXPECT_EQ(selected, (std::vector<std::int32_t>{1}));
}

}  // namespace
}  // namespace tomeo
