// Reading and writing the Program list, and the list operations on icons.
#include "settings/item_lists.h"

#include <gtest/gtest.h>

#include "settings/environments.h"
#include "settings/ini_values.h"
#include "settings/item_test_context.h"

namespace tdx {
namespace {

using test::ItemTestContext;
using test::MemorySettings;

void PutEntry(MemorySettings& f, const wchar_t* section, int n, const std::wstring& title,
              const std::wstring& exe = L"C:\\app.exe", std::uint32_t status = 0) {
    const auto k = [n](const wchar_t* name) { return name + std::to_wstring(n); };
    f.Set(section, k(L"Title"), title);
    f.Set(section, k(L"ExeFileName"), exe);
    f.Set(section, k(L"Status"), std::to_wstring(status));
    f.Set(section, k(L"IconIndex"), L"0");
}

class ProgramListTest : public ::testing::Test {
protected:
    ItemTestContext fake;
    ItemContext ctx = fake.Make();
    EnvironmentTable table;
    ItemList list;
};

TEST_F(ProgramListTest, ListEndsAtTheFirstEmptyOrMissingTitle) {
    PutEntry(fake.File(1), L"Program", 0, L"");
    PutEntry(fake.File(1), L"Program", 1, L"second");
    ReadProgramItems(ctx, table, list, 1);
    EXPECT_TRUE(list.empty());

    fake.File(2).Set(L"Program", L"Title0", L"one");
    PutEntry(fake.File(2), L"Program", 2, L"after a gap");
    ReadProgramItems(ctx, table, list, 2);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].Title, L"one");
    EXPECT_EQ(list[0].ExeFileName, L"");
    EXPECT_EQ(list[0].Status, 0u);
}

TEST_F(ProgramListTest, AtMostOneHundredEntriesAreRead) {
    for (int n = 0; n < 120; ++n) PutEntry(fake.File(1), L"Program", n, L"e" + std::to_wstring(n));
    ReadProgramItems(ctx, table, list, 1);
    ASSERT_EQ(list.size(), 100u);
    EXPECT_EQ(list.back().Title, L"e99");
}

TEST_F(ProgramListTest, GarbageIsReadWithoutHarm) {
    MemorySettings& f = fake.File(1);
    f.Set(L"Program", L"Title0", L"bad numbers");
    f.Set(L"Program", L"Status0", L"abc");
    f.Set(L"Program", L"IconIndex0", L"99999999999999999999");
    f.Set(L"Program", L"Title1", std::wstring(100000, L'x'));
    f.Set(L"Program", L"ExeFileName1", std::wstring(L"\xFFFF\x0001\xD800\x0000z", 5));
    f.Set(L"Program", L"Status1", L"$FFFFFFFF");
    f.Set(L"Program", L"IconIndex1", L"-1");
    for (int n = 2; n < 10000; ++n) f.Set(L"Program", L"Title" + std::to_wstring(n), L"t");

    ReadProgramItems(ctx, table, list, 1);
    ASSERT_EQ(list.size(), 100u);
    EXPECT_EQ(list[0].Status, 0u);
    EXPECT_EQ(list[0].IconIndex, 0);
    EXPECT_EQ(list[1].Title.size(), kMaxStringValue);
    EXPECT_EQ(list[1].ExeFileName.size(), 5u);
    EXPECT_EQ(list[1].Status, 0xFFFFFFFFu);
    EXPECT_EQ(list[1].IconIndex, -1);
}

TEST_F(ProgramListTest, WriteStoresEveryFieldInOrderAndReadsBack) {
    LaunchItem a;
    a.Title = L"エディタ";
    a.ExeFileName = L"C:\\bin\\ed.exe";
    a.IconFileName = L"C:\\bin\\ed.ico";
    a.ArgumentName = L"/n";
    a.DirectoryName = L"C:\\work";
    a.IconIndex = -1;
    a.Status = 0x80004241u;  // a direct key and a bit beyond 15
    LaunchItem b;
    b.Title = L"two";
    list = {a, b};
    fake.File(1).Set(L"Program", L"Title7", L"stale");

    WriteProgramItems(ctx, list, 1);
    EXPECT_EQ(fake.File(1).commits, 1);
    const auto& order = fake.File(1).writeOrder;
    ASSERT_GE(order.size(), 7u);
    EXPECT_EQ(std::vector<std::wstring>(order.begin(), order.begin() + 7),
              (std::vector<std::wstring>{L"Title0", L"ExeFileName0", L"IconFileName0",
                                         L"ArgumentName0", L"DirectoryName0", L"IconIndex0",
                                         L"Status0"}));
    EXPECT_EQ(*fake.File(1).ReadString(L"Program", L"Status0"), L"-2147466687");
    EXPECT_FALSE(fake.File(1).ReadString(L"Program", L"Title7"));  // section was erased

    ItemList back;
    ReadProgramItems(ctx, table, back, 1);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].Title, a.Title);
    EXPECT_EQ(back[0].ExeFileName, a.ExeFileName);
    EXPECT_EQ(back[0].IconFileName, a.IconFileName);
    EXPECT_EQ(back[0].ArgumentName, a.ArgumentName);
    EXPECT_EQ(back[0].DirectoryName, a.DirectoryName);
    EXPECT_EQ(back[0].IconIndex, -1);
    EXPECT_EQ(back[0].Status, a.Status);
    EXPECT_EQ(back[0].DirectKey(), 'B');
    FreeItemList(ctx, back, true);
}

