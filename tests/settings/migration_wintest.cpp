#include "settings/migration_win.h"

#include <gtest/gtest.h>

#include <future>

#include "settings/settings_folder_win.h"
#include "settings/temp_settings_win.h"
#include "winbase/unique_handle.h"

namespace tdx {
namespace {

using test::IsFile;
using test::IsFolder;
using test::ReadBytes;
using test::WriteBytes;

const std::wstring kNotice =
    L"\r\n設定ファイルはログインユーザー毎に持つようになりましたので、"
    L"\r\n異なるログインユーザーの設定は、そのユーザー名でログインした後で"
    L"\r\n再度設定しなおしてください。";

// Shift-JIS bytes of a file in the older layout, naming its environments' users.
std::string OldMainFile(int iniMax, const std::string& userName2) {
    return "[Option]\r\nVkKey=75\r\nIniNo=1\r\nIniMax=" + std::to_string(iniMax) +
           "\r\nIniName1=\x8a\xc2\x8b\xab" "1\r\nIniUserName2=" + userName2 + "\r\n";
}

std::string Narrow(const std::wstring& text) {
    std::string out(text.size() * 2 + 1, '\0');
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                        out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? n : 0);
    return out;
}

void SetWriteTime(const std::wstring& file, const FILETIME& time) {
    UniqueFile h(::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(h);
    ASSERT_TRUE(::SetFileTime(h.get(), nullptr, nullptr, &time));
}

// Waits for the program's information box, reads its text and presses OK.
std::wstring CloseInformationBox() {
    for (int attempt = 0; attempt < 600; ++attempt) {
        HWND box = ::FindWindowW(L"#32770", L"tiledex");
        if (box && ::IsWindowVisible(box)) {
            wchar_t text[4096] = {};
            ::GetDlgItemTextW(box, 0xFFFF, text, 4096);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            return text;
        }
        ::Sleep(50);
    }
    return L"<no message box>";
}

class MigrationTest : public test::TempSettingsTest {
protected:
    void SetUp() override {
        TempSettingsTest::SetUp();
        programFolder_ = root_ + L"\\Program";
        ASSERT_TRUE(::CreateDirectoryW(programFolder_.c_str(), nullptr));
        seams_.executablePath = programFolder_ + L"\\Tiledex.exe";
        seams_.showMessage = [this](const std::wstring& text) { messages_.push_back(text); };
    }
    std::wstring Old(const std::wstring& name) const { return programFolder_ + L"\\" + name; }
    std::wstring New(const std::wstring& name) const { return SettingsFolderPath() + L"\\" + name; }
    std::wstring MovedLine() const {
        return L"設定ファイルを " + SettingsFolderPath() + L" に移動しました。";
    }

    std::wstring programFolder_;
    MigrationSeams seams_;
    std::vector<std::wstring> messages_;
};

TEST_F(MigrationTest, ThreeEnvironmentsMoveWithOneRealMessageBox) {
    const std::string main = OldMainFile(3, Narrow(LoginUserName()));
    WriteBytes(Old(L"Tiledex.INI"), main);
    WriteBytes(Old(L"tiledex2.ini"), "[Option]\r\nColMax=9\r\n");
    WriteBytes(Old(L"tiledex3.ini"), "[Option]\r\nColMax=10\r\n");
    WriteBytes(Old(L"tiledex4.ini"), "[Option]\r\nColMax=11\r\n");

    MigrationSeams real;  // the real box this time
    real.executablePath = seams_.executablePath;
    auto boxText = std::async(std::launch::async, CloseInformationBox);
    EXPECT_TRUE(MigrateOldSettings(real));
    EXPECT_EQ(boxText.get(), MovedLine()) << "the same login user needs no notice";
    EXPECT_EQ(::FindWindowW(L"#32770", L"tiledex"), nullptr) << "one box only";

    EXPECT_EQ(ReadBytes(New(L"tiledex.ini")), main);
    EXPECT_EQ(ReadBytes(New(L"tiledex2.ini")), "[Option]\r\nColMax=9\r\n");
    EXPECT_EQ(ReadBytes(New(L"tiledex3.ini")), "[Option]\r\nColMax=10\r\n");
    EXPECT_FALSE(IsFile(New(L"tiledex4.ini")));
    for (const wchar_t* name : {L"Tiledex.INI", L"tiledex2.ini", L"tiledex3.ini"}) {
        EXPECT_FALSE(IsFile(Old(name))) << name;
        EXPECT_TRUE(IsFile(Old(name) + L".old")) << name;
    }
    EXPECT_TRUE(IsFile(Old(L"tiledex4.ini")));

    // The old files carry ".old" now: the next start does nothing.
    EXPECT_FALSE(MigrateOldSettings(seams_));
    EXPECT_TRUE(messages_.empty());
}

TEST_F(MigrationTest, AnotherLoginUserGetsTheNotice) {
    WriteBytes(Old(L"Tiledex.INI"), OldMainFile(2, "someone-else"));
    EXPECT_TRUE(MigrateOldSettings(seams_));
    EXPECT_EQ(messages_, std::vector<std::wstring>{MovedLine() + kNotice});
    // tiledex2.ini was missing beside the program: nothing for it, no failure.
    EXPECT_FALSE(IsFile(New(L"tiledex2.ini")));
}

TEST_F(MigrationTest, WithoutAnOldFileNothingHappens) {
    EXPECT_FALSE(MigrateOldSettings(seams_));
    EXPECT_TRUE(messages_.empty());
    EXPECT_FALSE(IsFolder(root_ + L"\\AppData"));
}

TEST_F(MigrationTest, AnOlderPerUserFileIsReplaced) {
    WriteBytes(Old(L"Tiledex.INI"), OldMainFile(1, ""));
    WriteBytes(SettingsFileName(1), "[Option]\r\nVkKey=80\r\n");
    SetWriteTime(SettingsFileName(1), FILETIME{0, 0x01000000});  // long ago
    EXPECT_TRUE(MigrateOldSettings(seams_));
    EXPECT_EQ(ReadBytes(SettingsFileName(1)), OldMainFile(1, ""));
}

TEST_F(MigrationTest, AnOldFileThatStaysIsNotCopiedAgain) {
    const std::wstring oldMain = Old(L"Tiledex.INI");
    WriteBytes(oldMain, OldMainFile(1, ""));
    {
        // Readable but not renamable, like a file in a read-only program folder.
        UniqueFile held(::CreateFileW(oldMain.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_TRUE(MigrateOldSettings(seams_));
    }
    ASSERT_TRUE(IsFile(oldMain));
    ASSERT_EQ(messages_.size(), 1u);

    // Later starts keep the per-user file, unchanged or changed by the user.
    EXPECT_FALSE(MigrateOldSettings(seams_));
    OptionSet options;
    options.VkKey = 80;
    WriteOptions(1, options);
    const std::string changed = ReadBytes(SettingsFileName(1));
    EXPECT_FALSE(MigrateOldSettings(seams_));
    EXPECT_EQ(ReadBytes(SettingsFileName(1)), changed);
    EXPECT_EQ(messages_.size(), 1u);
}

}  // namespace
}  // namespace tdx
