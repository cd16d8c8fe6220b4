// The list run tells the list's view of every entry it stores back, removes or inserts,
// so that the rows follow the list.
#include "tests/batch/pipeline_fixture.h"

namespace tomeo::test {
namespace {

TEST_F(PipelineTest, TheViewHearsOfEveryEntryTheListRunChanges) {
    Put("a.fb2", MakeFb2({}));
    Put("a.txt", "an older text");  // listed: its entry is overwritten by the new text's
    Put("b.fb2", MakeFb2({}));      // its text gets a new entry
    Put("c.fb2", "not a book");     // fails and stays
    run.settings.text_packing = TEXT_NOT_PACKED;
    MoveInto("out");
    List();
    Report report;
    pipeline->RunOperationsOnList(OP_TOTEXT | OP_MOVE, report);
    // "..", a.fb2, a.txt, b.fb2, c.fb2: a's text overwrites entry 2, a.fb2 leaves; b's
    // text goes in after b.fb2 (now 2), which leaves; c.fb2 (now 3) is stored back.
    EXPECT_EQ(view.rows, (std::vector<std::string>{"redraw 2", "remove 1", "insert 3", "remove 2",
                                                   "redraw 3"}));
    std::vector<std::string> listed;
    for (std::int32_t i = 0; i < globals.file_list.count(); ++i) {
        listed.push_back(globals.file_list.at(i).name.c_str());
    }
    EXPECT_EQ(listed, (std::vector<std::string>{"..", "a.txt", "b.txt", "c.fb2"}));
}

TEST_F(PipelineTest, TheWindowsConversionInsertsTheTextsRow) {
    Put("book.fb2", MakeFb2({}));
    run.settings.text_packing = TEXT_NOT_PACKED;
    Select("book.fb2");  // "..", book.fb2
    Report report;
    EXPECT_TRUE(pipeline->Convert(report));
    EXPECT_EQ(view.rows, std::vector<std::string>{"insert 2"});
    EXPECT_TRUE(pipeline->Convert(report));  // its entry is there now
    EXPECT_EQ(view.rows, (std::vector<std::string>{"insert 2", "redraw 2"}));
}

}  // namespace
}  // namespace tomeo::test
