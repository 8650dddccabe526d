// What the popup does to the windows of the Task tray: close, minimise or
// maximise one of them, and close or minimise all of them.
#include <windows.h>

#include <unordered_set>
#include <vector>

#include "popup/tdx_main_form.h"
#include "settings/monitors_win.h"

namespace tdx {
namespace {

// Whether the window's thread answers at all within the time-out. A hung
// window must not be made the foreground either: the foreground change waits
// for the old foreground's thread on some systems.
bool Answers(HWND window) noexcept { return WindowAnswers(window, kCloseRequestTimeoutMs); }

// Asks a window to close as its own close box would. A window that does not
// answer within the time-out is left as it is, so a hung program never holds
// the popup; false then.
bool RequestClose(HWND window) noexcept {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window, WM_SYSCOMMAND, SC_CLOSE, 0,
                                 SMTO_ABORTIFHUNG | SMTO_NORMAL, kCloseRequestTimeoutMs,
                                 &result) != 0;
}

}  // namespace

void TTdxMainForm::CloseTask(std::int32_t tray, std::int32_t index) noexcept {
    if (!IsShownCell(trays_, tray, index)) return;
    if (tray == kTaskTray) {
        RequestClose(static_cast<HWND>(trays_[kTaskTray].Items[static_cast<std::size_t>(index)].Window));
        RefreshTaskList();
    }
    try {
        const NavigationSettings settings = Settings();
        PopupNavigator(trays_, nav_, settings).SettleAfterCloseTask(tray);
    } catch (...) {
        // Only building the settings can throw, for want of memory; the cursor stays.
    }
    if (tray == kTaskTray) RedrawAfterTaskChange();
}

void TTdxMainForm::RedrawAfterTaskChange() noexcept {
    // The picture of the Task tray no longer matches its entries.
    PaintBoxOf(kTaskTray).DrawNow([](HDC dc) {
        RECT r{};
        ::GetClipBox(dc, &r);
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    });
    LayoutTrays();
    for (TPaintBox& box : paintBoxes_) ::InvalidateRect(box.hwnd(), nullptr, FALSE);
    ::UpdateWindow(hwnd());
    for (TPaintBox& box : paintBoxes_) ::UpdateWindow(box.hwnd());
    const TrayState& active = trays_[static_cast<std::size_t>(nav_.ActiveTray)];
    DrawCellNow(nav_.ActiveTray, active.CursorIndex, CellState::Cursor);
    ShowCursorTitle(nav_.ActiveTray, active.CursorIndex);
}

void TTdxMainForm::ShowOrMinimiseTask(std::int32_t tray, std::int32_t index, bool maximise) noexcept {
    if (tray != kTaskTray || !IsShownCell(trays_, tray, index)) return;
    const auto window = static_cast<HWND>(trays_[kTaskTray].Items[static_cast<std::size_t>(index)].Window);
    if (maximise) {
        // Maximised synchronously, so the popup takes the foreground back after
        // the task has taken it; a task that does not answer is only asked.
        if (Answers(window))
            ::ShowWindow(window, SW_SHOWMAXIMIZED);
        else
            ::ShowWindowAsync(window, SW_SHOWMAXIMIZED);
    } else if (!::IsIconic(window)) ::PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    // The user goes on working in the popup.
    ::SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ForceForeground(hwnd());
}

void TTdxMainForm::AllTasks(bool close) noexcept {
    if (!close) {
        // The taskbar's own "minimise all windows" command.
        if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr))
            ::PostMessageW(taskbar, WM_COMMAND, 415, 0);
        return;
    }
    TrayState& tasks = trays_[kTaskTray];
    if (tasks.Items.empty()) return;
    const std::int32_t cursor = tasks.CursorIndex;
    try {
        // Each task is asked once, front to back. One that refuses or does not
        // answer is left, and the others are still asked: asking the first
        // remaining entry again and again would let one hung window hold the
        // loop for a time-out per task and leave every other task open.
        std::vector<HWND> windows;
        windows.reserve(tasks.Items.size());
        for (const LaunchItem& item : tasks.Items) windows.push_back(static_cast<HWND>(item.Window));
        for (HWND window : windows) {
            // Closing one window may have closed others (owned windows go with it).
            if (!::IsWindow(window) || !Answers(window)) continue;
            ForceForeground(window);
            RequestClose(window);
        }
    } catch (...) {
        // Out of memory before anything was asked: nothing is closed.
    }
    RefreshTaskList();
    tasks.CursorIndex = cursor;
}

}  // namespace tdx
