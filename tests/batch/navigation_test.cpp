#include <gtest/gtest.h>

#include <filesystem>

#include "batch/navigation.h"
#include "core/charset.h"
#include "tests/batch/scan_test_support.h"
#include "tests/support/temp_dir.h"

namespace tomeo {
namespace {

using test::Describe;
using test::MakeTree;
using test::W;
using Lines = std::vector<std::string>;

// Remembers what the navigation asked of the window.
class RecordingView : public NoFileListView {
public:
    void Redraw(const TFILELIST& list) override {
        ++redraws;
        rows = list.count();
    }
    void Select(std::int32_t index) override { selected = index; }
    void OpenBook(std::int32_t index) override { opened = index; }

    int redraws = 0;
    std::int32_t rows = -1;
    std::int32_t selected = -1;
    std::int32_t opened = -1;
};

class NavigationTest : public ::testing::Test {
protected:
    test::TempDir temp;
    std::string root = temp.path();
    TFILELIST list;
    HSTR current_dir;
    RecordingView view;
    Navigation nav{list, current_dir, view};

    void Open(const std::string& dir) {
        current_dir.assign(W(dir).c_str());
        OpenDirectory(nav);
    }
    void Enter(const char* utf8_name) {
        const std::int32_t index = list.FindFileEntry(W(utf8_name).c_str(), KIND_NONE, nullptr);
        ASSERT_GE(index, 0) << utf8_name;
        EnterEntry(nav, index);
    }
    std::string Current() const { return cp1251_to_utf8(current_dir.c_str()); }
    std::string Selected() const { return cp1251_to_utf8(list.at(view.selected).name.c_str()); }
};

TEST_F(NavigationTest, OpenDirectoryListsSortsRedrawsAndSelects) {
    MakeTree(root, {"b.fb2", "A.txt", "beta/", "Alpha/"});
    Open(root);
    EXPECT_EQ(Describe(list, root), (Lines{"[..]", "[Alpha]", "[beta]", ". A.txt", ". b.fb2"}));
    EXPECT_EQ(list.mode, LIST_MODE_DIRECTORY);
    EXPECT_EQ(view.redraws, 1);
    EXPECT_EQ(view.rows, 5);
    EXPECT_EQ(view.selected, 0);

    OpenDirectory(nav, "B.FB2", KIND_FB2, "");
    EXPECT_EQ(Selected(), "b.fb2");
    OpenDirectory(nav, "b.fb2", KIND_TXT, nullptr);  // no match: the first entry
    EXPECT_EQ(view.selected, 0);
}

TEST_F(NavigationTest, DownAndUpSelectsTheDirectoryJustLeft) {
    MakeTree(root, {"books/fiction/Повесть.fb2", "books/poetry/", "books/a.txt"});
    Open(root);
    Enter("books");
    EXPECT_EQ(Current(), root + "books/");
    EXPECT_EQ(Describe(list, root), (Lines{"[..]", "[fiction]", "[poetry]", "books/ a.txt"}));
    EXPECT_EQ(view.selected, 0);
    Enter("fiction");
    EXPECT_EQ(Current(), root + "books/fiction/");
    EXPECT_EQ(Describe(list, root), (Lines{"[..]", "books/fiction/ Повесть.fb2"}));

    Enter("..");
    EXPECT_EQ(Current(), root + "books/");
    EXPECT_EQ(Selected(), "fiction");
    Enter("..");
    EXPECT_EQ(Current(), root);
    EXPECT_EQ(Selected(), "books");
}

TEST_F(NavigationTest, AboveTheRootAreTheDrives) {
    current_dir.assign("/");
    OpenDirectory(nav);
    Enter("..");
    EXPECT_EQ(Current(), "");
    ASSERT_GE(list.count(), 1);
    for (std::int32_t i = 0; i < list.count(); ++i) EXPECT_EQ(list.at(i).kind, KIND_DRIVE);
    EXPECT_EQ(Selected(), "/");
    EXPECT_EQ(list.at(view.selected).kind, KIND_DRIVE);

    Enter("/");
    EXPECT_EQ(Current(), "/");
    EXPECT_GE(list.FindFileEntry("tmp", KIND_DIRECTORY, nullptr), 0);
}

TEST_F(NavigationTest, EnteringABookOpensItsViewer) {
    MakeTree(root, {"a.fb2", "sub/"});
    Open(root);
    const int redraws = view.redraws;
    Enter("a.fb2");
    EXPECT_EQ(view.opened, list.FindFileEntry("a.fb2", KIND_NONE, nullptr));
    EXPECT_EQ(view.redraws, redraws);
    EXPECT_EQ(Current(), root);
}

TEST_F(NavigationTest, SubdirectoryFilesOnAndOff) {
    MakeTree(root, {"top.fb2", "Толстой/Война и мир.fb2", "Толстой/Детство/Детство.txt",
                    "Чехов/Рассказы.rtf", "empty/"});
    std::filesystem::create_directory_symlink(root, root + "Толстой/loop");
    Open(root);
    ShowSubdirectoryFiles(nav);
    EXPECT_EQ(list.mode, LIST_MODE_TREE);
    EXPECT_EQ(Describe(list, root), (Lines{"[..]", ". top.fb2", "Толстой/ Война и мир.fb2",
                                           "Толстой/Детство/ Детство.txt", "Чехов/ Рассказы.rtf"}));
    EXPECT_EQ(view.selected, 0);

    HideSubdirectoryFiles(nav);
    EXPECT_EQ(list.mode, LIST_MODE_DIRECTORY);
    EXPECT_EQ(Describe(list, root),
              (Lines{"[..]", "[empty]", "[Толстой]", "[Чехов]", ". top.fb2"}));

    // Opening another directory always leaves the tree mode.
    ShowSubdirectoryFiles(nav);
    Enter("..");
    EXPECT_EQ(list.mode, LIST_MODE_DIRECTORY);
}

TEST_F(NavigationTest, SubdirectoryFilesInTheDriveListChangeNothing) {
    current_dir.clear();
    OpenDirectory(nav);
    const Lines drives = Describe(list, root);
    ShowSubdirectoryFiles(nav);
    HideSubdirectoryFiles(nav);
    EXPECT_EQ(Describe(list, root), drives);
}

}  // namespace
}  // namespace tomeo
