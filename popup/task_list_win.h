// The Task tray's entries from the desktop's top-level windows (task_filter.h
// holds the rules). Other programs' windows are asked for their icons with a
// time-out, so a program that does not answer never holds the popup back.
#pragma once

#include <windows.h>

#include <vector>

#include "settings/launch_item.h"

namespace tdx {

// How long one window may take to answer an icon request.
inline constexpr UINT kTaskIconTimeoutMs = 150;

// The listed windows in Task tray order, each with an icon it keeps owning.
std::vector<LaunchItem> CollectTaskList(HWND residentMain, HICON applicationIcon,
                                        UINT iconTimeoutMs = kTaskIconTimeoutMs);

// Brings a task's window to the front, restoring it when it is minimised. A
// window that has gone meanwhile is ignored.
void ActivateTask(HWND window) noexcept;

}  // namespace tdx
