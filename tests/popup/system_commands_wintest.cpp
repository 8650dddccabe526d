// The System commands that Wine cannot carry out go through the popup's ports:
// "Suspend" asks for the suspend after hiding the popup, and the keyword is
// compared with its letter case.
#include <windows.h>

#include <gtest/gtest.h>

#include "popup/tdx_main_form.h"
#include "support/settings_in_memory.h"

namespace tdx::test {
namespace {

LaunchItem Command(const wchar_t* keyword) {
    LaunchItem item;
    item.Title = keyword;
    item.ExeFileName = keyword;
    item.Status = ItemStatus::BuiltIn | ItemStatus::InternalCommand;
    return item;
}

bool shellAskedToClose = false;

LRESULT CALLBACK ShellDesktopProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        shellAskedToClose = true;
        return 0;
    }
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

TEST(SystemCommands, SuspendGoesThroughItsPortAndLowerCaseExitIsNoCommand) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ShellDesktopProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ProgMan";
    ASSERT_TRUE(::RegisterClassW(&wc));
    HWND desktop = ::CreateWindowExW(0, L"ProgMan", L"Program Manager", WS_POPUP, 0, 0, 1, 1,
                                     nullptr, nullptr, wc.hInstance, nullptr);

    SettingsInMemory memory;
    memory.SetLists({}, {Command(L"Suspend"), Command(L"exit")});
    TTdxMainForm popup(memory.settings);
    ASSERT_TRUE(popup.Create(nullptr));
    int suspends = 0;
    bool visibleAtSuspend = true;
    SystemPorts ports;
    ports.RequestSuspend = [&] {
        ++suspends;
        visibleAtSuspend = ::IsWindowVisible(popup.hwnd()) != FALSE;
        return false;
    };
    popup.SetSystemPorts(ports);

    popup.ShowPopup(kPopupByHotkey);
    ASSERT_TRUE(::IsWindowVisible(popup.hwnd()));
    popup.RunEntry(kSystemTray, 0);
    EXPECT_EQ(suspends, 1);
    EXPECT_FALSE(visibleAtSuspend) << "the screen is left without the popup";
    EXPECT_FALSE(::IsWindowVisible(popup.hwnd()));

    popup.ShowPopup(kPopupByHotkey);
    popup.RunEntry(kSystemTray, 1);
    EXPECT_FALSE(shellAskedToClose);
    EXPECT_EQ(suspends, 1);

    ::DestroyWindow(desktop);
    ::UnregisterClassW(L"ProgMan", wc.hInstance);
}

}  // namespace
}  // namespace tdx::test
