// The System list: defaults and their version adjustments, drives, search and
// insertion positions, and the write-back after a read.
#include "settings/system_items.h"

#include <gtest/gtest.h>

#include "settings/item_test_context.h"

namespace tdx {
namespace {

using test::ItemTestContext;
using test::MemorySettings;

const std::wstring kIe = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";

void PutEntry(MemorySettings& f, int n, const std::wstring& title, const std::wstring& exe,
              std::uint32_t status, int iconIndex = 0, const std::wstring& iconFile = L"") {
    const auto k = [n](const wchar_t* name) { return name + std::to_wstring(n); };
    f.Set(L"System", k(L"Title"), title);
    f.Set(L"System", k(L"ExeFileName"), exe);
    f.Set(L"System", k(L"IconFileName"), iconFile);
    f.Set(L"System", k(L"Status"), std::to_wstring(status));
    f.Set(L"System", k(L"IconIndex"), std::to_wstring(iconIndex));
}

std::vector<std::wstring> ExeNames(const ItemList& items) {
    std::vector<std::wstring> names;
    for (const auto& item : items) names.push_back(item.ExeFileName);
    return names;
}

const LaunchItem* Find(const ItemList& items, std::wstring_view exe) {
    for (const auto& item : items)
        if (item.ExeFileName == exe) return &item;
    return nullptr;
}

class SystemListTest : public ::testing::Test {
protected:
    ItemTestContext fake;
    ItemContext ctx = fake.Make();
    ItemList list;

    void TearDown() override {
        FreeItemList(ctx, list, true);
        EXPECT_TRUE(fake.liveIcons.empty()) << "icons leaked";
        EXPECT_EQ(fake.doubleDestroys, 0);
        EXPECT_EQ(fake.destroyedSharedIcons, 0);
    }

    // Writes every default (as this version builds it) to file 1; returns the count.
    int StoreAllDefaults() {
        ItemList defaults;
        RestoreDefaultSystemItems(ctx, defaults);
        for (std::size_t n = 0; n < defaults.size(); ++n) {
            const auto& d = defaults[n];
            PutEntry(fake.File(1), static_cast<int>(n), d.Title, d.ExeFileName, d.Status,
                     d.IconIndex, d.IconFileName);
        }
        FreeItemList(ctx, defaults, true);
        return static_cast<int>(defaults.size());
    }

