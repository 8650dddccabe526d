#include "settings/profile_file_win.h"

#include <gtest/gtest.h>

#include "settings/ini_values.h"
#include "settings/item_lists.h"
#include "settings/options_io.h"
#include "settings/settings_folder_win.h"
#include "settings/temp_settings_win.h"
#include "winbase/unique_handle.h"

namespace tdx {
namespace {

using test::FilesIn;
using test::IsFile;
using test::IsFolder;
using test::ReadBytes;
using test::WriteBytes;

class ProfileFileTest : public test::TempSettingsTest {};

TEST_F(ProfileFileTest, SettingsFileNameCreatesTheFolderAndItsParents) {
    ASSERT_FALSE(IsFolder(root_ + L"\\AppData"));
    EXPECT_EQ(SettingsBaseFolder(), appData_);
    EXPECT_EQ(SettingsFileName(1), SettingsFolderPath() + L"\\tiledex.ini");
    EXPECT_TRUE(IsFolder(SettingsFolderPath()));
    EXPECT_EQ(SettingsFileName(2), SettingsFolderPath() + L"\\tiledex2.ini");
    EXPECT_EQ(SettingsFileName(10), SettingsFolderPath() + L"\\tiledex10.ini");
    EXPECT_TRUE(FilesIn(SettingsFolderPath()).empty()) << "naming a file does not create it";

    // Created again on every call, for example after the user removed it.
    test::DeleteTree(root_ + L"\\AppData");
    SettingsFileName(1);
    EXPECT_TRUE(IsFolder(SettingsFolderPath()));
}

TEST_F(ProfileFileTest, MissingAndEmptyFilesGiveTheDefaults) {
    OptionSet options;
    options.ColMax = 99;
    options.KeyOnlyFlag = true;
    ReadOptions(1, options);
    EXPECT_EQ(options, OptionSet{});

    WriteBytes(SettingsFileName(1), "");
    options.VkKey = 1;
    ReadOptions(1, options);
    EXPECT_EQ(options, OptionSet{});
}

TEST_F(ProfileFileTest, OptionsAreStoredInOrderAndReadBack) {
    WriteOptions(1, OptionSet{});
    const std::string bytes = ReadBytes(SettingsFileName(1));
    EXPECT_EQ(bytes.rfind("[Option]\r\nVkKey=74\r\nVkMod=3\r\nMouseFlag=1\r\nColMax=7\r\n", 0), 0u)
        << bytes;
    EXPECT_NE(bytes.find("\r\nBackColor=-2147483646\r\nTextColor=-2147483639\r\n"),
              std::string::npos)
        << bytes;

    OptionSet changed;
    changed.ColMax = 12;
    changed.MousePositionFlag = -1;
    changed.TextColor = 0x00FF8000u;
    changed.KeyNumberFlag = true;
    WriteOptions(2, changed);
    OptionSet read;
    ReadOptions(2, read);
    EXPECT_EQ(read, changed);
}

TEST_F(ProfileFileTest, KeysTellMissingFromEmptyAndLongValuesAreCut) {
    const std::wstring file = SettingsFileName(1);
    WriteBytes(file, "[Program]\r\nEmpty=\r\nLong=" + std::string(3000, 'x') + "\r\n");
    ProfileFile profile(file);
    EXPECT_EQ(profile.ReadString(L"Program", L"Empty"), L"");
    EXPECT_FALSE(profile.ReadString(L"Program", L"Missing").has_value());
    EXPECT_FALSE(profile.ReadString(L"Nowhere", L"Empty").has_value());
    const auto text = ReadText(profile, L"Program", L"Long");
    EXPECT_GT(text.size(), 1000u);
    EXPECT_LE(text.size(), kMaxStringValue);
}

TEST_F(ProfileFileTest, QuotedValuesComeBackWithTheirQuotes) {
    const std::wstring file = SettingsFileName(1);
    ProfileTransaction writer(file);
    WriteText(writer, L"Program", L"ArgumentName0", L"\"C:\\My Files\\a b.txt\"");
    WriteText(writer, L"Program", L"ArgumentName1", L"'single'");
    WriteText(writer, L"Program", L"ArgumentName2", L"\"open -x");
    WriteText(writer, L"Program", L"ArgumentName3", L"\"\"");
    writer.Commit();
    ProfileFile reader(file);
    EXPECT_EQ(reader.ReadString(L"Program", L"ArgumentName0"), L"\"C:\\My Files\\a b.txt\"");
    EXPECT_EQ(reader.ReadString(L"Program", L"ArgumentName1"), L"'single'");
    EXPECT_EQ(reader.ReadString(L"Program", L"ArgumentName2"), L"\"open -x");
    EXPECT_EQ(reader.ReadString(L"Program", L"ArgumentName3"), L"\"\"");
}

// Values the file once lost or changed: blank titles and blank-edged values,
// quoted paths, text outside the system code page. Run under code page 932 and,
// by its own ctest entry, 1252 (TDX_EXPECT_ACP names the one expected).
TEST_F(ProfileFileTest, HostileValuesComeBackExactlyInEitherCodePage) {
    wchar_t expected[16] = {};
    if (::GetEnvironmentVariableW(L"TDX_EXPECT_ACP", expected, 16)) {
        ASSERT_EQ(std::to_wstring(::GetACP()), expected);
    }

    const struct {
        const wchar_t* title;
        const wchar_t* exe;
        const wchar_t* argument;
    } rows[] = {
        {L"   ", L"C:\\windows\\notepad.exe", L"  -x  "},
        {L"\tedged ", L"\"C:\\My Tools\\app.exe\"", L"\"a b.txt\""},
        {L"Windows の終了", L"C:\\café\\résumé.doc", L"-- \t"},
        {L"한국어 中文", L"C:\\데이터\\报告.txt", L""},
        {L"last", L"C:\\plain.exe", L"plain"},
    };
    ItemList items;
    for (const auto& row : rows) {
        LaunchItem item;
        item.Title = row.title;
        item.ExeFileName = row.exe;
        item.ArgumentName = row.argument;
        items.push_back(item);
    }
    const std::wstring file = SettingsFileName(1);
    ProfileTransaction writer(file);
    WriteItemSection(writer, L"Program", items);
    writer.Commit();
    const std::vector<LaunchItem> back = ReadItemSection(ProfileFile(file), L"Program");
    ASSERT_EQ(back.size(), std::size(rows));
    for (std::size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].Title, rows[i].title) << i;
        EXPECT_EQ(back[i].ExeFileName, rows[i].exe) << i;
        EXPECT_EQ(back[i].ArgumentName, rows[i].argument) << i;
    }
    EXPECT_EQ(ReadBytes(file).rfind("\xFF\xFE", 0), 0u) << "kept in UTF-16";

