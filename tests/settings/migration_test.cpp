#include "settings/migration.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "support/memory_settings.h"

namespace tdx {
namespace {

const std::wstring kExe = L"D:\\Tools\\Tiledex.exe";
const std::wstring kOldMain = L"D:\\Tools\\Tiledex.INI";
const std::wstring kFolder = L"C:\\Users\\me\\AppData\\Roaming\\tiledex";
const std::wstring kNewMain = kFolder + L"\\tiledex.ini";

const std::wstring kMovedLine =
    L"設定ファイルを C:\\Users\\me\\AppData\\Roaming\\tiledex に移動しました。";
const std::wstring kNotice =
    L"\r\n設定ファイルはログインユーザー毎に持つようになりましたので、"
    L"\r\n異なるログインユーザーの設定は、そのユーザー名でログインした後で"
    L"\r\n再度設定しなおしてください。";

// A file system of named files, each with a last-write time and INI contents.
// Copies keep the time, as the platform's copy does.
class FakeHost : public MigrationHost {
public:
    struct File {
        std::int64_t time = 0;
        std::map<std::wstring, std::wstring> option;  // the Option section
    };

    std::wstring ExecutablePath() const override { return exe; }
    std::wstring SettingsFolder() const override { return kFolder; }
    std::optional<std::int64_t> LastWriteTime(const std::wstring& file) const override {
        auto f = files.find(file);
        if (f == files.end()) return std::nullopt;
        return f->second.time;
    }
    void CreateFolderWithParents(const std::wstring& folder) override {
        createdFolders.push_back(folder);
    }
    bool CopyFileOver(const std::wstring& from, const std::wstring& to) override {
        auto f = files.find(from);
        if (f == files.end() || failCopy.count(from)) return false;
        files[to] = f->second;
        copies.push_back(from + L" -> " + to);
        return true;
    }
    bool RemoveFile(const std::wstring& file) override { return files.erase(file) != 0; }
    bool RenameFile(const std::wstring& from, const std::wstring& to) override {
        auto f = files.find(from);
        if (f == files.end() || failRename.count(from) || files.count(to)) return false;
        files[to] = f->second;
        files.erase(f);
        return true;
    }
    std::unique_ptr<SettingsReader> OpenSettings(const std::wstring& file) const override {
        auto store = std::make_unique<test::MemorySettings>();
        auto f = files.find(file);
        if (f != files.end())
            for (const auto& [key, value] : f->second.option) store->Set(L"Option", key, value);
        return store;
    }
    std::wstring LoginUserName() const override { return L"me"; }
    void ShowMessage(const std::wstring& text) override { messages.push_back(text); }

    void Put(const std::wstring& path, std::int64_t time,
             std::map<std::wstring, std::wstring> option = {}) {
        files[path] = File{time, std::move(option)};
    }
    bool Has(const std::wstring& path) const { return files.count(path) != 0; }

