// The environment dialogs as a user meets them: Add names a new environment
// after its file number, OK makes its file and stores the table; Delete and OK
// remove the file again; the current environment's settings stay loaded. A
// selected environment whose file is gone and a table that cannot be written
// leave the loaded environment current and every file of the table in place.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "dialogs/change_form.h"
#include "dialogs/select_form.h"
#include "support/tiledex_process_win.h"

namespace tdx::test {
namespace {

std::wstring ListLine(HWND list, int line) {
    wchar_t text[64]{};
    ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(EnvironmentDialog, AddAndDeleteAnEnvironmentWithItsFile) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    const auto folder = tiledex.SettingsFolder();
    const auto file1 = (folder / L"tiledex.ini").wstring();
    const auto stored = [&](const wchar_t* key) {
        ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, file1.c_str());
        return static_cast<int>(::GetPrivateProfileIntW(L"Option", key, -1, file1.c_str()));
    };
    const auto openSelect = [&] {
        ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 112, 0);  // 環境選択/設定(&S)...
        HWND dialog = nullptr;
        WaitUntil([&] {
            dialog = FindProcessWindow(L"TSelectForm", tiledex.ProcessId());
            return dialog && ::IsWindowVisible(dialog);
        });
        return dialog;
    };

    HWND select = openSelect();
    ASSERT_NE(select, nullptr);
    HWND list = ::GetDlgItem(select, kSetListBoxId);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(select, kDeleteButtonId))) << "the first stays";

    ::SendMessageW(::GetDlgItem(select, kAddButtonId), BM_CLICK, 0, 0);
    HWND change = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        change = FindProcessWindow(L"TChangeForm", tiledex.ProcessId());
        return change && ::IsWindowVisible(change);
    }));
    EXPECT_EQ(WindowText(change), L"環境の追加");
    // The inside of the group box shows the dialog's face, not black.
    RECT group{};
    ::GetWindowRect(::GetDlgItem(change, kChangeGroupBoxId), &group);
    const POINT inside{group.left + 6, group.bottom - 6};
    EXPECT_TRUE(WaitUntil([&] {
        return ScreenPixels::Capture(group).At(inside.x - group.left, inside.y - group.top) ==
               ::GetSysColor(COLOR_BTNFACE);
    }));
    wchar_t name[64]{};
    ::SendMessageW(::GetDlgItem(change, kChangeNameEditId), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(name));
    EXPECT_STREQ(name, L"環境2");
    ::SendMessageW(::GetDlgItem(change, kChangeNameEditId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"仕事"));
    ::SendMessageW(::GetDlgItem(change, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(list, LB_GETCOUNT, 0, 0) == 2; }));
    EXPECT_EQ(ListLine(list, 1), L"仕事");

    // OK with the new environment selected: its file is made and it becomes current.
    ::SendMessageW(::GetDlgItem(select, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(folder / L"tiledex2.ini"); }));
    EXPECT_TRUE(WaitUntil([&] { return stored(L"IniMax") == 2 && stored(L"IniNo") == 2; }));
    EXPECT_EQ(stored(L"IniOrder2"), 2);

    // Delete it again, with the first selected: OK removes its file.
    select = openSelect();
    ASSERT_NE(select, nullptr);
    list = ::GetDlgItem(select, kSetListBoxId);
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 1) << "the current environment is selected";
    ::SendMessageW(::GetDlgItem(select, kDeleteButtonId), BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
    ::SendMessageW(::GetDlgItem(select, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::exists(folder / L"tiledex2.ini"); }));
    EXPECT_TRUE(WaitUntil([&] { return stored(L"IniMax") == 1 && stored(L"IniNo") == 1; }));
    EXPECT_TRUE(tiledex.Running());
}

HWND OpenSelectDialog(TiledexProcess& tiledex) {
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 112, 0);  // 環境選択/設定(&S)...
    HWND dialog = nullptr;
    WaitUntil([&] {
        dialog = FindProcessWindow(L"TSelectForm", tiledex.ProcessId());
        return dialog && ::IsWindowVisible(dialog);
    });
    return dialog;
}

// The text of the one message box the program shows, which is then closed.
std::wstring DismissMessage(TiledexProcess& tiledex) {
    HWND box = nullptr;
    if (!WaitUntil([&] {
            box = FindProcessWindow(L"#32770", tiledex.ProcessId());
            return box && ::IsWindowVisible(box);
        }))
        return L"(no message)";
    HWND text = ::FindWindowExW(box, nullptr, L"Static", nullptr);
    while (text && WindowText(text).empty()) text = ::FindWindowExW(box, text, L"Static", nullptr);
    std::wstring message = text ? WindowText(text) : L"";
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !::IsWindow(box); });
    return message;
}

