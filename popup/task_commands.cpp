#include "popup/task_commands.h"

#include <algorithm>

#include "settings/monitors_win.h"

namespace tdx {
namespace {

// Whether the window's thread answers at all within the time-out. A hung
// window must not be made the foreground either: the foreground change waits
// for the old foreground's thread on some systems.
bool Answers(HWND window) noexcept { return WindowAnswers(window, kCloseRequestTimeoutMs); }

}  // namespace

bool TaskCommands::Close(HWND window) const noexcept {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                                 kCloseRequestTimeoutMs, &result) != 0;
}

void TaskCommands::ShowOrMinimise(HWND window, bool maximise) const noexcept {
    if (maximise) {
        // Maximised synchronously, so the popup takes the foreground back after
        // the task has taken it; a task that does not answer is only asked.
        if (Answers(window))
            ::ShowWindow(window, SW_SHOWMAXIMIZED);
        else
            ::ShowWindowAsync(window, SW_SHOWMAXIMIZED);
    } else if (!::IsIconic(window)) {
        ::PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    }
    ::SetWindowPos(popup_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ForceForeground(popup_);
}

void TaskCommands::CloseAll(const std::vector<HWND>& windows) const noexcept {
    // Asking the first remaining entry again and again would let one hung
    // window hold the loop for a time-out per task and leave every other open.
    // Each window that did not answer has had its one time-out: when the
    // system makes it the foreground after closing another (the next in
    // Z-order), the foreground change must not wait on it once more.
    std::vector<HWND> unanswering;
    for (HWND window : windows) {
        // Closing one window may have closed others (owned windows go with it).
        if (!::IsWindow(window)) continue;
        if (!Answers(window)) {
            try {
                unanswering.push_back(window);
            } catch (...) {
                // Out of memory: a foreground change may ask it again, no more.
            }
            continue;
        }
        // In front, so that a "save changes?" question it asks is seen.
        const HWND front = ::GetForegroundWindow();
        if (std::find(unanswering.begin(), unanswering.end(), front) != unanswering.end())
            ::SetForegroundWindow(window);
        else
            ForceForeground(window);
        Close(window);
    }
}

void TaskCommands::MinimiseAll() const noexcept {
    if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) ::PostMessageW(taskbar, WM_COMMAND, 415, 0);
}

}  // namespace tdx