    int StoredIndex(std::wstring_view exe) {
        for (int n = 0;; ++n) {
            auto v = fake.File(1).ReadString(L"System", L"ExeFileName" + std::to_wstring(n));
            if (!v) return -1;
            if (*v == exe) return n;
        }
    }
};

TEST_F(SystemListTest, MissingFileGivesTheDefaultsAndDrivesAndIsWritten) {
    fake.drives = (1u << 2) | (1u << 3);  // C: and D:
    fake.existingFiles.insert(kIe);
    ReadSystemItems(ctx, list, 1);

    EXPECT_EQ(ExeNames(list),
              (std::vector<std::wstring>{L"MyComputer", L"NetWork", L"MyDocument", L"ControlPanel",
                                         L"DeskTop", L"DustBox", L"Exit", L"Suspend", kIe, L"C:\\",
                                         L"D:\\", L"CD Player", L"C:\\WINDOWS\\system32\\cmd.exe"}));
    EXPECT_EQ(list[2].IconFileName, L"C:\\WINDOWS\\system32\\mydocs.dll");
    EXPECT_EQ(list[0].Title, L"マイコンピュータ");
    EXPECT_EQ(list[0].Status, 11u);
    EXPECT_EQ(list[9].Title, L"Local Disk (C:)");
    EXPECT_EQ(list[9].Status, 1u);
    EXPECT_EQ(list[9].IconIndex, -1);
    EXPECT_EQ(list[9].IconFileName, L"C:\\");
    EXPECT_EQ(FirstNotInUseIndex(list), 11u);

    EXPECT_EQ(fake.File(1).commits, 1);
    EXPECT_EQ(*fake.File(1).ReadString(L"System", L"Title12"), L"コマンドプロンプト");
    EXPECT_FALSE(fake.File(1).ReadString(L"System", L"Title13"));
    EXPECT_EQ(fake.cdOpens, 0);  // the CD player starts switched off
}

TEST_F(SystemListTest, CompleteStoredListIsNotRewrittenEvenWithoutABrowser) {
    StoreAllDefaults();
    ReadSystemItems(ctx, list, 1);
    EXPECT_EQ(list.size(), 11u);
    EXPECT_EQ(fake.File(1).commits, 0);
}

TEST_F(SystemListTest, MissingExitComesBackBeforeTheFirstSwitchedOffEntry) {
    StoreAllDefaults();
    // Drop Exit by storing the list again without it, keeping it contiguous.
    ItemList stored = ReadItemSection(fake.File(1), L"System");
    stored.erase(stored.begin() + 6);
    ASSERT_EQ(stored[6].ExeFileName, L"Suspend");
    fake.File(1) = MemorySettings{};
    for (std::size_t n = 0; n < stored.size(); ++n)
        PutEntry(fake.File(1), static_cast<int>(n), stored[n].Title, stored[n].ExeFileName,
                 stored[n].Status, stored[n].IconIndex, stored[n].IconFileName);

    ReadSystemItems(ctx, list, 1);
    const std::size_t exit = static_cast<std::size_t>(FindSystemItem(ctx, list, L"Exit"));
    EXPECT_EQ(exit + 1, FirstNotInUseIndex(list));
    EXPECT_EQ(fake.File(1).commits, 1);
    EXPECT_EQ(*fake.File(1).ReadString(L"System", L"ExeFileName" + std::to_wstring(exit)), L"Exit");
}

TEST_F(SystemListTest, DefaultsFollowTheWindowsVersion) {
    struct Case {
        int version;
        int exitIcon;
        std::wstring suspendFile;
        int suspendIcon;
        std::wstring suspendTitle;
        int cdIcon;
        int dosIcon;
    } cases[] = {
        {410, 50, L"C:\\WINDOWS\\system32\\Shell32.Dll", 25, L"サスペンド", 1, 1},
        {490, 105, L"C:\\WINDOWS\\system32\\Shell32.Dll", 25, L"サスペンド", 1, 1},
        {1400, 45, L"C:\\WINDOWS\\system32\\Shell32.Dll", 25, L"サスペンド", 1, -1},
        {1500, 107, L"C:\\WINDOWS\\system32\\Shell32.Dll", 25, L"サスペンド", 1, -1},
        {1501, 27, L"Tiledex.exe", 5, L"サスペンド", 6, -1},
        {1600, 27, L"Tiledex.exe", 5, L"スリープ", 6, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        fake.version = c.version;
        ItemList items;
        for (int row = 0; row < kDefaultSystemItemCount; ++row) AddDefaultSystemItem(ctx, items, row);
        const LaunchItem* exit = Find(items, L"Exit");
        const LaunchItem* suspend = Find(items, L"Suspend");
        const LaunchItem* cd = Find(items, L"CD Player");
        ASSERT_TRUE(exit && suspend && cd);
        EXPECT_EQ(exit->IconIndex, c.exitIcon);
        EXPECT_EQ(suspend->IconFileName, c.suspendFile);
        EXPECT_EQ(suspend->IconIndex, c.suspendIcon);
        EXPECT_EQ(suspend->Title, c.suspendTitle);
        EXPECT_EQ(cd->IconIndex, c.cdIcon);
        const LaunchItem& dos = items.back();
        EXPECT_EQ(dos.ExeFileName, c.version >= 1000 ? L"C:\\WINDOWS\\system32\\cmd.exe"
                                                      : L"C:\\WINDOWS\\command.com");
        EXPECT_EQ(dos.Status, 5u);
        EXPECT_EQ(dos.IconIndex, c.dosIcon);
        FreeItemList(ctx, items, true);
    }
}

TEST(StoredExitIcon, IsAdjustedOnTheOlderVersionsOnly) {
    EXPECT_EQ(StoredExitIconIndex(45, 1500), 107);
    EXPECT_EQ(StoredExitIconIndex(45, 410), 50);
    EXPECT_EQ(StoredExitIconIndex(45, 490), 105);
    EXPECT_EQ(StoredExitIconIndex(50, 490), 105);
    EXPECT_EQ(StoredExitIconIndex(50, 410), 50);
    EXPECT_EQ(StoredExitIconIndex(45, 1501), 45);
    EXPECT_EQ(StoredExitIconIndex(27, 1500), 27);
}

TEST_F(SystemListTest, StoredExitIconIsReadForThisVersionByExactName) {
    fake.version = 1500;
    const int count = StoreAllDefaults();
    // Stored as older versions wrote it.
    fake.File(1).Set(L"System", L"IconIndex" + std::to_wstring(StoredIndex(L"Exit")), L"45");
    PutEntry(fake.File(1), count, L"lower", L"exit", 3, 45);
    ReadSystemItems(ctx, list, 1);
    EXPECT_EQ(Find(list, L"Exit")->IconIndex, 107);
    EXPECT_EQ(Find(list, L"exit")->IconIndex, 45);
}

TEST_F(SystemListTest, DrivesFollowThePresentDrives) {
    fake.drives = (1u << 2) | (1u << 3);
    ReadSystemItems(ctx, list, 1);
    ASSERT_NE(FindSystemItem(ctx, list, L"D:\\"), -1);
    const auto before = list.size();

    fake.drives = (1u << 2) | (1u << 4);  // D: gone, E: new
    EXPECT_TRUE(RefreshDriveItems(ctx, list));
    EXPECT_EQ(FindSystemItem(ctx, list, L"D:\\"), -1);
    const int e = FindSystemItem(ctx, list, L"E:\\");
    ASSERT_NE(e, -1);
    EXPECT_EQ(static_cast<std::size_t>(e) + 1, FirstNotInUseIndex(list));
    EXPECT_EQ(list.size(), before);
    EXPECT_FALSE(RefreshDriveItems(ctx, list));
}

TEST_F(SystemListTest, StoredDriveShowsTheCurrentNameAndKnowsNetworkDrives) {
    fake.drives = (1u << 2) | (1u << 25);
    fake.remoteDrives.insert(L"Z:\\");
    fake.driveNames[L"Z:\\"] = L"share (\\\\server) (Z:)";
    fake.driveNames[L"C:\\"] = L"";  // the shell gives no name
    PutEntry(fake.File(1), 0, L"old name", L"Z:\\", 0x4101, -1, L"Z:\\");  // with direct key A
    PutEntry(fake.File(1), 1, L"System disk", L"C:\\", 1, -1, L"C:\\");
    PutEntry(fake.File(1), 2, L"net tool", L"Z:\\", 3, -1, L"Z:\\tool.ico");
    ReadSystemItems(ctx, list, 1);
    EXPECT_EQ(list[0].Title, L"share (\\\\server) (Z:)");
    EXPECT_TRUE(list[0].NetworkDrive);
    EXPECT_EQ(list[1].Title, L"System disk");  // a nameless drive keeps its stored title
    EXPECT_FALSE(list[1].NetworkDrive);
    EXPECT_FALSE(list[2].NetworkDrive);  // low byte of Status is not exactly BuiltIn
}

TEST_F(SystemListTest, NewDriveWithoutANameIsTitledByItsRoot) {
    fake.driveNames[L"C:\\"] = L"";
    RefreshDriveItems(ctx, list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].Title, L"C:\\");
}

TEST_F(SystemListTest, BrowserEntryOnlyWhenItsFileExists) {
    AddDefaultSystemItem(ctx, list, 8);
    EXPECT_TRUE(list.empty());
    fake.existingFiles.insert(kIe);
    AddDefaultSystemItem(ctx, list, 8);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].ExeFileName, kIe);
    EXPECT_EQ(list[0].Status, 1u);
}

