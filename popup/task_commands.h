// What the popup does to the windows of the Task tray: close, minimise or
// maximise one of them, and close or minimise all of them. It knows only the
// windows it is handed and the popup's own window, which it brings back to the
// front; which cell shows which window stays the popup's business.
#pragma once

#include <windows.h>

#include <vector>

namespace tdx {

// How long a task may take to answer a close request before it is left alone.
inline constexpr UINT kCloseRequestTimeoutMs = 2000;

class TaskCommands {
public:
    void SetPopup(HWND popup) noexcept { popup_ = popup; }

    // Asks the window to close as its own close box would. A window that does
    // not answer within the time-out is left as it is, so a hung program never
    // holds the popup; false then.
    bool Close(HWND window) const noexcept;
    // Maximises or minimises the window; the user goes on working in the popup.
    void ShowOrMinimise(HWND window, bool maximise) const noexcept;
    // Asks each window once, front to back; one that refuses or does not answer
    // is left, and the others are still asked.
    void CloseAll(const std::vector<HWND>& windows) const noexcept;
    // The taskbar's own "minimise all windows" command.
    void MinimiseAll() const noexcept;

private:
    HWND popup_ = nullptr;
};

}  // namespace tdx
