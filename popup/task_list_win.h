// The Task tray's entries from the desktop's top-level windows (task_filter.h
// holds the rules). CollectTaskList asks other programs' windows for their
// icons with a time-out, so a program that does not answer costs one time-out
// at most; the popup itself asks nobody while it shows (task_icon_cache_win.h).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "popup/task_filter.h"
#include "settings/launch_item.h"

namespace tdx {

// How long one window may take to answer an icon request.
inline constexpr UINT kTaskIconTimeoutMs = 150;

// The listed windows in Task tray order, each with an icon it keeps owning.
std::vector<LaunchItem> CollectTaskList(HWND residentMain, HICON applicationIcon,
                                        UINT iconTimeoutMs = kTaskIconTimeoutMs);

// Class names of windows seen by an earlier listing. A window keeps its class
// for life and a handle is not given to another window soon, so a window seen
// before costs no question about its class.
using KnownClassNames = std::vector<std::pair<HWND, std::wstring>>;

// The same list with each icon taken from `ask` (task_filter.h gives the order
// of sources): the show path answers from what it already knows. With `known`,
// class names are taken from it and it is left holding those of the windows
// seen now.
std::vector<LaunchItem> CollectTaskListWith(HWND residentMain, HICON applicationIcon,
                                            const TaskIconQuery& ask, KnownClassNames* known = nullptr);

// Whether a window is cloaked. The system's answer comes from the desktop
// window manager (loaded at run time; none before Windows 8); tests put in
// their own, since Wine cloaks nothing. Null puts the system's back.
using CloakedQuery = bool (*)(HWND window);
void SetCloakedQuery(CloakedQuery query) noexcept;

// Brings a task's window to the front, restoring it when it is minimised. A
// window that has gone meanwhile is ignored.
void ActivateTask(HWND window) noexcept;

}  // namespace tdx