TEST_F(SystemListTest, FindMatchesExactlyAndTheBrowserByFileName) {
    LaunchItem a, b, c;
    a.ExeFileName = L"D:\\Tools\\iexplore.exe";
    b.ExeFileName = L"Exit";
    c.ExeFileName = L"C:\\WINDOWS\\system32\\Shell32.Dll";
    list = {a, b, c};
    EXPECT_EQ(FindSystemItem(ctx, list, L"%InternetExplorer%"), 0);
    EXPECT_EQ(FindSystemItem(ctx, list, L"Exit"), 1);
    EXPECT_EQ(FindSystemItem(ctx, list, L"exit"), -1);
    EXPECT_EQ(FindSystemItem(ctx, list, L"%SYSDIR%\\Shell32.Dll"), 2);
    EXPECT_EQ(FindSystemItem(ctx, list, L"E:\\Other\\Shell32.Dll"), -1);  // no file-name rule
    list[0].ExeFileName = L"D:\\Tools\\IEXPLORE.EXE";
    EXPECT_EQ(FindSystemItem(ctx, list, L"%InternetExplorer%"), -1);
}

TEST_F(SystemListTest, CdPlayerInUseNeedsAnInUseInternalCommand) {
    LaunchItem cd;
    cd.ExeFileName = L"cd PLAYER";
    cd.Status = ItemStatus::InternalCommand;
    EXPECT_TRUE(CdPlayerInUse({cd}));
    cd.Status |= ItemStatus::NotInUse;
    EXPECT_FALSE(CdPlayerInUse({cd}));
    cd.Status = ItemStatus::BuiltIn;
    EXPECT_FALSE(CdPlayerInUse({cd}));
    EXPECT_FALSE(CdPlayerInUse({}));
}