TEST(EnvironmentDialog, AMissingFileOrAnUnwritableTableLeavesTheLoadedEnvironment) {
    TiledexProcess tiledex;
    const auto folder = tiledex.SettingsFolder();
    const auto first = folder / L"tiledex.ini", second = folder / L"tiledex2.ini";
    WriteSettingsFile(first, "[Option]\r\nIniNo=1\r\nIniMax=2\r\nIniOrder1=1\r\nIniOrder2=2\r\n"
                             "IniPopup1=1\r\nIniPopup2=1\r\nIniName1=Home\r\nIniName2=Work\r\n");
    WriteSettingsFile(second, "[Option]\r\nVkKey=75\r\n");
    ASSERT_TRUE(tiledex.Start());
    const auto stored = [&](const wchar_t* key) {
        ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, first.c_str());
        return static_cast<int>(::GetPrivateProfileIntW(L"Option", key, -1, first.c_str()));
    };

    // The second environment's file goes away before it is chosen in the dialog.
    std::filesystem::remove(second);
    HWND select = OpenSelectDialog(tiledex);
    ASSERT_NE(select, nullptr);
    ::SendMessageW(::GetDlgItem(select, kSetListBoxId), LB_SETCURSEL, 1, 0);
    // Posted: the message box runs its own loop inside the click.
    ::PostMessageW(select, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(DismissMessage(tiledex), L"設定ファイルtiledex2.iniが見つかりません。");
    EXPECT_EQ(stored(L"IniNo"), 1);
    // Later writes still go to the loaded environment's file, never to the missing one.
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 110, 0);  // 各種設定(&O)...
    HWND options = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        options = FindProcessWindow(L"TOptionForm", tiledex.ProcessId());
        return options && ::IsWindowVisible(options);
    }));
    ::WritePrivateProfileStringW(L"Option", L"VkKey", nullptr, first.c_str());
    ::SendMessageW(::GetDlgItem(options, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return stored(L"VkKey") == 'J'; }));
    EXPECT_FALSE(std::filesystem::exists(second));

    // Deleting "Work" while the table cannot be written: the message, and its
    // file stays, since the stored table still names it.
    WriteSettingsFile(second, "[Option]\r\nVkKey=75\r\n");
    select = OpenSelectDialog(tiledex);
    ASSERT_NE(select, nullptr);
    ::SendMessageW(::GetDlgItem(select, kSetListBoxId), LB_SETCURSEL, 1, 0);
    ::SendMessageW(select, WM_COMMAND, MAKEWPARAM(kSetListBoxId, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(::GetDlgItem(select, kSetListBoxId)));
    ::SendMessageW(::GetDlgItem(select, kDeleteButtonId), BM_CLICK, 0, 0);
    {
        const HANDLE held = ::CreateFileW(first.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        ::PostMessageW(select, WM_COMMAND, IDOK, 0);
        EXPECT_NE(DismissMessage(tiledex), L"(no message)");
        ::CloseHandle(held);
    }
    EXPECT_EQ(stored(L"IniMax"), 2);
    EXPECT_EQ(stored(L"IniNo"), 1);
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_TRUE(tiledex.Running());
}

HWND WaitForShown(const wchar_t* className, const TiledexProcess& tiledex) {
    HWND window = nullptr;
    WaitUntil([&] {
        window = FindProcessWindow(className, tiledex.ProcessId());
        return window && ::IsWindowVisible(window);
    });
    return window;
}

std::wstring StoredText(const std::filesystem::path& file, const wchar_t* section, const wchar_t* key) {
    wchar_t text[128]{};
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    ::GetPrivateProfileStringW(section, key, L"(none)", text, 128, file.c_str());
    return text;
}

// Interleavings of the program's own windows that once deleted or overwrote an
// environment's settings: the name dialog outliving the edit it belonged to,
// and the lists of a deleted environment staying loaded.
TEST(EnvironmentDialog, InterleavedWindowsNeverLoseAnEnvironmentsSettings) {
    TiledexProcess tiledex;
    const auto folder = tiledex.SettingsFolder();
    const auto first = folder / L"tiledex.ini";
    WriteSettingsFile(first, "[Option]\r\nIniNo=1\r\nIniMax=1\r\nIniOrder1=1\r\nIniPopup1=1\r\n"
                             "IniName1=Home\r\nColMax=9\r\n[Program]\r\nTitle0=Home entry\r\n"
                             "ExeFileName0=C:\\windows\\notepad.exe\r\n");
    ASSERT_TRUE(tiledex.Start());

    // Add, and with the name dialog still open another window of the program
    // takes the environment dialog's place; the dialog is opened anew.
    HWND select = OpenSelectDialog(tiledex);
    ASSERT_NE(select, nullptr);
    ::SendMessageW(::GetDlgItem(select, kAddButtonId), BM_CLICK, 0, 0);
    const HWND change = WaitForShown(L"TChangeForm", tiledex);
    ASSERT_NE(change, nullptr);
    EXPECT_FALSE(::IsWindowEnabled(select)) << "the name dialog is modal to the environment dialog";
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 114, 0);  // バージョン情報(&A)...
    ASSERT_NE(WaitForShown(L"TAboutForm", tiledex), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(select) && !::IsWindowVisible(change); }))
        << "hiding the environment dialog ends its name dialog";
    select = OpenSelectDialog(tiledex);
    ASSERT_NE(select, nullptr);
    EXPECT_TRUE(::IsWindowEnabled(select));
    // The old name dialog's OK, if anything still delivered it, hands nothing back.
    ::SendMessageW(change, WM_COMMAND, IDOK, 0);
    ::SendMessageW(::GetDlgItem(select, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(select); }));
    // The About box opens once OK's writes are done.
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 114, 0);
    ASSERT_NE(WaitForShown(L"TAboutForm", tiledex), nullptr);
    ASSERT_TRUE(std::filesystem::exists(first));
    EXPECT_EQ(StoredText(first, L"Program", L"Title0"), L"Home entry");
    EXPECT_EQ(StoredText(first, L"Option", L"ColMax"), L"9");
    EXPECT_EQ(StoredText(first, L"Option", L"IniOrder1"), L"1");
    EXPECT_EQ(StoredText(first, L"Option", L"IniMax"), L"1");
}

