// The options dialog as a user meets it: it opens from the notification menu
// with the options in force, and OK applies the chosen hotkey at once and
// stores it; Cancel changes nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include "dialogs/option_form.h"
#include "support/tiledex_process_win.h"

namespace tdx::test {
namespace {

bool HotKeyIsFree(UINT modifiers, UINT key) {
    if (!::RegisterHotKey(nullptr, 0x5A5B, modifiers, key)) return false;
    ::UnregisterHotKey(nullptr, 0x5A5B);
    return true;
}

class OptionDialog {
public:
    explicit OptionDialog(TiledexProcess& tiledex) : tiledex_(tiledex) {}
    bool Open() {
        ::PostMessageW(tiledex_.MainWindow(), WM_COMMAND, 110, 0);  // 各種設定(&O)...
        return WaitUntil([&] {
            dialog_ = FindProcessWindow(L"TOptionForm", tiledex_.ProcessId());
            return dialog_ && ::IsWindowVisible(dialog_);
        });
    }
    HWND Control(int id) const {
        if (HWND c = ::GetDlgItem(dialog_, id)) return c;
        return ::GetDlgItem(::GetDlgItem(dialog_, kOptPageId), id);
    }
    std::wstring Text(int id) const {
        wchar_t text[128]{};
        ::SendMessageW(Control(id), WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void Click(int id) const { ::SendMessageW(Control(id), BM_CLICK, 0, 0); }
    void SelectKey(int row) const {
        ::SendMessageW(Control(kOptKeyListBoxId), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        ::SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(kOptKeyListBoxId, LBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(Control(kOptKeyListBoxId)));
    }
    bool Closed() const {
        return WaitUntil([&] { return !::IsWindowVisible(dialog_); });
    }

private:
    TiledexProcess& tiledex_;
    HWND dialog_ = nullptr;
};

TEST(OptionForm, OkAppliesAndStoresTheHotKeyAndCancelChangesNothing) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    OptionDialog options(tiledex);

    ASSERT_TRUE(options.Open());
    EXPECT_EQ(options.Text(kOptKeyLabelId), L"Ctrl + Alt + J");
    EXPECT_FALSE(::IsWindowEnabled(options.Control(kOptDosCheckId))) << "NT family: always on";
    options.Click(kOptShiftCheckId);
    options.SelectKey(26 + 4);  // F5
    EXPECT_EQ(options.Text(kOptKeyLabelId), L"Shift + Ctrl + Alt + F5");
    options.Click(IDCANCEL);
    ASSERT_TRUE(options.Closed());
    EXPECT_FALSE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J')) << "Cancel applies nothing";

    ASSERT_TRUE(options.Open());
    EXPECT_EQ(options.Text(kOptKeyLabelId), L"Ctrl + Alt + J") << "each opening starts afresh";
    options.Click(kOptShiftCheckId);
    options.SelectKey(26 + 4);
    // Mouse invocation off: the groups that depend on it go grey.
    options.Click(kOptKickMouseCheckId);
    EXPECT_FALSE(::IsWindowEnabled(options.Control(kOptMouseRadioId)));
    EXPECT_FALSE(::IsWindowEnabled(options.Control(kOptMoveCursorCheckId)));
    options.Click(IDOK);
    ASSERT_TRUE(options.Closed());
    EXPECT_TRUE(WaitUntil([] { return !HotKeyIsFree(MOD_SHIFT | MOD_CONTROL | MOD_ALT, VK_F5); }));
    EXPECT_TRUE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J'));

    const auto file = (tiledex.SettingsFolder() / L"tiledex.ini").wstring();
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    EXPECT_EQ(::GetPrivateProfileIntW(L"Option", L"VkMod", -1, file.c_str()), 7u);
    EXPECT_EQ(::GetPrivateProfileIntW(L"Option", L"VkKey", -1, file.c_str()), 0x74u);
    EXPECT_EQ(::GetPrivateProfileIntW(L"Option", L"MouseFlag", -1, file.c_str()), 0u);
}

}  // namespace
}  // namespace tdx::test
