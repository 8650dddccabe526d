// Monitor rectangles and taking the foreground, on the test bed's desktop.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "settings/monitors_win.h"

namespace tdx {
namespace {

TEST(Monitors, EnumerationCollectsEveryMonitor) {
    MonitorList list;
    ASSERT_TRUE(::EnumDisplayMonitors(nullptr, nullptr, &CollectMonitorRect, reinterpret_cast<LPARAM>(&list)));
    ASSERT_EQ(list.size(), static_cast<std::size_t>(::GetSystemMetrics(SM_CMONITORS)));
    EXPECT_EQ(list.front(), (MonitorRect{0, 0, 1024, 768}));
}

HWND MakeWindow(const wchar_t* title) {
    static const ATOM cls = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TdxForegroundProbe";
        return ::RegisterClassW(&wc);
    }();
    HWND w = ::CreateWindowExW(0, MAKEINTATOM(cls), title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 200, 120,
                               nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    return w;
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

HWND WaitForForeground(HWND expected) {
    HWND now = nullptr;
    for (int i = 0; i < 100; ++i) {
        Pump();
        now = ::GetForegroundWindow();
        if (now == expected) break;
        ::Sleep(20);
    }
    return now;
}

TEST(ForceForeground, TakesTheForegroundFromAnotherThread) {
    HWND mine = MakeWindow(L"mine");
    ASSERT_NE(mine, nullptr);

    // Another thread's window holds the foreground, as another program's would.
    std::atomic<HWND> theirs{nullptr};
    std::atomic<bool> ready{false};
    std::atomic<bool> done{false};
    std::atomic<bool> hang{false}, hanging{false};
    std::thread other([&] {
        HWND w = MakeWindow(L"theirs");
        ::SetForegroundWindow(w);
        theirs = w;
        ready = true;
        while (!done) {
            if (hang.exchange(false)) {
                // Takes the foreground back, then answers nothing for a while.
                ::SetForegroundWindow(w);
                hanging = true;
                ::Sleep(2500);
            }
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            ::Sleep(10);
        }
        ::DestroyWindow(w);
    });
    while (!ready) ::Sleep(10);
    if (!theirs) {
        done = true;
        other.join();
        FAIL() << "no window on the other thread";
    }
    ASSERT_EQ(WaitForForeground(theirs), theirs.load());

    ForceForeground(mine);
    EXPECT_EQ(WaitForForeground(mine), mine);

    // Asking for a window that already has the foreground changes nothing.
    ForceForeground(mine);
    EXPECT_EQ(WaitForForeground(mine), mine);

    // The window in front stops answering: it is not waited for, and the
    // foreground still comes over.
    EXPECT_TRUE(WindowAnswers(theirs, 1000));
    hang = true;
    while (!hanging) ::Sleep(10);
    EXPECT_FALSE(WindowAnswers(theirs, 200)) << "a hung window was taken for alive";
    ForceForeground(mine);
    EXPECT_EQ(WaitForForeground(mine), mine);

    done = true;
    other.join();
    ::DestroyWindow(mine);
}

}  // namespace
}  // namespace tdx