    // An empty title would end the list there: the entries after it stay.
    items[1].Title.clear();
    ProfileTransaction again(SettingsFileName(2));
    WriteItemSection(again, L"Program", items);
    again.Commit();
    EXPECT_EQ(ReadItemSection(ProfileFile(SettingsFileName(2)), L"Program").size(), std::size(rows));

    // Text that fits leaves the file in the code page.
    ProfileTransaction plain(SettingsFileName(3));
    WriteText(plain, L"Program", L"Title0", L"  plain  ");
    plain.Commit();
    EXPECT_EQ(ReadBytes(SettingsFileName(3)), "[Program]\r\nTitle0=\"  plain  \"\r\n");
}

TEST_F(ProfileFileTest, JapaneseTextIsStoredAsShiftJis) {
    const std::wstring file = SettingsFileName(1);
    ProfileTransaction writer(file);
    WriteText(writer, L"Program", L"Title0", L"メモ帳");
    WriteText(writer, L"Option", L"IniName1", L"環境1");
    writer.Commit();

    const std::string bytes = ReadBytes(file);
    EXPECT_NE(bytes.find("Title0=\x83\x81\x83\x82\x92\xa0\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("IniName1=\x8a\xc2\x8b\xab" "1\r\n"), std::string::npos) << bytes;
    ProfileFile reader(file);
    EXPECT_EQ(reader.ReadString(L"Program", L"Title0"), L"メモ帳");
    EXPECT_EQ(reader.ReadString(L"Option", L"IniName1"), L"環境1");
    EXPECT_TRUE(FilesIn(SettingsFolderPath()) == std::vector<std::wstring>{L"tiledex.ini"})
        << "no temporary file is left behind";
}

TEST_F(ProfileFileTest, OtherSectionsKeepTheirBytesAndErasingRemovesASection) {
    const std::wstring file = SettingsFileName(1);
    WriteBytes(file, "[Program]\r\nTitle0=\x83\x81\x83\x82\x92\xa0\r\n[System]\r\nCount=2\r\n");
    ProfileTransaction writer(file);
    writer.EraseSection(L"System");
    WriteInteger(writer, L"Option", L"ColMax", 9);
    writer.Commit();
    const std::string bytes = ReadBytes(file);
    EXPECT_EQ(bytes.rfind("[Program]\r\nTitle0=\x83\x81\x83\x82\x92\xa0\r\n", 0), 0u) << bytes;
    EXPECT_EQ(bytes.find("[System]"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("[Option]\r\nColMax=9\r\n"), std::string::npos) << bytes;

    // Erasing in a file that does not exist does not create it.
    ProfileTransaction eraser(SettingsFileName(3));
    eraser.EraseSection(L"Program");
    eraser.Commit();
    EXPECT_FALSE(IsFile(SettingsFileName(3)));
}

TEST_F(ProfileFileTest, AUtf16FileStaysUtf16) {
    const std::wstring file = SettingsFileName(1);
    const std::wstring text = L"[Option]\r\nVkKey=75\r\nIniName1=環境\r\n";
    WriteBytes(file, std::string("\xff\xfe") +
                         std::string(reinterpret_cast<const char*>(text.data()),
                                     text.size() * sizeof(wchar_t)));
    OptionSet options;
    ReadOptions(1, options);
    EXPECT_EQ(options.VkKey, 75);

    ProfileTransaction writer(file);
    WriteText(writer, L"Program", L"Title0", L"メモ帳");
    writer.Commit();

    const std::string bytes = ReadBytes(file);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xff\xfe");
    const std::wstring stored(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                              (bytes.size() - 2) / sizeof(wchar_t));
    EXPECT_NE(stored.find(L"IniName1=環境\r\n"), std::wstring::npos);
    EXPECT_NE(stored.find(L"Title0=メモ帳\r\n"), std::wstring::npos);
    EXPECT_EQ(ProfileFile(file).ReadString(L"Program", L"Title0"), L"メモ帳");
}

// The bytes of a stored file that every failed write must leave alone.
const std::string kStored = "[Option]\r\nVkKey=75\r\nIniName1=\x8a\xc2\x8b\xab\r\n";

void ExpectWriteRefused(const std::wstring& file) {
    OptionSet options;
    options.ColMax = 11;
    ProfileTransaction writer(file);
    WriteOptions(writer, options);
    try {
        writer.Commit();
        ADD_FAILURE() << "the write was not refused";
    } catch (const SettingsWriteError& error) {
        EXPECT_EQ(error.FileName(), file);
        EXPECT_EQ(error.Message(), file + L" に書き込めません");
    }
}

TEST_F(ProfileFileTest, AFolderInPlaceOfTheFileRefusesTheWrite) {
    const std::wstring file = SettingsFileName(1);
    ASSERT_TRUE(::CreateDirectoryW(file.c_str(), nullptr));
    ExpectWriteRefused(file);
    EXPECT_THROW(WriteOptions(1, OptionSet{}), SettingsWriteError);
    EXPECT_TRUE(IsFolder(file));
    EXPECT_EQ(FilesIn(SettingsFolderPath()), std::vector<std::wstring>{L"tiledex.ini"});
}

TEST_F(ProfileFileTest, AFileHeldOpenIsLeftByteForByte) {
    const std::wstring file = SettingsFileName(1);
    WriteBytes(file, kStored);
    {
        UniqueFile held(::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
        ASSERT_TRUE(held);
        ExpectWriteRefused(file);
    }
    EXPECT_EQ(ReadBytes(file), kStored);
    EXPECT_EQ(FilesIn(SettingsFolderPath()), std::vector<std::wstring>{L"tiledex.ini"});

    // Refused changes are dropped: a later commit does not carry them.
    ProfileTransaction writer(file);
    WriteOptions(writer, OptionSet{});
    {
        UniqueFile held(::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
        EXPECT_THROW(writer.Commit(), SettingsWriteError);
    }
    writer.Commit();
    EXPECT_EQ(ReadBytes(file), kStored);
}

TEST_F(ProfileFileTest, AReadOnlyFileOrAMissingFolderRefusesTheWrite) {
    const std::wstring file = SettingsFileName(1);
    WriteBytes(file, kStored);
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectWriteRefused(file);
    EXPECT_EQ(ReadBytes(file), kStored);

    ExpectWriteRefused(root_ + L"\\no such folder\\tiledex.ini");
    EXPECT_FALSE(IsFolder(root_ + L"\\no such folder"));
}

}  // namespace
}  // namespace tdx
