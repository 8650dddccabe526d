// Desktop helpers shared by the popup and the controller: the monitor
// rectangles and taking the foreground.
#pragma once

#include <windows.h>

#include "settings/monitors.h"

namespace tdx {

// Monitor enumeration callback: data is a MonitorList*; appends the monitor's
// full rectangle and goes on.
BOOL CALLBACK CollectMonitorRect(HMONITOR monitor, HDC dc, LPRECT rect, LPARAM data) noexcept;

// Brings window to the foreground even when another program's thread owns the
// foreground: the calling thread's input is attached to that thread meanwhile.
void ForceForeground(HWND window) noexcept;

// How long ForceForeground waits for the program in front to show it is alive.
inline constexpr UINT kForegroundAnswerMs = 500;

// Whether the window's thread takes a message within the time-out; a hung one
// does not, and one that has not answered for seconds is not even waited for.
bool WindowAnswers(HWND window, UINT timeoutMs) noexcept;

}  // namespace tdx
