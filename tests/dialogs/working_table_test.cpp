// The environment dialog's working copy: names follow file numbers, deletions
// close the gap, and OK knows which files to make and which to remove.
#include "dialogs/working_table.h"

#include <gtest/gtest.h>

namespace tdx {
namespace {

TEST(WorkingTable, AddDeleteAndTheFilesOkChanges) {
    EnvironmentTable table;
    table.IniMax = 2;
    table.Slot(1) = {1, 1, L"家", L""};
    table.Slot(2) = {3, 1, L"仕事", L""};
    WorkingTable w = MakeWorkingTable(table);
    EXPECT_EQ(w.Count, 2);

    // File numbers 1 and 3 in use: the new one is named and numbered 2.
    PrepareAdd(w);
    EXPECT_EQ(w.EditedSlot, 3);
    EXPECT_EQ(w.Slot(3).IniName, L"環境2");
    ConfirmName(w, true, L"旅行", 0);
    EXPECT_EQ(w.Count, 3);
    EXPECT_EQ(w.Slot(3).IniOrder, 2);
    EXPECT_EQ(w.Slot(3).IniPopup, 0);

    // Deleting 仕事 moves 旅行 up; its file goes at OK, 旅行's is made.
    EXPECT_EQ(DeleteLine(w, 1), 1);
    EXPECT_EQ(DeleteLine(w, 0), 0) << "the first is never deleted";
    EXPECT_EQ(w.Count, 2);
    EXPECT_EQ(w.Slot(2).IniName, L"旅行");
    EXPECT_EQ(w.Slot(3).IniOrder, -1);
    const EnvironmentFileChanges changes = FileChangesOf(table, w);
    EXPECT_EQ(changes.Removed, std::vector<int>{3});
    EXPECT_EQ(changes.Added, std::vector<int>{2});

    const EnvironmentTable next = ApplyWorkingTable(table, w);
    EXPECT_EQ(next.IniMax, 2);
    EXPECT_EQ(SlotOfFile(next, 2), 2);
    EXPECT_EQ(SlotOfFile(next, 3), 0);

    // A copy whose first slot lost file 1 (a stale name answer renamed it):
    // file 1 holds the table and is never among the files to remove.
    WorkingTable stale = MakeWorkingTable(table);
    stale.Slot(1).IniOrder = 2;
    EXPECT_EQ(FileChangesOf(table, stale).Removed, std::vector<int>{}) << "file 1 stays";
}

}  // namespace
}  // namespace tdx
