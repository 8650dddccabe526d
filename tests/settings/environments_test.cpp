// The environment table in file 1 and the files of the environments.
#include "settings/environments.h"

#include <gtest/gtest.h>

#include "settings/item_test_context.h"
#include "settings/system_items.h"

namespace tdx {
namespace {

using test::ItemTestContext;

class EnvironmentTest : public ::testing::Test {
protected:
    ItemTestContext fake;
    ItemContext ctx = fake.Make();
    EnvironmentTable table;
    ItemList program, system;

    void TearDown() override {
        FreeItemList(ctx, program, true);
        FreeItemList(ctx, system, true);
        EXPECT_TRUE(fake.liveIcons.empty()) << "icons leaked";
    }
    void SetOption(const std::wstring& key, const std::wstring& value) {
        fake.File(1).Set(L"Option", key, value);
    }
};

TEST_F(EnvironmentTest, FreshInstallation) {
    ReadProgramItems(ctx, table, program, -1);
    EXPECT_EQ(table.IniNo, 1);
    EXPECT_EQ(table.IniMax, 1);
    EXPECT_EQ(table.Slot(1).IniName, L"環境1");
    EXPECT_EQ(table.Slot(1).IniOrder, 1);
    EXPECT_EQ(table.Slot(1).IniPopup, 0);
    EXPECT_EQ(table.Slot(1).IniUserName, L"");
    for (int s = 2; s <= 5; ++s) EXPECT_EQ(table.Slot(s).IniOrder, -1) << s;
    EXPECT_EQ(table.CurrentFileNumber(), 1);
    EXPECT_TRUE(program.empty());
    EXPECT_EQ(fake.File(1).commits, 0);
}

TEST_F(EnvironmentTest, CurrentEnvironmentComesFromItsOwnFile) {
    SetOption(L"IniMax", L"2");
    SetOption(L"IniNo", L"2");
    SetOption(L"IniOrder2", L"3");
    SetOption(L"IniName2", L"仕事");
    fake.File(1).Set(L"Program", L"Title0", L"from file 1");
    fake.File(3).Set(L"Program", L"Title0", L"from file 3");

    ReadProgramItems(ctx, table, program, -1);
    ASSERT_EQ(program.size(), 1u);
    EXPECT_EQ(program[0].Title, L"from file 3");
    EXPECT_EQ(table.Slot(2).IniName, L"仕事");
    EXPECT_EQ(table.Slot(1).IniName, L"環境1");

    ReadSystemItems(ctx, system, table.CurrentFileNumber());
    EXPECT_EQ(fake.File(3).commits, 1);  // defaults written to tiledex3.ini
    EXPECT_EQ(fake.File(1).commits, 0);  // the table's file is left alone
    EXPECT_FALSE(fake.File(1).ReadString(L"System", L"Title0"));
}

TEST_F(EnvironmentTest, BrokenTableNeverLeavesTheFiveFiles) {
    struct Case {
        const wchar_t* iniNo;
        const wchar_t* iniMax;
        const wchar_t* order1;
        const wchar_t* order2;
        int expectedNo, expectedMax, expectedFile;
    } cases[] = {
        {L"7", L"2", L"1", L"2", 1, 2, 1},     // IniNo beyond the table
        {L"0", L"2", L"1", L"2", 1, 2, 1},     // IniNo below it
        {L"3", L"2", L"1", L"2", 1, 2, 1},     // IniNo beyond IniMax
        {L"2", L"2", L"4", L"9", 1, 2, 4},     // slot 2's file out of range: slot 1's file
        {L"2", L"2", L"0", L"-1", 1, 2, 1},    // slot 1's file broken too: file 1
        {L"2", L"9", L"1", L"2", 2, 5, 2},     // IniMax beyond five slots
        {L"1", L"-3", L"5", L"2", 1, 1, 5},    // IniMax below one
        {L"x", L"y", L"2", L"2", 1, 1, 2},     // not numbers at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "IniNo=" << c.iniNo << " IniMax=" << c.iniMax);
        fake.files.clear();
        SetOption(L"IniNo", c.iniNo);
        SetOption(L"IniMax", c.iniMax);
        SetOption(L"IniOrder1", c.order1);
        SetOption(L"IniOrder2", c.order2);
        EnvironmentTable t;
        ReadProgramItems(ctx, t, program, -1);
        EXPECT_EQ(t.IniNo, c.expectedNo);
        EXPECT_EQ(t.IniMax, c.expectedMax);
        EXPECT_EQ(t.CurrentFileNumber(), c.expectedFile);
        for (int s = 0; s <= 7; ++s) {
            const int f = t.FileNumberOfSlot(s);
            EXPECT_TRUE(f >= 1 && f <= 5) << "slot " << s << " -> file " << f;
        }
        for (const auto& [number, file] : fake.files) EXPECT_TRUE(number >= 1 && number <= 5);
    }
}

TEST_F(EnvironmentTest, SlotsBeyondIniMaxLoseOnlyTheirFile) {
    table.Slot(3).IniName = L"kept";
    table.Slot(3).IniPopup = 1;
    table.Slot(3).IniOrder = 3;
    table.IniMax = 2;
    SetOption(L"IniName3", L"stored");
    ReadEnvironments(fake.File(1), table);
    EXPECT_EQ(table.Slot(3).IniOrder, -1);
    EXPECT_EQ(table.Slot(3).IniName, L"kept");
    EXPECT_EQ(table.Slot(3).IniPopup, 1);
    EXPECT_EQ(table.Slot(2).IniName, L"環境2");
    EXPECT_EQ(table.Slot(2).IniOrder, 2);
    EXPECT_THROW(table.Slot(6), std::out_of_range);
    EXPECT_THROW(table.Slot(0), std::out_of_range);
}

TEST_F(EnvironmentTest, WriteEnvironmentsStoresAllFiveSlotsButNeverUserNames) {
    SetOption(L"IniUserName1", L"taro");
    SetOption(L"IniMax", L"2");
    SetOption(L"IniOrder2", L"3");
    ReadEnvironmentTable(fake.File(1), table);
    table.Slot(2).IniPopup = 1;
    table.Slot(4).IniName = L"四";

    WriteEnvironments(ctx, table);
    EXPECT_EQ(fake.File(1).commits, 1);
    const auto& written = fake.File(1).writeOrder;
    EXPECT_EQ(written.size(), 15u);
    for (const auto& key : written) EXPECT_EQ(key.find(L"IniUserName"), std::wstring::npos);
    auto value = [&](const std::wstring& key) { return *fake.File(1).ReadString(L"Option", key); };
    EXPECT_EQ(value(L"IniOrder1"), L"1");
    EXPECT_EQ(value(L"IniOrder2"), L"3");
    for (int s = 3; s <= 5; ++s) EXPECT_EQ(value(L"IniOrder" + std::to_wstring(s)), L"-1");
    EXPECT_EQ(value(L"IniPopup2"), L"1");
    EXPECT_EQ(value(L"IniName4"), L"四");
    EXPECT_EQ(value(L"IniName1"), L"環境1");
    EXPECT_EQ(value(L"IniUserName1"), L"taro");
}

TEST_F(EnvironmentTest, CurrentEnvironmentKeysAndFailedWrites) {
    table.IniNo = 2;
    table.IniMax = 3;
    WriteCurrentEnvironment(ctx, table);
    EXPECT_EQ(fake.File(1).writeOrder, (std::vector<std::wstring>{L"IniNo", L"IniMax"}));
    EXPECT_EQ(*fake.File(1).ReadString(L"Option", L"IniNo"), L"2");

    fake.File(1).failCommit = true;
    table.IniNo = 3;
    EXPECT_THROW(WriteCurrentEnvironment(ctx, table), SettingsWriteError);
    EXPECT_THROW(WriteEnvironments(ctx, table), SettingsWriteError);
    EXPECT_EQ(*fake.File(1).ReadString(L"Option", L"IniNo"), L"2");
    EXPECT_FALSE(fake.File(1).ReadString(L"Option", L"IniName1"));
}

TEST_F(EnvironmentTest, NewEnvironmentFileHoldsDefaultsOnly) {
    fake.drives = (1u << 2) | (1u << 3);
    fake.File(2).Set(L"Program", L"Title0", L"stale");
    fake.File(2).Set(L"Stale", L"Key", L"1");
    fake.File(1).Set(L"Program", L"Title0", L"current");
    ReadProgramItems(ctx, table, program, 1);
    ReadSystemItems(ctx, system, 1);
    const auto systemBefore = system.size();
    const int opensBefore = fake.cdOpens, closesBefore = fake.cdCloses;

    InitEnvironmentFile(ctx, 2);
    EXPECT_EQ(fake.deletedFiles, std::set<int>{2});
    EXPECT_EQ(fake.File(2).commits, 1);
    EXPECT_EQ(fake.optionWrites, 1);
    const auto& sections = fake.File(2).Contents();
    EXPECT_EQ(sections.count(L"Stale"), 0u);
    EXPECT_FALSE(fake.File(2).ReadString(L"Program", L"Title0"));
    EXPECT_TRUE(fake.File(2).ReadString(L"Option", L"VkKey"));
    ItemList stored = ReadItemSection(fake.File(2), L"System");
    EXPECT_EQ(stored.size(), 12u);  // 10 defaults without the browser, and two drives
    EXPECT_EQ(stored[0].ExeFileName, L"MyComputer");

    // The current lists and the CD device are untouched.
    EXPECT_EQ(program.size(), 1u);
    EXPECT_EQ(system.size(), systemBefore);
    EXPECT_EQ(fake.cdOpens, opensBefore);
    EXPECT_EQ(fake.cdCloses, closesBefore);

    EXPECT_THROW(InitEnvironmentFile(ctx, 0), std::out_of_range);
    EXPECT_THROW(InitEnvironmentFile(ctx, 6), std::out_of_range);
    EXPECT_EQ(fake.deletedFiles, std::set<int>{2});
}

TEST_F(EnvironmentTest, NewEnvironmentFileThatCannotBeWrittenReportsIt) {
    fake.unwritableFiles.insert(4);
    EXPECT_THROW(InitEnvironmentFile(ctx, 4), SettingsWriteError);
    EXPECT_TRUE(fake.File(4).Contents().empty());
}

}  // namespace
}  // namespace tdx
