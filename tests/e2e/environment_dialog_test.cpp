// The environment dialogs as a user meets them: Add names a new environment
// after its file number, OK makes its file and stores the table; Delete and OK
// remove the file again; the current environment's settings stay loaded.
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

}  // namespace
}  // namespace tdx::test
