// Mouse gestures and console activations reach the real program through its hook
// library: the popup opens over another program's window, and the hotkey steps
// aside while a console window is active.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "helpers/hook_target_log.h"
#include "support/tiledex_process_win.h"

namespace tdx::test {
namespace {

using namespace std::chrono_literals;

// hook_target.exe: an ordinary window of another process, of the given class,
// and the log of the messages it received.
class TargetWindow {
public:
    TargetWindow(const std::wstring& className, int x, int y, int width, int height,
                 const wchar_t* option = L"") {
        const std::wstring exe = (ExeDir() / L"hook_target.exe").wstring();
        std::wstring cmd = L"\"" + exe + L"\" " + className + L" " + std::to_wstring(x) + L" " +
                           std::to_wstring(y) + L" " + std::to_wstring(width) + L" " +
                           std::to_wstring(height) + L" " + option;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &pi)) {
            ::CloseHandle(pi.hThread);
            process_ = pi.hProcess;
            WaitUntil([&] {
                window_ = FindProcessWindow(className.c_str(), pi.dwProcessId);
                return window_ && ::IsWindowVisible(window_);
            });
            const std::wstring name = kTargetLogPrefix + std::to_wstring(pi.dwProcessId);
            mapping_ = ::OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
            if (mapping_) log_ = static_cast<const TargetLog*>(::MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
        }
    }
    ~TargetWindow() {
        if (log_) ::UnmapViewOfFile(log_);
        if (mapping_) ::CloseHandle(mapping_);
        if (window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
        if (process_) {
            if (::WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) ::TerminateProcess(process_, 1);
            ::CloseHandle(process_);
        }
    }
    HWND window() const { return window_; }
    POINT ClientCentre() const {
        RECT r{};
        ::GetClientRect(window_, &r);
        POINT p{r.right / 2, r.bottom / 2};
        ::ClientToScreen(window_, &p);
        return p;
    }

    int Count(UINT message) const {
        int n = 0;
        for (LONG i = 0; log_ && i < log_->count; ++i) n += log_->entries[i].message == message;
        return n;
    }
    bool Logging() const { return log_ != nullptr; }

private:
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
    HANDLE mapping_ = nullptr;
    const TargetLog* log_ = nullptr;
};

// All events in one call: they reach the window under the cursor before the
// popup can open over it.
void MouseButtonsAtOnce(std::initializer_list<DWORD> flags) {
    std::vector<INPUT> inputs;
    for (DWORD f : flags) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = f;
        inputs.push_back(in);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void MouseButtons(std::initializer_list<DWORD> flags) {
    for (DWORD f : flags) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = f;
        ::SendInput(1, &in, sizeof(in));
        ::Sleep(30);
    }
}

bool HotKeyIsFree() {
    if (!::RegisterHotKey(nullptr, 0x5A5B, MOD_CONTROL | MOD_ALT, 'J')) return false;
    ::UnregisterHotKey(nullptr, 0x5A5B);
    return true;
}

TEST(Gesture, LeftHoldRightClickOverAnotherProgramOpensThePopup) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    TargetWindow target(L"TdxGestureTarget", 120, 120, 500, 360);
    ASSERT_NE(target.window(), nullptr);
    const POINT p = target.ClientCentre();
    ::SetCursorPos(p.x, p.y);

    MouseButtons({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP,
                  MOUSEEVENTF_LEFTUP});
    ASSERT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }));
    EXPECT_EQ(::GetForegroundWindow(), tiledex.Popup());
}

TEST(Gesture, AGestureWhileThePopupIsUpLeavesItUp) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    {
        MouseRest mouse;  // the chord is typed with the pointer clear of the popup
        ASSERT_TRUE(mouse.Ready());
        ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    }
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == tiledex.Popup(); }));
    // Made over the name panel, where the gesture's own left press means
    // nothing: over a cell it would run that cell's entry.
    RECT panel{};
    ::GetWindowRect(ChildById(tiledex.Popup(), 121), &panel);
    ::SetCursorPos((panel.left + panel.right) / 2, (panel.top + panel.bottom) / 2);
    MouseButtons({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP,
                  MOUSEEVENTF_LEFTUP});
    EXPECT_FALSE(WaitUntil([&] { return !tiledex.PopupVisible(); }, 800ms));
    EXPECT_EQ(::GetForegroundWindow(), tiledex.Popup());
}

