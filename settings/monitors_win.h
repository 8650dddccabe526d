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

}  // namespace tdx
