// The owner of the settings in force: a commit stores first and changes
// nothing when storing fails, an entry edit lands on the entry wherever it
// went, and the observers see the new state before the old is freed.
#include "settings/program_settings.h"

#include <gtest/gtest.h>

#include "settings/item_test_context.h"

namespace tdx {
namespace {

using test::ItemTestContext;

LaunchItem Entry(const wchar_t* title) {
    LaunchItem item;
    item.Title = title;
    item.ExeFileName = std::wstring(L"C:\\") + title + L".exe";
    return item;
}

std::vector<std::wstring> Titles(const ItemList& items) {
    std::vector<std::wstring> titles;
    for (const LaunchItem& item : items) titles.push_back(item.Title);
    return titles;
}

class ProgramSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings.SetContext(fake.Make());
        SettingsEdit start;
        start.Programs = ItemList{Entry(L"A"), Entry(L"B")};
        for (LaunchItem& item : *start.Programs) item.Icon = fake.NewIcon();
        ASSERT_EQ(settings.Commit(start), CommitResult::Stored);
    }
    std::vector<std::wstring> StoredPrograms() { return Titles(ReadItemSection(fake.File(1), kProgramSection)); }

    ItemTestContext fake;
    ProgramSettings settings;
};

TEST_F(ProgramSettingsTest, AFailedCommitChangesNothingAndLeavesTheCopyWithTheCaller) {
    int told = 0;
    settings.Subscribe([&](const SettingsChange& change) {
        ++told;
        EXPECT_TRUE(change.Lists && change.Options);
        EXPECT_EQ(Titles(settings.Programs()), (std::vector<std::wstring>{L"B", L"A"}));
        EXPECT_EQ(fake.doubleDestroys, 0) << "the old list is freed only after the observers";
    });
    const std::uint64_t revision = settings.Revision();
    SettingsEdit edit;
    edit.BasedOn = revision;
    edit.Options = settings.Options();
    edit.Options->ColMax = 4;
    edit.Programs = settings.CopyList(kProgramTray);
    std::swap((*edit.Programs)[0], (*edit.Programs)[1]);

    fake.unwritableFiles.insert(1);
    EXPECT_THROW(settings.Commit(edit), SettingsWriteError);
    EXPECT_EQ(settings.Revision(), revision);
    EXPECT_EQ(Titles(settings.Programs()), (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_EQ(settings.Options().ColMax, 7);
    ASSERT_TRUE(edit.Programs.has_value()) << "the copy is still the caller's";
    EXPECT_EQ(told, 0);

    fake.unwritableFiles.clear();
    fake.File(1).failCommit = false;
    ASSERT_EQ(settings.Commit(edit), CommitResult::Stored);
    EXPECT_FALSE(edit.Programs.has_value()) << "taken over";
    EXPECT_EQ(told, 1);
    EXPECT_EQ(StoredPrograms(), (std::vector<std::wstring>{L"B", L"A"}));
    EXPECT_EQ(settings.Options().ColMax, 4);
    // The same copy again is older than the commit it made: refused.
    edit.Programs = settings.CopyList(kProgramTray);
    EXPECT_EQ(settings.Commit(edit), CommitResult::Stale);
    FreeItemList(settings.Context(), *edit.Programs, true);
    settings.Clear();
    EXPECT_TRUE(fake.liveIcons.empty()) << "every icon freed once";
    EXPECT_EQ(fake.doubleDestroys, 0);
}

TEST_F(ProgramSettingsTest, AnEntryEditFindsItsEntryAgainOrIsRefused) {
    EntryEdit edit;
    edit.List = kProgramTray;
    edit.Index = 0;
    edit.Recorded = settings.Programs()[0];
    edit.Edited = edit.Recorded;
    edit.Edited.Title = L"A2";
    edit.Edited.IconFileName = L"C:\\A.ico";

    // B was edited meanwhile and sits before A now: A is still found.
    SettingsEdit reorder;
    reorder.BasedOn = settings.Revision();
    reorder.Programs = settings.CopyList(kProgramTray);
    std::swap((*reorder.Programs)[0], (*reorder.Programs)[1]);
    ASSERT_EQ(settings.Commit(reorder), CommitResult::Stored);
    edit.Recorded = settings.Programs()[1];
    EXPECT_EQ(settings.CommitEntry(edit), CommitResult::Stored);
    EXPECT_EQ(Titles(settings.Programs()), (std::vector<std::wstring>{L"B", L"A2"}));
    EXPECT_EQ(StoredPrograms(), (std::vector<std::wstring>{L"B", L"A2"}));
    EXPECT_EQ(settings.Programs()[1].IconFileName, L"C:\\A.ico");

    // The same edit again: the entry as it was recorded is gone.
    EXPECT_EQ(settings.CommitEntry(edit), CommitResult::Stale);
    EXPECT_EQ(StoredPrograms(), (std::vector<std::wstring>{L"B", L"A2"}));
}

TEST(ProgramSettingsLoad, TheListsComeWithTheFallbackIconAndTheirIconsAfter) {
    ItemTestContext fake;
    fake.File(1).Set(L"Program", L"Title0", L"A");
    fake.File(1).Set(L"Program", L"ExeFileName0", L"C:\\A.exe");
    ProgramSettings settings;
    settings.SetContext(fake.Make());
    settings.Load([](const std::function<void()>& step) { step(); });
    ASSERT_EQ(Titles(settings.Programs()), (std::vector<std::wstring>{L"A"}));
    // Nothing is extracted before the hotkey and the notification icon are up.
    EXPECT_EQ(settings.Programs()[0].Icon, fake.applicationIcon);
    const std::vector<IconRequest> pending = settings.PendingIcons();
    ASSERT_FALSE(pending.empty());
    EXPECT_EQ(pending[0].list, kProgramTray);
    EXPECT_TRUE(settings.TakeLoadedIcon(pending[0], fake.NewIcon()));
    EXPECT_NE(settings.Programs()[0].Icon, fake.applicationIcon);
}

}  // namespace
}  // namespace tdx
