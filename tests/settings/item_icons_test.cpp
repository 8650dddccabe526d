#include "settings/item_icons.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tdx {
namespace {

// Icons are told apart by fixed fake handles; the services record what was asked.
IconHandle Fake(std::uintptr_t n) { return reinterpret_cast<IconHandle>(n); }
const IconHandle kDocument = Fake(0xD0C);
const IconHandle kApplication = Fake(0xA99);
const IconHandle kExtracted = Fake(0xE1);
const IconHandle kFolder = Fake(0xF0);
const IconHandle kDrive = Fake(0xD1);
const IconHandle kAssociated = Fake(0xA5);

class FakeIcons : public IconServices {
public:
    std::set<std::wstring> existing;
    std::map<std::wstring, int> iconCounts;  // files with icons: how many
    bool associatedFails = false;
    mutable std::vector<std::wstring> asked;

    std::wstring OwnProgramPath() const override { return L"C:\\Apps\\Tiledex\\tiledex.exe"; }
    bool Exists(const std::wstring& path) const override { return existing.count(path) != 0; }
    IconHandle ExtractIndexed(const std::wstring& file, int index) const override {
        asked.push_back(L"extract " + file + L" " + std::to_wstring(index));
        const auto it = iconCounts.find(file);
        return (it != iconCounts.end() && index >= 0 && index < it->second) ? kExtracted : nullptr;
    }
    IconHandle SpecialFolderIcon(const std::wstring& name) const override {
        asked.push_back(L"folder " + name);
        return name == L"MyComputer" ? kFolder : nullptr;
    }
    IconHandle DriveIcon(const std::wstring& root) const override {
        asked.push_back(L"drive " + root);
        return kDrive;
    }
    IconHandle AssociatedIcon(const std::wstring& path) const override {
        asked.push_back(L"associated " + path);
        return associatedFails ? nullptr : kAssociated;
    }
    IconHandle DocumentIcon() const override { return kDocument; }
    IconHandle ApplicationIcon() const override { return kApplication; }
};

TEST(ItemIcons, IndexedSourceFallsBackByExtension) {
    FakeIcons icons;
    icons.existing = {L"C:\\tools\\noicon.com", L"C:\\tools\\NOICON.EXE", L"C:\\docs\\a.txt",
                      L"C:\\tools\\app.exe", L"C:\\tools\\app.exe.bak"};
    icons.iconCounts = {{L"C:\\tools\\app.exe", 2}};
    EXPECT_EQ(LoadItemIcon(icons, 0, L"C:\\missing\\x.exe", 3), kDocument);
    EXPECT_EQ(LoadItemIcon(icons, 0, L"C:\\tools\\noicon.com", 0), kApplication);
    EXPECT_EQ(LoadItemIcon(icons, 0, L"C:\\tools\\NOICON.EXE", 0), kApplication);
    EXPECT_EQ(LoadItemIcon(icons, 0, L"C:\\docs\\a.txt", 0), kDocument);
    EXPECT_EQ(LoadItemIcon(icons, 0, L"C:\\tools\\app.exe", 1), kExtracted);
    EXPECT_EQ(LoadItemIcon(icons, 0, L"C:\\tools\\app.exe", 2), kApplication);
    EXPECT_EQ(LoadItemIcon(icons, 0, L"C:\\tools\\app.exe.bak", 0), kDocument);
    // A missing file is not even opened.
    EXPECT_EQ(std::count(icons.asked.begin(), icons.asked.end(), L"extract C:\\missing\\x.exe 3"), 0);
}

TEST(ItemIcons, OwnProgramWordInAnyCaseMeansTheRunningProgram) {
    FakeIcons icons;
    icons.existing = {L"C:\\Apps\\Tiledex\\tiledex.exe"};
    icons.iconCounts = {{L"C:\\Apps\\Tiledex\\tiledex.exe", 8}};
    EXPECT_EQ(LoadItemIcon(icons, 7, L"tiledex.EXE", 6), kExtracted);
    EXPECT_EQ(icons.asked.back(), L"extract C:\\Apps\\Tiledex\\tiledex.exe 6");
    EXPECT_EQ(LoadItemIcon(icons, 7, L"Tiledex.exe", 9), kApplication);
    // Only the bare word counts: a path ending in it is an ordinary file.
    EXPECT_EQ(LoadItemIcon(icons, 0, L"D:\\Tiledex.exe", 0), kDocument);
}

TEST(ItemIcons, AssociatedSourcesTrySpecialFolderThenDriveThenFile) {
    FakeIcons icons;
    icons.existing = {L"C:\\docs\\a.txt", L"C:\\docs", L"MyComputer"};
    EXPECT_EQ(LoadItemIcon(icons, ItemStatus::SpecialFolder, L"MyComputer", -1), kFolder);
    EXPECT_EQ(LoadItemIcon(icons, ItemStatus::SpecialFolder | ItemStatus::BuiltIn, L"Nowhere", -1), nullptr);
    // Without the flag the same name is an ordinary (here existing) file.
    EXPECT_EQ(LoadItemIcon(icons, ItemStatus::BuiltIn, L"MyComputer", -1), kAssociated);
    EXPECT_EQ(LoadItemIcon(icons, 1, L"E:\\", -1), kDrive);
    EXPECT_EQ(LoadItemIcon(icons, 0, L"C:\\docs", -1), kAssociated);
    EXPECT_EQ(LoadItemIcon(icons, 0, L"C:\\docs\\a.txt", -1), kAssociated);
    EXPECT_EQ(LoadItemIcon(icons, 0, L"C:\\docs\\gone.txt", -1), kDocument);
    icons.associatedFails = true;
    EXPECT_EQ(LoadItemIcon(icons, 0, L"C:\\docs\\a.txt", -1), kDocument);
}

TEST(ItemIcons, DriveRootIsExactlyLetterColonBackslash) {
    EXPECT_TRUE(IsDriveRoot(L"C:\\"));
    EXPECT_TRUE(IsDriveRoot(L"z:\\"));
    for (const wchar_t* no : {L"C:", L"C:\\\\", L"C:/", L"1:\\", L"CC\\", L"", L"\\\\a", L"\xFF21:\\"}) {
        EXPECT_FALSE(IsDriveRoot(no)) << std::wstring(no).size();
    }
}

TEST(ItemIcons, ProgramExtensionIsTakenFromTheLastDot) {
    EXPECT_TRUE(HasProgramExtension(L"a.exe"));
    EXPECT_TRUE(HasProgramExtension(L"C:\\x\\A.Com"));
    EXPECT_FALSE(HasProgramExtension(L"a.exe.txt"));
    EXPECT_FALSE(HasProgramExtension(L"C:\\x.exe\\readme"));
    EXPECT_FALSE(HasProgramExtension(L"exe"));
    EXPECT_FALSE(HasProgramExtension(L"a.bat"));
}

}  // namespace
}  // namespace tdx