TEST_F(ProgramListTest, FailedWriteLeavesTheStoredListAndReportsTheFile) {
    PutEntry(fake.File(1), L"Program", 0, L"kept");
    fake.File(1).failCommit = true;
    LaunchItem other;
    other.Title = L"new";
    list = {other};
    try {
        WriteProgramItems(ctx, list, 1);
        FAIL() << "no error";
    } catch (const SettingsWriteError& e) {
        EXPECT_EQ(e.Message(), L"memory.ini に書き込めません");
    }
    EXPECT_EQ(*fake.File(1).ReadString(L"Program", L"Title0"), L"kept");
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(ProgramListTest, ReadingReplacesTheListAndFreesTheOldIcons) {
    PutEntry(fake.File(1), L"Program", 0, L"a");
    PutEntry(fake.File(1), L"Program", 1, L"b");
    ReadProgramItems(ctx, table, list, 1);
    ReadProgramItems(ctx, table, list, 1);
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(fake.liveIcons.size(), 2u);
    EXPECT_NE(list[0].Icon, list[1].Icon);
    FreeItemList(ctx, list, true);
    EXPECT_TRUE(fake.liveIcons.empty());
    EXPECT_EQ(fake.doubleDestroys, 0);
}

TEST_F(ProgramListTest, FreeNeverDestroysTheSharedIconsAndSparesForeignOnes) {
    LaunchItem doc, app, own;
    doc.Icon = fake.documentIcon;
    app.Icon = fake.applicationIcon;
    own.Icon = fake.NewIcon();
    list = {doc, app, own};
    ItemList tasks = list;

    FreeItemList(ctx, tasks, false);
    EXPECT_TRUE(tasks.empty());
    EXPECT_EQ(fake.liveIcons.size(), 1u);

    FreeItemList(ctx, list, true);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(fake.liveIcons.empty());
    EXPECT_EQ(fake.destroyedSharedIcons, 0);
}

TEST_F(ProgramListTest, CopiesOwnFreshIconsAndCarryTheFields) {
    LaunchItem net;
    net.Title = L"Z";
    net.ExeFileName = net.IconFileName = L"Z:\\";
    net.IconIndex = -1;
    net.Status = 1;
    net.NetworkDrive = true;
    net.Window = reinterpret_cast<WindowHandle>(0x55);
    net.Icon = fake.NewIcon();
    ItemList source = {net};
    ItemList destination;
    LaunchItem old;
    old.Icon = fake.NewIcon();
    destination.push_back(old);

    CopyItemList(ctx, destination, source);
    ASSERT_EQ(destination.size(), 1u);
    EXPECT_NE(destination[0].Icon, source[0].Icon);
    EXPECT_EQ(destination[0].Window, net.Window);
    EXPECT_EQ(destination[0].ExeFileName, L"Z:\\");
    EXPECT_TRUE(destination[0].NetworkDrive);
    EXPECT_EQ(fake.liveIcons.count(reinterpret_cast<std::uintptr_t>(old.Icon)), 0u);

    // Both lists can be freed without touching each other's icons.
    FreeItemList(ctx, source, true);
    EXPECT_EQ(fake.liveIcons.count(reinterpret_cast<std::uintptr_t>(destination[0].Icon)), 1u);

    // A list copied onto itself keeps its entries.
    CopyItemList(ctx, destination, destination);
    ASSERT_EQ(destination.size(), 1u);
    EXPECT_EQ(destination[0].Title, L"Z");
    FreeItemList(ctx, destination, true);
    EXPECT_TRUE(fake.liveIcons.empty());
    EXPECT_EQ(fake.doubleDestroys, 0);
}

TEST(FirstNotInUse, IsTheFirstSwitchedOffEntryOrTheCount) {
    ItemList items(4);
    EXPECT_EQ(FirstNotInUseIndex(items), 4u);
    items[2].Status = ItemStatus::NotInUse | ItemStatus::BuiltIn;
    items[3].Status = ItemStatus::NotInUse;
    EXPECT_EQ(FirstNotInUseIndex(items), 2u);
    EXPECT_EQ(FirstNotInUseIndex(ItemList{}), 0u);
}

}  // namespace
}  // namespace tdx
