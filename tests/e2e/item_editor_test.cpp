// The item editor as a user reaches it: 設定変更 in the popup's entry menu
// opens it on the entry under the cursor, the direct-key box takes a key, and
// OK stores the changed entry in the settings file.
#include <windows.h>

#include <gtest/gtest.h>

#include "dialogs/setting_form.h"
#include "support/tiledex_process_win.h"

namespace tdx::test {
namespace {

// Another program's edit box gives its text only when asked with WM_GETTEXT.
std::wstring EditText(HWND editor, int id) {
    wchar_t text[260]{};
    ::SendMessageW(ChildById(editor, id), WM_GETTEXT, 260, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(ItemEditor, OpenedFromTheEntryMenuChangesTheEntryAndOkStoresIt) {
    TiledexProcess tiledex;
    const auto file = tiledex.SettingsFolder() / L"tiledex.ini";
    WriteSettingsFile(file, CodePage932(L"[Program]\r\nTitle0=メモ帳\r\nStatus0=0\r\nIconIndex0=0\r\n"
                                        L"IconFileName0=C:\\windows\\notepad.exe\r\n"
                                        L"ExeFileName0=C:\\windows\\notepad.exe\r\nArgumentName0=-x\r\n"
                                        L"DirectoryName0=\r\nTitle1=二つ目\r\nExeFileName1=C:\\windows\\regedit.exe\r\n"));
    ASSERT_TRUE(tiledex.Start());
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    ASSERT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"メモ帳"; }));

    PressKeys({VK_SPACE});
    ASSERT_TRUE(WaitUntil([&] {
        HWND menu = FindProcessWindow(L"#32768", tiledex.ProcessId());
        return menu && ::IsWindowVisible(menu);
    }));
    PressKeys({'R'});
    HWND editor = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        editor = FindProcessWindow(L"TSettingForm", tiledex.ProcessId());
        return editor && ::IsWindowVisible(editor);
    }));
    EXPECT_EQ(EditText(editor, kSettingTitleEditId), L"メモ帳");
    EXPECT_EQ(EditText(editor, kSettingExeEditId), L"C:\\windows\\notepad.exe");
    EXPECT_EQ(EditText(editor, kSettingArgumentEditId), L"-x");
    EXPECT_EQ(EditText(editor, kSettingDirectEditId), L"");
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == editor; }));
    EXPECT_FALSE(tiledex.PopupVisible()) << "the popup gives way to the editor";

    // The key box has the focus: "a" becomes the capital, and the focus moves on to OK.
    PressKeys({'A'});
    EXPECT_TRUE(WaitUntil([&] { return EditText(editor, kSettingDirectEditId) == L"A"; }));
    ::SendMessageW(ChildById(editor, kSettingTitleEditId), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(L"エディタ"));
    PressKeys({VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(editor); })) << "Enter on OK";

    const auto stored = [&](const wchar_t* key) {
        wchar_t value[64]{};
        ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
        ::GetPrivateProfileStringW(L"Program", key, L"", value, 64, file.c_str());
        return std::wstring(value);
    };
    EXPECT_TRUE(WaitUntil([&] { return stored(L"Title0") == L"エディタ"; }));
    EXPECT_EQ(stored(L"Status0"), L"16640") << "direct key A";
    EXPECT_EQ(stored(L"ArgumentName0"), L"-x");
    EXPECT_EQ(stored(L"Title1"), L"二つ目");

    // The popup shows the new title at once.
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    EXPECT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"エディタ"; }));
}

}  // namespace
}  // namespace tdx::test