TEST(EnvironmentDialog, DeletingTheLoadedEnvironmentReadsTheFirstWhenTheChosenFileIsGone) {
    // Three environments, the second loaded, the third's file gone: deleting the
    // second with the third selected cannot load the third, so the first is read
    // again, and a later untouched registration OK stores the first's own list.
    TiledexProcess tiledex;
    const auto folder = tiledex.SettingsFolder();
    const auto first = folder / L"tiledex.ini", second = folder / L"tiledex2.ini";
    WriteSettingsFile(first, "[Option]\r\nIniNo=2\r\nIniMax=3\r\nIniOrder1=1\r\nIniOrder2=2\r\n"
                             "IniOrder3=3\r\nIniPopup1=1\r\nIniPopup2=1\r\nIniPopup3=1\r\nIniName1=Home\r\n"
                             "IniName2=Work\r\nIniName3=Trip\r\n[Program]\r\nTitle0=Home entry\r\n"
                             "ExeFileName0=C:\\windows\\notepad.exe\r\n");
    WriteSettingsFile(second, "[Option]\r\nColMax=4\r\n[Program]\r\nTitle0=Work entry\r\n"
                              "ExeFileName0=C:\\windows\\regedit.exe\r\n");
    ASSERT_TRUE(tiledex.Start());

    HWND select = OpenSelectDialog(tiledex);
    ASSERT_NE(select, nullptr);
    HWND list = ::GetDlgItem(select, kSetListBoxId);
    ASSERT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    ::SendMessageW(::GetDlgItem(select, kDeleteButtonId), BM_CLICK, 0, 0);
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    ::SendMessageW(list, LB_SETCURSEL, 1, 0);  // Trip, whose file is missing
    ::PostMessageW(select, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(DismissMessage(tiledex), L"設定ファイルtiledex3.iniが見つかりません。");
    // Handled after the switch is complete: the files are read only then, and
    // a reader holding the file open cannot meet the program writing it.
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 111, 0);  // アイコン登録(&R)...
    const HWND registration = WaitForShown(L"TConfigForm", tiledex);
    ASSERT_NE(registration, nullptr);
    EXPECT_FALSE(std::filesystem::exists(second));
    EXPECT_EQ(StoredText(first, L"Option", L"IniNo"), L"1");
    ::SendMessageW(::GetDlgItem(registration, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(registration); }));
    EXPECT_EQ(StoredText(first, L"Program", L"Title0"), L"Home entry");
    EXPECT_EQ(StoredText(first, L"Option", L"ColMax"), L"7") << "the first's own options, not the second's";
    EXPECT_TRUE(tiledex.Running());
}

}  // namespace
}  // namespace tdx::test
