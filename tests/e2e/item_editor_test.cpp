// The item editor as a user reaches it: 設定変更 in the popup's entry menu
// opens it on the entry under the cursor, the direct-key box takes a key, and
// OK stores the changed entry in the settings file.
#include <windows.h>

#include <cstring>

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

void SetClipboardText(const std::wstring& text) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    ASSERT_NE(data, nullptr);
    std::memcpy(::GlobalLock(data), text.c_str(), bytes);
    ::GlobalUnlock(data);
    EXPECT_NE(::SetClipboardData(CF_UNICODETEXT, data), nullptr);  // the clipboard owns it now
    ::CloseClipboard();
}

// Opens the editor from the popup's entry menu on the first Program entry.
HWND OpenEditorOnFirstEntry(TiledexProcess& tiledex) {
    if (!tiledex.ShowPopupByHotKey()) return nullptr;
    PressKeys({VK_SPACE});
    if (!WaitUntil([&] {
            HWND menu = FindProcessWindow(L"#32768", tiledex.ProcessId());
            return menu && ::IsWindowVisible(menu);
        }))
        return nullptr;
    PressKeys({'R'});
    HWND editor = nullptr;
    WaitUntil([&] {
        editor = FindProcessWindow(L"TSettingForm", tiledex.ProcessId());
        return editor && ::IsWindowVisible(editor);
    });
    return editor;
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

// The key box holds one key or none: pasted text that is not one key as the box
// would show it is refused and the key stays; so does an edit that leaves a
// part of a key. A pasted key replaces the old one, and OK stores what is shown.
TEST(ItemEditor, TheKeyBoxRefusesPastedTextThatIsNotOneKey) {
    TiledexProcess tiledex;
    const auto file = tiledex.SettingsFolder() / L"tiledex.ini";
    WriteSettingsFile(file, "[Option]\r\nKeyNumberFlag=0\r\n[Program]\r\nTitle0=Notepad\r\n"
                            "Status0=16896\r\nExeFileName0=C:\\windows\\notepad.exe\r\n");
    ASSERT_TRUE(tiledex.Start());
    const HWND editor = OpenEditorOnFirstEntry(tiledex);
    ASSERT_NE(editor, nullptr);
    const HWND box = ChildById(editor, kSettingDirectEditId);
    ASSERT_EQ(EditText(editor, kSettingDirectEditId), L"B");

    // Paste as the box's own menu does it, one refusal each: not a key, the
    // shifted key with Shift unchecked, a digit without KeyNumberFlag.
    for (const wchar_t* refused : {L"xyz", L"b", L"7"}) {
        SetClipboardText(refused);
        ::SendMessageW(box, WM_PASTE, 0, 0);
        EXPECT_EQ(EditText(editor, kSettingDirectEditId), L"B") << "pasted " << refused;
    }
    // Ctrl+V with one key on the clipboard: it replaces the old key.
    SetClipboardText(L"F7");
    PressKeys({VK_CONTROL, 'V'});
    ASSERT_TRUE(WaitUntil([&] { return EditText(editor, kSettingDirectEditId) == L"F7"; }));
    // Deleting the "F" would leave "7": the key comes back.
    ::SendMessageW(box, EM_SETSEL, 0, 1);
    ::SendMessageW(box, WM_CLEAR, 0, 0);
    EXPECT_EQ(EditText(editor, kSettingDirectEditId), L"F7");

    ::SendMessageW(ChildById(editor, kSettingOkButtonId), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(editor); }));
    wchar_t status[32]{};
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    ::GetPrivateProfileStringW(L"Program", L"Status0", L"", status, 32, file.c_str());
    EXPECT_STREQ(status, L"50688") << "F7 (0xC6)";
}

}  // namespace
}  // namespace tdx::test
