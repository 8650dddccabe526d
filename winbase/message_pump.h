// What every message loop of the program does with a message, and the nested
// loop that lets pending messages run in the middle of a handler.
#pragma once

#include <windows.h>

#include "winbase/window_messages.h"

namespace tdx {

// While one lives, a modal loop of the program's own runs (a message box, the
// system's open-file dialog, whose window is not always one that
// FindActiveModalDialog can see): the hotkey, gestures and the notification
// menu keep out until it ends. The program's windows all live on one thread.
class ModalScope {
public:
    ModalScope() noexcept { ++Depth(); }
    ~ModalScope() { --Depth(); }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    static bool Active() noexcept { return Depth() > 0; }

private:
    static int& Depth() noexcept {
        static int depth = 0;
        return depth;
    }
};

}  // namespace tdx

namespace tdx {

namespace pump_detail {
inline int nestedDepth = 0;          // nested loops now running on this (the only GUI) thread
inline HWND deferredClose = nullptr;  // window whose WM_CLOSE waits for the outer handler
inline constexpr wchar_t kModelessDialogProp[] = L"TdxModelessDialog";
}  // namespace pump_detail

// Marks a window as a modeless dialog: the loops route its keys (Tab, Enter,
// Esc, arrows, access keys) through IsDialogMessage.
inline void MarkModelessDialog(HWND dialog) noexcept {
    ::SetPropW(dialog, pump_detail::kModelessDialogProp, reinterpret_cast<HANDLE>(1));
}
inline void UnmarkModelessDialog(HWND dialog) noexcept {
    ::RemovePropW(dialog, pump_detail::kModelessDialogProp);
}

// F1 alone in a dialog asks the dialog for help (WM_HELP), unless the control
// with the focus takes every key (the direct-key box records F1 as a key).
inline bool RouteHelpKey(const MSG& msg, HWND root) noexcept {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_F1) return false;
    if (::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0)
        return false;
    MSG copy = msg;
    if (::SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&copy)) &
        DLGC_WANTALLKEYS)
        return false;
    HELPINFO info{};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = ::GetDlgCtrlID(msg.hwnd);
    info.hItemHandle = msg.hwnd;
    info.dwContextId = ::GetWindowContextHelpId(msg.hwnd);
    ::GetCursorPos(&info.MousePos);
    ::SendMessageW(root, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    return true;
}

// Translates and dispatches one message taken from the queue; the keys of a
// modeless dialog go to IsDialogMessage instead.
inline void DispatchLoopMessage(MSG& msg) noexcept {
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && msg.hwnd) {
        const HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
        if (root && ::GetPropW(root, pump_detail::kModelessDialogProp)) {
            if (RouteHelpKey(msg, root)) return;
            if (::SendMessageW(root, WM_DIALOGKEY, 0, reinterpret_cast<LPARAM>(&msg))) return;
            if (::IsDialogMessageW(root, &msg)) return;
        }
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

// A window's WM_CLOSE handler asks this first: inside a nested loop the close
// would destroy what the interrupted handler is still using, so it is noted
// (true) and posted again by PostDeferredClose once that handler has returned.
inline bool DeferCloseWhileNested(HWND window) noexcept {
    if (pump_detail::nestedDepth == 0) return false;
    pump_detail::deferredClose = window;
    return true;
}

// For the main loop, after each message it dispatched.
inline void PostDeferredClose() noexcept {
    if (pump_detail::nestedDepth != 0 || !pump_detail::deferredClose) return;
    const HWND window = pump_detail::deferredClose;
    pump_detail::deferredClose = nullptr;
    ::PostMessageW(window, WM_CLOSE, 0, 0);
}

// Handles every message now pending for this thread. A WM_QUIT met here is
// posted again, so the main loop still ends.
inline void ProcessPendingMessages() noexcept {
    ++pump_detail::nestedDepth;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        DispatchLoopMessage(msg);
    }
    --pump_detail::nestedDepth;
}

// The modal dialog now up on this thread and taking input (a message box or a
// common dialog: both are of the system's dialog class), or null. The program's
// own forms are of classes of their own, so they never count.
inline HWND FindActiveModalDialog() noexcept {
    HWND found = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM result) -> BOOL {
            wchar_t name[8]{};
            if (!::IsWindowVisible(window) || !::IsWindowEnabled(window) ||
                ::GetClassNameW(window, name, 8) == 0 || ::lstrcmpW(name, L"#32770") != 0)
                return TRUE;
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace tdx