    std::wstring exe = kExe;
    std::map<std::wstring, File> files;
    std::set<std::wstring> failCopy, failRename;
    std::vector<std::wstring> createdFolders, copies, messages;
};

TEST(MigrationMessage, ExactLinesWithAndWithoutTheNotice) {
    EXPECT_EQ(MigrationMessage(kFolder, false), kMovedLine);
    EXPECT_EQ(MigrationMessage(kFolder, true), kMovedLine + kNotice);
}

TEST(MigrationMessage, NoticeOnlyForAnotherNamedUser) {
    EXPECT_FALSE(NeedsPerUserNotice({}, L"me"));
    EXPECT_FALSE(NeedsPerUserNotice({L"", L"me", L""}, L"me"));
    EXPECT_TRUE(NeedsPerUserNotice({L"me", L"you"}, L"me"));
    EXPECT_TRUE(NeedsPerUserNotice({L"Me"}, L"me")) << "names compare exactly";
}

TEST(MigrationDecision, OnlyAStrictlyNewerOldFileIsMigrated) {
    EXPECT_EQ(DecideMigration({std::nullopt, std::nullopt}), MigrationStart::NothingToMigrate);
    EXPECT_EQ(DecideMigration({std::nullopt, 5}), MigrationStart::NothingToMigrate);
    EXPECT_EQ(DecideMigration({5, std::nullopt}), MigrationStart::Migrate);
    EXPECT_EQ(DecideMigration({5, 4}), MigrationStart::Migrate);
    EXPECT_EQ(DecideMigration({5, 5}), MigrationStart::AlreadyMigrated);
    EXPECT_EQ(DecideMigration({5, 6}), MigrationStart::AlreadyMigrated);
}

TEST(MigrationDecision, SlotCountStaysWithinTheTable) {
    EXPECT_EQ(MigratedSlotCount(3), 3);
    EXPECT_EQ(MigratedSlotCount(5), 5);
    EXPECT_EQ(MigratedSlotCount(6), 5);
    EXPECT_EQ(MigratedSlotCount(2147483647), 5);
    EXPECT_EQ(MigratedSlotCount(0), 0);
    EXPECT_EQ(MigratedSlotCount(-3), 0);
}

TEST(Migration, WithoutAnOldFileNothingHappens) {
    FakeHost host;
    host.Put(kNewMain, 10);
    EXPECT_FALSE(RunMigration(host));
    EXPECT_TRUE(host.createdFolders.empty());
    EXPECT_TRUE(host.copies.empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST(Migration, ThreeEnvironmentsAreCopiedAndSetAside) {
    FakeHost host;
    host.Put(kOldMain, 10, {{L"IniMax", L"3"}, {L"IniUserName1", L"me"}});
    host.Put(L"D:\\Tools\\tiledex2.ini", 11);
    host.Put(L"D:\\Tools\\tiledex3.ini", 12);
    host.Put(L"D:\\Tools\\tiledex4.ini", 13);      // beyond IniMax: left alone
    host.Put(L"D:\\Tools\\tiledex2.ini.old", 1);  // from an earlier attempt: replaced

    EXPECT_TRUE(RunMigration(host));
    EXPECT_EQ(host.createdFolders, std::vector<std::wstring>{kFolder});
    EXPECT_TRUE(host.Has(kNewMain));
    EXPECT_TRUE(host.Has(kFolder + L"\\tiledex2.ini"));
    EXPECT_TRUE(host.Has(kFolder + L"\\tiledex3.ini"));
    EXPECT_FALSE(host.Has(kFolder + L"\\tiledex4.ini"));
    for (const wchar_t* old : {L"D:\\Tools\\Tiledex.INI", L"D:\\Tools\\tiledex2.ini",
                               L"D:\\Tools\\tiledex3.ini"}) {
        EXPECT_FALSE(host.Has(old));
        EXPECT_TRUE(host.Has(std::wstring(old) + L".old"));
    }
    EXPECT_EQ(host.files[L"D:\\Tools\\tiledex2.ini.old"].time, 11);
    EXPECT_TRUE(host.Has(L"D:\\Tools\\tiledex4.ini"));
    EXPECT_EQ(host.messages, std::vector<std::wstring>{kMovedLine});

    // The old files now carry ".old": the next start finds nothing to do.
    EXPECT_FALSE(RunMigration(host));
    EXPECT_EQ(host.messages.size(), 1u);
}

TEST(Migration, NoticeForAnotherUserWithinIniMaxOnly) {
    FakeHost host;
    host.Put(kOldMain, 10, {{L"IniMax", L"2"}, {L"IniUserName2", L"other"}});
    EXPECT_TRUE(RunMigration(host));
    EXPECT_EQ(host.messages, std::vector<std::wstring>{kMovedLine + kNotice});

    FakeHost beyond;
    beyond.Put(kOldMain, 10, {{L"IniMax", L"2"}, {L"IniUserName3", L"other"}});
    EXPECT_TRUE(RunMigration(beyond));
    EXPECT_EQ(beyond.messages, std::vector<std::wstring>{kMovedLine});
}

TEST(Migration, AProgramAtADriveRootFindsItsFilesThere) {
    FakeHost host;
    host.exe = L"D:\\Tiledex.exe";
    host.Put(L"D:\\Tiledex.INI", 10, {{L"IniMax", L"2"}});
    host.Put(L"D:\\tiledex2.ini", 10);
    EXPECT_TRUE(RunMigration(host));
    EXPECT_TRUE(host.Has(kFolder + L"\\tiledex2.ini"));
    EXPECT_TRUE(host.Has(L"D:\\tiledex2.ini.old"));
}

TEST(Migration, AFailedFirstCopyStopsEverything) {
    FakeHost host;
    host.Put(kOldMain, 10, {{L"IniMax", L"2"}});
    host.Put(L"D:\\Tools\\tiledex2.ini", 10);
    host.failCopy.insert(kOldMain);
    EXPECT_FALSE(RunMigration(host));
    EXPECT_TRUE(host.Has(kOldMain));
    EXPECT_TRUE(host.Has(L"D:\\Tools\\tiledex2.ini"));
    EXPECT_TRUE(host.copies.empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST(Migration, AFailedLaterCopyLeavesThatFileAndGoesOn) {
    FakeHost host;
    host.Put(kOldMain, 10, {{L"IniMax", L"3"}});
    host.Put(L"D:\\Tools\\tiledex3.ini", 10);  // tiledex2.ini is missing
    EXPECT_TRUE(RunMigration(host));
    EXPECT_TRUE(host.Has(kFolder + L"\\tiledex3.ini"));
    EXPECT_TRUE(host.Has(L"D:\\Tools\\tiledex3.ini.old"));
    EXPECT_EQ(host.messages.size(), 1u);
}

TEST(Migration, AnOlderPerUserFileIsOverwritten) {
    FakeHost host;
    host.Put(kNewMain, 5, {{L"VkKey", L"1"}});
    host.Put(kOldMain, 10, {{L"VkKey", L"2"}});
    EXPECT_TRUE(RunMigration(host));
    EXPECT_EQ(host.files[kNewMain].option[L"VkKey"], L"2");
}

TEST(Migration, AnOldFileThatCannotBeSetAsideIsNotCopiedAgain) {
    FakeHost host;
    host.Put(kOldMain, 10, {{L"VkKey", L"2"}});
    host.failRename.insert(kOldMain);
    EXPECT_TRUE(RunMigration(host));
    EXPECT_TRUE(host.Has(kOldMain));
    ASSERT_EQ(host.messages.size(), 1u);

    // Next start: the copy is as old as the original; nothing is copied or shown.
    EXPECT_FALSE(RunMigration(host));
    EXPECT_EQ(host.copies.size(), 1u);
    EXPECT_EQ(host.messages.size(), 1u);

    // The user changes a setting: the newer per-user file is kept.
    host.files[kNewMain].time = 20;
    host.files[kNewMain].option[L"VkKey"] = L"3";
    EXPECT_FALSE(RunMigration(host));
    EXPECT_EQ(host.files[kNewMain].option[L"VkKey"], L"3");

    // Only an old file changed after that is newer and is migrated again.
    host.files[kOldMain].time = 30;
    EXPECT_TRUE(RunMigration(host));
    EXPECT_EQ(host.files[kNewMain].option[L"VkKey"], L"2");
}

TEST(Migration, ADamagedIniMaxStaysWithinFiveSlots) {
    FakeHost host;
    host.Put(kOldMain, 10, {{L"IniMax", L"2147483647"}, {L"IniUserName6", L"other"}});
    for (int i = 2; i <= 7; ++i) host.Put(L"D:\\Tools\\tiledex" + std::to_wstring(i) + L".ini", 10);
    EXPECT_TRUE(RunMigration(host));
    EXPECT_EQ(host.copies.size(), 5u);  // the main file and 2 to 5
    EXPECT_TRUE(host.Has(L"D:\\Tools\\tiledex6.ini"));
    EXPECT_EQ(host.messages, std::vector<std::wstring>{kMovedLine});

    FakeHost none;
    none.Put(kOldMain, 10, {{L"IniMax", L"-1"}, {L"IniUserName1", L"other"}});
    EXPECT_TRUE(RunMigration(none));
    EXPECT_EQ(none.messages, std::vector<std::wstring>{kMovedLine});
}

}  // namespace
}  // namespace tdx
