// The registration dialog's rules that need no window: switching built-in
// entries, its size, and the entry a dropped file or shortcut becomes.
#include "dialogs/config_model.h"

#include <gtest/gtest.h>

namespace tdx {
namespace {

LaunchItem Item(const wchar_t* title, std::uint32_t status = 0) {
    LaunchItem item;
    item.Title = title;
    item.Status = status;
    return item;
}

std::wstring Order(const ItemList& items) {
    std::wstring out;
    for (const auto& i : items) out += i.Title + (i.Has(ItemStatus::NotInUse) ? L"- " : L" ");
    return out;
}

TEST(ConfigModel, SwitchedEntriesMoveToTheBoundaryOfTheEntriesInUse) {
    const std::uint32_t off = ItemStatus::BuiltIn | ItemStatus::NotInUse;
    ItemList items{Item(L"a", 1), Item(L"b", 1), Item(L"c", 1), Item(L"x", off), Item(L"y", off)};
    EXPECT_EQ(SwitchInUse(items, 0), 2) << "switched off: first of those not in use";
    EXPECT_EQ(Order(items), L"b c a- x- y- ");
    EXPECT_EQ(SwitchInUse(items, 4), 2) << "switched on: last of those in use";
    EXPECT_EQ(Order(items), L"b c y a- x- ");
    EXPECT_EQ(InsertionIndex(items, 9), 3);
}

TEST(ConfigModel, AMovedEntryTakesItsTextsAlongAndTheOthersKeepTheirOrder) {
    ItemList items;
    for (const wchar_t* t : {L"a", L"b", L"c", L"d", L"e"}) {
        LaunchItem item = Item(t);
        // Longer than any string kept inside the object itself.
        item.ExeFileName = std::wstring(40, t[0]) + L".exe";
        items.push_back(item);
    }
    MoveEntry(items, 0, 4);
    EXPECT_EQ(Order(items), L"b c d e a ");
    MoveEntry(items, 3, 1);
    EXPECT_EQ(Order(items), L"b e c d a ");
    MoveEntry(items, 1, 9);
    MoveEntry(items, -1, 0);
    EXPECT_EQ(Order(items), L"b e c d a ") << "out of range: nothing moves";
    for (const LaunchItem& item : items) EXPECT_EQ(item.ExeFileName, std::wstring(40, item.Title[0]) + L".exe");
}

TEST(ConfigModel, SizeFollowsColumnsAndTheLongerList) {
    EXPECT_EQ(FitDialogGeometry(12, 0, 0).Width, 498);
    const ConfigFormGeometry five = FitDialogGeometry(5, 16, 3);
    EXPECT_EQ(five.Width, 338);
    EXPECT_EQ(five.PageWidth, 212);
    EXPECT_EQ(five.ExtraRows, 1);  // 16 entries: four rows of five
    EXPECT_EQ(five.Height(), 278);
}

TEST(ConfigModel, FilesAndShortcutsBecomeEntries) {
    const auto same = [](std::wstring_view p) { return std::wstring(p); };
    const LaunchItem doc = NewFileItem(L"C:\\Docs\\plan.txt", std::nullopt, same);
    EXPECT_EQ(doc.Title, L"plan.txt");
    EXPECT_EQ(doc.IconIndex, -1);
    EXPECT_EQ(doc.DirectoryName, L"C:\\Docs");

    const LaunchItem tool = NewFileItem(L"C:\\Tools\\Editor.lnk",
                                        ShortcutTarget{L"D:\\Ed\\ed.exe", L"-n", L""}, same);
    EXPECT_EQ(tool.Title, L"Editor");
    EXPECT_EQ(tool.ExeFileName, L"D:\\Ed\\ed.exe");
    EXPECT_EQ(tool.IconFileName, L"D:\\Ed\\ed.exe");
    EXPECT_EQ(tool.IconIndex, 0);
    EXPECT_EQ(tool.ArgumentName, L"-n");
    EXPECT_EQ(tool.DirectoryName, L"C:\\Tools") << "no working folder: the shortcut's own";

    const LaunchItem broken = NewFileItem(L"C:\\Tools\\Gone.lnk", std::nullopt, same);
    EXPECT_EQ(broken.ExeFileName, L"C:\\Tools\\Gone.lnk");
}

}  // namespace
}  // namespace tdx
