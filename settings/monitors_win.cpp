#include "settings/monitors_win.h"

#include <new>

namespace tdx {

BOOL CALLBACK CollectMonitorRect(HMONITOR, HDC, LPRECT rect, LPARAM data) noexcept {
    auto* list = reinterpret_cast<MonitorList*>(data);
    if (!list || !rect) return TRUE;
    try {
        list->push_back({rect->left, rect->top, rect->right, rect->bottom});
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

bool WindowAnswers(HWND window, UINT timeoutMs) noexcept {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

void ForceForeground(HWND window) noexcept {
    const DWORD own = ::GetCurrentThreadId();
    const HWND current = ::GetForegroundWindow();
    const DWORD foreground = ::GetWindowThreadProcessId(current, nullptr);
    // A thread cannot attach to itself, and there may be no foreground window.
    // Attached to a program that does not answer, the foreground change can
    // wait on it for good: then the window only asks for the foreground.
    const bool attached = foreground != 0 && foreground != own && !::IsHungAppWindow(current) &&
                          WindowAnswers(current, kForegroundAnswerMs) && ::AttachThreadInput(own, foreground, TRUE);
    // The result is not reported: the callers have nothing to do when the
    // system refuses the foreground.
    ::SetForegroundWindow(window);
    if (!attached) return;
    ::AttachThreadInput(own, foreground, FALSE);
    // Wine leaves no foreground window at all once the input is detached
    // again; asking a second time, with our input our own, restores it. On
    // Windows the window already has the foreground and nothing happens.
    if (::GetForegroundWindow() != window) ::SetForegroundWindow(window);
}

}  // namespace tdx
