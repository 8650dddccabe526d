// The environment dialogs as a user meets them: Add names a new environment
// after its file number, OK makes its file and stores the table; Delete and OK
// remove the file again; the current environment's settings stay loaded. A
// selected environment whose file is gone and a table that cannot be written
// leave the loaded environment current and every file of the table in place.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "resident/change_form.h"
#include "resident/select_form.h"
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

}  // namespace
}  // namespace tdx::test
