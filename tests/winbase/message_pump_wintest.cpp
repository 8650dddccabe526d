// What every message loop of the program does: dialog keys of the modeless
// dialogs, and a close that arrives while a handler runs a nested loop.
#include <windows.h>

#include <gtest/gtest.h>

#include "winbase/form_window.h"
#include "winbase/message_pump.h"

namespace tdx {
namespace {

HWND TabStop(HWND parent, int y) {
    return ::CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, y, 80, 24, parent,
                             nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

TEST(MessagePump, TabInAModelessDialogMovesTheFocusAndElsewhereIsLeftAlone) {
    FormWindow form(L"TdxPumpTestForm", L"form", 200, 120);
    ASSERT_TRUE(form.Create(nullptr));
    const HWND first = TabStop(form.hwnd(), 10), second = TabStop(form.hwnd(), 50);
    ::ShowWindow(form.hwnd(), SW_SHOW);
    ::SetForegroundWindow(form.hwnd());
    ::SetFocus(first);
    ASSERT_EQ(::GetFocus(), first);
    ::PostMessageW(first, WM_KEYDOWN, VK_TAB, 0);
    ProcessPendingMessages();
    EXPECT_EQ(::GetFocus(), second);

    // A window that is no modeless dialog gets its keys itself.
    const HWND plain = ::CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 0,
                                         200, 120, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    const HWND a = TabStop(plain, 10);
    TabStop(plain, 50);
    ::SetForegroundWindow(plain);
    ::SetFocus(a);
    ::PostMessageW(a, WM_KEYDOWN, VK_TAB, 0);
    ProcessPendingMessages();
    EXPECT_EQ(::GetFocus(), a);
    ::DestroyWindow(plain);
    ::DestroyWindow(form.hwnd());
}

// A window that ends on WM_CLOSE, and a handler that runs a nested loop.
struct Closing {
    HWND window = nullptr;
    bool closed = false;
    bool closedDuringHandler = false;
    bool inHandler = false;
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Closing*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
        if (self && m == WM_CLOSE) {
            if (DeferCloseWhileNested(w)) return 0;
            self->closed = true;
            self->closedDuringHandler = self->inHandler;
            return 0;
        }
        if (self && m == WM_APP) {
            self->inHandler = true;
            ::PostMessageW(w, WM_CLOSE, 0, 0);
            ProcessPendingMessages();
            ProcessPendingMessages();
            self->inHandler = false;
            return 0;
        }
        return ::DefWindowProcW(w, m, wp, lp);
    }
};

TEST(MessagePump, ACloseMetInANestedLoopWaitsForTheHandlerToReturn) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Closing::Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TdxPumpTestClosing";
    ::RegisterClassW(&wc);
    Closing c;
    c.window = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    ASSERT_NE(c.window, nullptr);
    ::SetWindowLongPtrW(c.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&c));
    ::PostMessageW(c.window, WM_APP, 0, 0);
    // The main loop: take, dispatch, then let a deferred close go.
    MSG msg;
    for (int i = 0; i < 100 && !c.closed; ++i) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
        DispatchLoopMessage(msg);
        PostDeferredClose();
    }
    EXPECT_TRUE(c.closed);
    EXPECT_FALSE(c.closedDuringHandler);
    ::DestroyWindow(c.window);
}

}  // namespace
}  // namespace tdx
