// The wheel and the click: a click on a Program entry starts it on the popup's
// monitor, the wheel walks the popup's cursor through the tray under the mouse,
// one cell per notch, and on the registration dialog's grid it does nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/config_form.h"
#include "dialogs/delete_form.h"
#include "dialogs/setting_form.h"
#include "popup/tdx_main_form.h"
#include "settings/item_context_win.h"
#include "settings/temp_settings_win.h"
#include "support/settings_in_memory.h"

namespace tdx::test {
namespace {

LaunchItem Entry(const wchar_t* title, const wchar_t* file) {
    LaunchItem item;
    item.Title = title;
    item.ExeFileName = file;
    return item;
}

class PopupMouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory.SetLists({Entry(L"One", L"C:\\windows\\notepad.exe"), Entry(L"Two", L"C:\\windows\\regedit.exe"),
                         Entry(L"Three", L"C:\\windows\\system32\\winemine.exe")});
        ASSERT_TRUE(popup.Create(nullptr));
        SystemPorts ports = SystemPorts::Platform();
        ports.ShellExecute = [this](SHELLEXECUTEINFOW& info) {
            started.push_back(info.lpFile);
            monitors.push_back((info.fMask & SEE_MASK_HMONITOR) ? static_cast<HMONITOR>(info.hMonitor) : nullptr);
        };
        popup.SetSystemPorts(ports);
        popup.ShowPopup(kPopupByHotkey);
        ::UpdateWindow(popup.hwnd());
    }
    void TearDown() override { popup.HidePopup(); }

    std::wstring Title() const {
        wchar_t text[256]{};
        ::GetWindowTextW(::GetDlgItem(::GetDlgItem(popup.hwnd(), kNamePanelId), kNameLabelId), text, 256);
        return text;
    }
    // A screen point inside the Program tray's second cell.
    POINT OverTheProgramTray() const {
        RECT box{};
        ::GetWindowRect(::GetDlgItem(popup.hwnd(), kExecPaintBoxId), &box);
        return {box.left + 2 + 40 + 20, box.top + 22};
    }
    void Wheel(int delta, POINT at) {
        ::SendMessageW(popup.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))),
                       MAKELPARAM(at.x, at.y));
    }

    SettingsInMemory memory;
    TTdxMainForm popup{memory.settings};
    std::vector<std::wstring> started;
    std::vector<HMONITOR> monitors;
};

TEST_F(PopupMouseTest, AClickStartsTheEntryOnThePopupsMonitor) {
    const LPARAM second = MAKELPARAM(2 + 40 + 20, 22);
    const HWND box = ::GetDlgItem(popup.hwnd(), kExecPaintBoxId);
    ::SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, second);
    ::SendMessageW(box, WM_LBUTTONUP, 0, second);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], L"C:\\windows\\regedit.exe");
    EXPECT_NE(monitors[0], nullptr);
    EXPECT_EQ(monitors[0], ::MonitorFromWindow(popup.hwnd(), MONITOR_DEFAULTTONEAREST));
}

TEST_F(PopupMouseTest, EachWheelNotchMovesTheCursorOneCellAndWraps) {
    ASSERT_EQ(Title(), L"One");
    const POINT over = OverTheProgramTray();
    Wheel(-WHEEL_DELTA, over);
    EXPECT_EQ(Title(), L"Two");
    // A fine-grained wheel: half a notch moves nothing, the other half one cell.
    Wheel(-WHEEL_DELTA / 2, over);
    EXPECT_EQ(Title(), L"Two");
    Wheel(-WHEEL_DELTA / 2, over);
    EXPECT_EQ(Title(), L"Three");
    Wheel(-WHEEL_DELTA, over);
    EXPECT_EQ(Title(), L"One") << "past the last cell the cursor wraps to the first";
    Wheel(WHEEL_DELTA, over);
    EXPECT_EQ(Title(), L"Three") << "and back";
    // Over no tray the wheel does nothing.
    RECT window{};
    ::GetWindowRect(popup.hwnd(), &window);
    Wheel(-WHEEL_DELTA, POINT{window.right + 50, window.bottom + 50});
    EXPECT_EQ(Title(), L"Three");
    EXPECT_TRUE(started.empty()) << "the wheel starts nothing";
}

class RegistrationWheelTest : public TempSettingsTest {};

TEST_F(RegistrationWheelTest, TheWheelOverTheGridChangesNothing) {
    const ItemContext items = MakeProgramItemContext([] {}, [] {});
    TSettingForm setting{items};
    TDeleteForm remove;
    TConfigForm form{items, setting, remove};
    ASSERT_TRUE(setting.Create(nullptr) && remove.Create(nullptr) && form.Create(nullptr));
    SettingsEdit copy;
    copy.Options = OptionSet{};
    copy.Programs = ItemList{Entry(L"One", L"C:\\a.exe"), Entry(L"Two", L"C:\\b.exe")};
    form.OpenRegistration(std::move(copy));
    ASSERT_TRUE(::IsWindowVisible(form.hwnd()));
    ::SetForegroundWindow(form.hwnd());
    // Whatever control has the focus (the width box takes wheel turns), a turn
    // with the pointer over the grid goes nowhere.
    const HWND width = ::GetDlgItem(form.hwnd(), kWidthComboBoxId);
    for (const HWND focus : {::GetFocus(), width}) {
        ::SetFocus(focus);
        RECT box{};
        ::GetWindowRect(::GetDlgItem(form.hwnd(), kCfgProgPaintBoxId), &box);
        ::SetCursorPos(box.left + 20, box.top + 20);
        INPUT turn[2]{};
        for (INPUT& in : turn) {
            in.type = INPUT_MOUSE;
            in.mi.dwFlags = MOUSEEVENTF_WHEEL;
        }
        turn[0].mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
        turn[1].mi.mouseData = static_cast<DWORD>(-2 * WHEEL_DELTA);
        ::SendInput(2, turn, sizeof(INPUT));
        for (int i = 0; i < 20; ++i) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            ::Sleep(10);
        }
        EXPECT_EQ(::SendMessageW(width, CB_GETCURSEL, 0, 0), 7 - 3);
        ASSERT_EQ(form.ItemsOf(kProgramTray).size(), 2u);
        EXPECT_EQ(form.ItemsOf(kProgramTray)[0].Title, L"One");
    }
    form.CancelButtonClick();
}

}  // namespace
}  // namespace tdx::test
