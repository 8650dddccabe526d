// The options dialog as a user meets it: it opens from the notification menu
// with the options in force, and OK applies the chosen hotkey at once and
// stores it; Cancel changes nothing.
#include <windows.h>
#include <commctrl.h>

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
    bool Checked(int id) const { return ::SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    HWND Window() const { return dialog_; }
    // The page shown and the control with the keyboard focus, as the program has them.
    int Page() const { return static_cast<int>(::SendMessageW(Control(kOptPageId), TCM_GETCURSEL, 0, 0)); }
    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog_, nullptr), &info);
        return info.hwndFocus;
    }
    bool FocusOn(int id) const {
        return WaitUntil([&] { return Focus() == Control(id); });
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

// Every radio group shows a choice even when its switch is off or the stored
// value is out of range, so turning a switch on from the keyboard and pressing
// OK stores what is shown. The pages are reached by keyboard as in property
// sheets: Ctrl+Tab and Ctrl+PgDn from any control, Tab onto the tab strip and
// arrows on it.
TEST(OptionForm, EveryPageAndChoiceIsReachedByKeyboardAndOkStoresWhatIsShown) {
    TiledexProcess tiledex;
    const auto file = (tiledex.SettingsFolder() / L"tiledex.ini").wstring();
    WriteSettingsFile(file, "[Option]\r\nMouseFlag=0\r\nMousePositionFlag=-1\r\nKeyCursorFlag=9\r\n"
                            "RightClickFlag=-3\r\nFrameFlag=7\r\n");
    ASSERT_TRUE(tiledex.Start());
    OptionDialog options(tiledex);
    ASSERT_TRUE(options.Open());
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == options.Window(); }));
    EXPECT_TRUE(options.Checked(kOptKCursorRadioId)) << "KeyCursorFlag 9 shows the first choice";
    EXPECT_TRUE(options.Checked(kOptMouseRadioId)) << "a group whose switch is off still has a choice";
    EXPECT_TRUE(options.Checked(kOptMCursorRadioId));
    EXPECT_TRUE(options.Checked(kOptRightClickRadioId));
    EXPECT_TRUE(options.Checked(kOptFrameRadioId));

    // The Mouse page: both switches on with Space.
    PressKeys({VK_CONTROL, VK_TAB});
    ASSERT_TRUE(WaitUntil([&] { return options.Page() == 1; })) << "Ctrl+Tab: Key to Mouse";
    ASSERT_TRUE(options.FocusOn(kOptKickMouseCheckId));
    PressKeys({VK_SPACE});
    ASSERT_TRUE(WaitUntil([&] { return options.Checked(kOptKickMouseCheckId); }));
    PressKeys({VK_TAB});
    PressKeys({VK_TAB});
    ASSERT_TRUE(options.FocusOn(kOptMousePositionCheckId));
    PressKeys({VK_SPACE});
    ASSERT_TRUE(WaitUntil([&] { return options.Checked(kOptMousePositionCheckId); }));

    // Ctrl+PgDn: the Etc. page. Shift+Tab from its first control stops on the
    // strip, where the arrows turn the pages.
    PressKeys({VK_CONTROL, VK_NEXT});
    ASSERT_TRUE(WaitUntil([&] { return options.Page() == 2; }));
    ASSERT_TRUE(options.FocusOn(kOptRightClickRadioId));
    PressKeys({VK_SHIFT, VK_TAB});
    ASSERT_TRUE(options.FocusOn(kOptPageId)) << "the tab strip takes the focus";
    PressKeys({VK_LEFT});
    EXPECT_TRUE(WaitUntil([&] { return options.Page() == 1 && ::IsWindowVisible(options.Control(kOptKickMouseCheckId)); }));
    PressKeys({VK_RIGHT});
    ASSERT_TRUE(WaitUntil([&] { return options.Page() == 2 && ::IsWindowVisible(options.Control(kOptAutoRunCheckId)); }));
    // Tab from the strip into the page, on to the autorun box, which takes Space.
    for (int i = 0; i < 5; ++i) PressKeys({VK_TAB});
    ASSERT_TRUE(options.FocusOn(kOptAutoRunCheckId));
    PressKeys({VK_SPACE});
    EXPECT_TRUE(WaitUntil([&] { return options.Checked(kOptAutoRunCheckId); }));
    PressKeys({VK_SPACE});  // left off: the bed's Run key stays as it was
    ASSERT_TRUE(WaitUntil([&] { return !options.Checked(kOptAutoRunCheckId); }));
    // On to the language list, OK and Cancel; forward from Cancel comes round
    // to the strip; Ctrl+Tab goes round to Key.
    PressKeys({VK_TAB});
    ASSERT_TRUE(options.FocusOn(kOptLanguageComboId));
    PressKeys({VK_TAB});
    PressKeys({VK_TAB});
    ASSERT_TRUE(options.FocusOn(IDCANCEL));
    PressKeys({VK_TAB});
    EXPECT_TRUE(options.FocusOn(kOptPageId));
    PressKeys({VK_CONTROL, VK_TAB});
    EXPECT_TRUE(WaitUntil([&] { return options.Page() == 0; }));

    options.Click(IDOK);
    ASSERT_TRUE(options.Closed());
    const auto stored = [&](const wchar_t* key) {
        ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
        return static_cast<int>(::GetPrivateProfileIntW(L"Option", key, -100, file.c_str()));
    };
    EXPECT_TRUE(WaitUntil([&] { return stored(L"MouseFlag") == 1; }));
    EXPECT_EQ(stored(L"MousePositionFlag"), 0);
    EXPECT_EQ(stored(L"KeyCursorFlag"), 0);
    EXPECT_EQ(stored(L"RightClickFlag"), 0);
    EXPECT_EQ(stored(L"FrameFlag"), 0);
}

}  // namespace
}  // namespace tdx::test