TEST_F(SystemListTest, CdDeviceFollowsReadsAndWrites) {
    StoreAllDefaults();
    fake.File(1).Set(L"System", L"Status" + std::to_wstring(StoredIndex(L"CD Player")), L"3");
    ReadSystemItems(ctx, list, 1);
    EXPECT_EQ(fake.cdOpens, 1);
    EXPECT_EQ(fake.cdCloses, 0);

    WriteSystemItems(ctx, list, 1);
    EXPECT_EQ(fake.cdCloses, 1);
    EXPECT_EQ(fake.cdOpens, 2);

    list[static_cast<std::size_t>(FindSystemItem(ctx, list, L"CD Player"))].Status |= ItemStatus::NotInUse;
    WriteSystemItems(ctx, list, 1);
    EXPECT_EQ(fake.cdCloses, 2);
    EXPECT_EQ(fake.cdOpens, 2);
}

TEST_F(SystemListTest, FailedWriteBackKeepsTheFileAndStillCompletesTheList) {
    PutEntry(fake.File(1), 0, L"CD", L"CD Player", 3, 1, L"Tiledex.exe");
    fake.File(1).failCommit = true;
    EXPECT_THROW(ReadSystemItems(ctx, list, 1), SettingsWriteError);
    EXPECT_NE(FindSystemItem(ctx, list, L"Exit"), -1);
    EXPECT_FALSE(fake.File(1).ReadString(L"System", L"Title1"));
    EXPECT_EQ(*fake.File(1).ReadString(L"System", L"Title0"), L"CD");
    EXPECT_EQ(fake.cdOpens, 1);
}

TEST_F(SystemListTest, WriteBackGoesToTheFileThatWasRead) {
    ReadSystemItems(ctx, list, 3);
    EXPECT_EQ(fake.File(3).commits, 1);
    EXPECT_EQ(fake.files.count(1), 0u);
}

}  // namespace
}  // namespace tdx
