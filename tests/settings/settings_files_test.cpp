#include "settings/settings_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "settings/autorun_rules.h"

namespace tdx {
namespace {

TEST(SettingsFiles, FileNumbersBecomeFileNames) {
    EXPECT_EQ(SettingsFileTitle(1), L"tiledex.ini");
    EXPECT_EQ(SettingsFileTitle(2), L"tiledex2.ini");
    EXPECT_EQ(SettingsFileTitle(10), L"tiledex10.ini");
    const std::wstring folder = SettingsFolderPath(L"C:\\Users\\me\\AppData\\Roaming");
    EXPECT_EQ(folder, L"C:\\Users\\me\\AppData\\Roaming\\tiledex");
    EXPECT_EQ(SettingsFilePath(folder, 1), folder + L"\\tiledex.ini");
    EXPECT_EQ(SettingsFilePath(folder, 5), folder + L"\\tiledex5.ini");
}

TEST(SettingsFiles, PathParts) {
    EXPECT_EQ(ParentFolderOf(L"C:\\a\\b"), L"C:\\a\\");
    EXPECT_EQ(ParentFolderOf(L"C:\\a"), L"C:\\");
    EXPECT_EQ(ParentFolderOf(L"C:a"), L"C:");
    EXPECT_EQ(ParentFolderOf(L"plain"), L"");
    EXPECT_EQ(FolderOfFile(L"D:\\Tools\\Tiledex.INI"), L"D:\\Tools");
    EXPECT_EQ(FolderOfFile(L"D:\\Tiledex.INI"), L"D:\\");
    EXPECT_EQ(OldMainSettingsFile(L"D:\\Tools\\Tiledex.exe"), L"D:\\Tools\\Tiledex.INI");
    // A dot in a folder name is not an extension.
    EXPECT_EQ(OldMainSettingsFile(L"D:\\v1.2\\Tiledex"), L"D:\\v1.2\\Tiledex.INI");
    EXPECT_EQ(ChangeExtension(L"D:\\a.b.exe", L".old"), L"D:\\a.b.old");
}

class FakeFolders : public FolderSystem {
public:
    explicit FakeFolders(std::set<std::wstring> existing) : existing_(std::move(existing)) {}
    bool FolderExists(const std::wstring& path) const override {
        asked.push_back(path);
        return existing_.count(path) != 0;
    }
    void CreateFolder(const std::wstring& path) override {
        created.push_back(path);
        existing_.insert(path);
    }
    std::vector<std::wstring> created;
    mutable std::vector<std::wstring> asked;

private:
    std::set<std::wstring> existing_;
};

TEST(SettingsFiles, MissingParentsAreCreatedOutermostFirst) {
    FakeFolders folders({L"C:\\Users\\me"});
    CreateFolderWithParents(folders, L"C:\\Users\\me\\AppData\\Roaming\\tiledex\\");
    EXPECT_EQ(folders.created, (std::vector<std::wstring>{L"C:\\Users\\me\\AppData",
                                                          L"C:\\Users\\me\\AppData\\Roaming",
                                                          L"C:\\Users\\me\\AppData\\Roaming\\tiledex"}));
    folders.created.clear();
    CreateFolderWithParents(folders, L"C:\\Users\\me\\AppData\\Roaming\\tiledex");
    EXPECT_TRUE(folders.created.empty());
}

TEST(SettingsFiles, FolderCreationStopsAtRootsAndShortPaths) {
    FakeFolders folders({});
    CreateFolderWithParents(folders, L"C:\\x\\y");
    // The drive root "C:" is never created, not even asked about.
    EXPECT_EQ(folders.created, (std::vector<std::wstring>{L"C:\\x", L"C:\\x\\y"}));
    EXPECT_EQ(std::count(folders.asked.begin(), folders.asked.end(), L"C:"), 0);

    FakeFolders roots({});
    CreateFolderWithParents(roots, L"C:\\\\");  // "C:\" after one separator is dropped
    CreateFolderWithParents(roots, L"ab");
    EXPECT_TRUE(roots.created.empty());

    // An unexpanded %APPDATA% is a relative folder, created as such.
    FakeFolders relative({});
    CreateFolderWithParents(relative, L"%APPDATA%\\tiledex");
    EXPECT_EQ(relative.created, (std::vector<std::wstring>{L"%APPDATA%", L"%APPDATA%\\tiledex"}));
}

TEST(AutoRunRules, DataIsQuotedAndBothSpellingsAreRecognised) {
    const std::wstring exe = L"C:\\Program Files\\Tiledex\\Tiledex.exe";
    EXPECT_EQ(AutoRunData(exe), L"\"C:\\Program Files\\Tiledex\\Tiledex.exe\"");
    EXPECT_TRUE(AutoRunDataNamesProgram(AutoRunData(exe), exe));
    EXPECT_TRUE(AutoRunDataNamesProgram(exe, exe));
    EXPECT_TRUE(AutoRunDataNamesProgram(L"c:\\PROGRAM FILES\\tiledex\\TILEDEX.EXE", exe));
    EXPECT_TRUE(AutoRunDataNamesProgram(L"\"c:\\program files\\tiledex\\tiledex.exe\"", exe));

    EXPECT_FALSE(AutoRunDataNamesProgram(L"", exe));
    EXPECT_FALSE(AutoRunDataNamesProgram(L"\"\"", exe));
    EXPECT_FALSE(AutoRunDataNamesProgram(L"\"" + exe, exe));
    EXPECT_FALSE(AutoRunDataNamesProgram(L"\"" + exe + L"\" /min", exe));
    EXPECT_FALSE(AutoRunDataNamesProgram(L"C:\\Program Files\\Other\\Tiledex.exe", exe));
    EXPECT_FALSE(AutoRunDataNamesProgram(L"C:\\Program", exe));
}

}  // namespace
}  // namespace tdx