// A host that peeks before it takes each message and that receives
// double-clicks: a gesture opens the popup, and none of the gesture's buttons
// (nor the program's own release of the right button) reaches the host; the
// one click beside the cursor arrives as a single click.
TEST(Gesture, NoGestureButtonReachesAPeekingHost) {
    for (int mode : {1, 3}) {
        SCOPED_TRACE(mode);
        TiledexProcess tiledex;
        WriteSettingsFile(tiledex.SettingsFolder() / L"tiledex.ini",
                          "[Option]\r\nMouseFlag=" + std::to_string(mode) + "\r\n");
        ASSERT_TRUE(tiledex.Start());
        TargetWindow target(L"TdxGestureTarget", 120, 120, 500, 360, L"dblclk");
        ASSERT_TRUE(target.Logging());
        const POINT p = target.ClientCentre();
        ::SetCursorPos(p.x, p.y);
        if (mode == 1) {
            MouseButtonsAtOnce({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP,
                                MOUSEEVENTF_LEFTUP});
        } else {
            MouseButtonsAtOnce({MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP});
        }
        ASSERT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }));
        // The user's click (mode 1) and the program's click beside the cursor.
        const int clicks = mode == 1 ? 2 : 1;
        ASSERT_TRUE(WaitUntil([&] { return target.Count(WM_LBUTTONUP) >= clicks; }));
        EXPECT_FALSE(WaitUntil([&] {
            return target.Count(WM_RBUTTONUP) + target.Count(WM_MBUTTONUP) +
                       target.Count(WM_CONTEXTMENU) + target.Count(WM_LBUTTONDBLCLK) > 0;
        }, 800ms));
        EXPECT_EQ(target.Count(WM_LBUTTONDOWN), clicks);
    }
}

// Two notices of one gesture handled back to back: one click beside the
// cursor, not a double-click in the window below.
TEST(Gesture, TwoNoticesBackToBackGiveOneClick) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    TargetWindow target(L"TdxGestureTarget", 120, 120, 500, 360, L"dblclk");
    ASSERT_TRUE(target.Logging());
    const POINT p = target.ClientCentre();
    ::SetCursorPos(p.x, p.y);
    ::PostMessageW(tiledex.MainWindow(), 0x07E9, 0, 0);
    ::PostMessageW(tiledex.MainWindow(), 0x07E9, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }));
    ASSERT_TRUE(WaitUntil([&] { return target.Count(WM_LBUTTONUP) >= 1; }));
    EXPECT_FALSE(WaitUntil([&] { return target.Count(WM_LBUTTONUP) >= 2; }, 800ms));
    EXPECT_EQ(target.Count(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(target.Count(WM_LBUTTONDBLCLK), 0);
}

TEST(Gesture, MiddleButtonWhenChosenAndNothingWhenSwitchedOff) {
    {
        TiledexProcess tiledex;
        WriteSettingsFile(tiledex.SettingsFolder() / L"tiledex.ini", "[Option]\r\nMouseFlag=3\r\n");
        ASSERT_TRUE(tiledex.Start());
        TargetWindow target(L"TdxGestureTarget", 120, 120, 500, 360);
        const POINT p = target.ClientCentre();
        ::SetCursorPos(p.x, p.y);
        MouseButtons({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP,
                      MOUSEEVENTF_LEFTUP});
        EXPECT_FALSE(WaitUntil([&] { return tiledex.PopupVisible(); }, 800ms));
        MouseButtons({MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP});
        EXPECT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }));
    }
    {
        TiledexProcess tiledex;
        WriteSettingsFile(tiledex.SettingsFolder() / L"tiledex.ini", "[Option]\r\nMouseFlag=0\r\n");
        ASSERT_TRUE(tiledex.Start());
        TargetWindow target(L"TdxGestureTarget", 120, 120, 500, 360);
        const POINT p = target.ClientCentre();
        ::SetCursorPos(p.x, p.y);
        MouseButtons({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP,
                      MOUSEEVENTF_LEFTUP, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP});
        EXPECT_FALSE(WaitUntil([&] { return tiledex.PopupVisible(); }, 800ms));
    }
}

TEST(Gesture, ConsoleWindowWithdrawsTheHotKeyWhenDosFlagIsOff) {
    TiledexProcess tiledex;
    WriteSettingsFile(tiledex.SettingsFolder() / L"tiledex.ini", "[Option]\r\nDosFlag=0\r\n");
    ASSERT_TRUE(tiledex.Start());
    ASSERT_FALSE(HotKeyIsFree());
    {
        TargetWindow console(L"tty", 100, 100, 300, 200);
        ASSERT_NE(console.window(), nullptr);
        ::SetForegroundWindow(console.window());
        EXPECT_TRUE(WaitUntil([] { return HotKeyIsFree(); }));
        TargetWindow other(L"TdxOtherWindow", 200, 200, 300, 200);
        ::SetForegroundWindow(other.window());
        EXPECT_TRUE(WaitUntil([] { return !HotKeyIsFree(); }));
    }
}

TEST(Gesture, ConsoleWindowKeepsTheHotKeyWhenDosFlagIsOn) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    TargetWindow console(L"tty", 100, 100, 300, 200);
    ASSERT_NE(console.window(), nullptr);
    ::SetForegroundWindow(console.window());
    EXPECT_FALSE(WaitUntil([] { return HotKeyIsFree(); }, 1000ms));
}

}  // namespace
}  // namespace tdx::test
