// Which top-level windows the Task tray lists, in which order, and where each
// one's icon comes from. The Win32 layer gathers the facts (EnumWindows gives
// them front-most first) and asks the icon sources; the rules are here.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/launch_item.h"

namespace tdx {

struct WindowFacts {
    WindowHandle Window = nullptr;
    std::wstring Title;
    std::wstring ClassName;
    bool HasOwner = false;
    std::uint32_t ExStyle = 0;
    bool Visible = false;  // minimised windows are visible
    // Visible to the window system but not shown: a suspended store app, a
    // window on another virtual desktop.
    bool Cloaked = false;
};

inline constexpr std::uint32_t kExStyleWindowEdge = 0x100;
inline constexpr std::size_t kMaxTaskTitle = 254;

// A titled, unowned, visible and not cloaked window that is not the program's
// own main window nor the desktop's "Progman"; with extended style bits it must
// carry WS_EX_WINDOWEDGE (a tool window alone is left out).
bool IsTaskWindow(const WindowFacts& window, WindowHandle residentMain);

// The window text as the Task tray keeps it: at most 254 characters, never
// ending in half a surrogate pair.
std::wstring TaskTitle(std::wstring_view title);

// The front-most window (usually the one the user came from) goes last, so the
// first cell holds the window behind it.
void RotateFrontmostToEnd(std::vector<LaunchItem>& tasks);

// Where a task's icon is looked for, in this order; the program's
// ApplicationIcon when none answers.
enum class TaskIconSource {
    WindowBigIcon,  // WM_GETICON with ICON_BIG
    ClassIcon,      // the window class's icon
    DragIcon,       // WM_QUERYDRAGICON
};
inline constexpr std::array<TaskIconSource, 3> kTaskIconOrder{
    TaskIconSource::WindowBigIcon, TaskIconSource::ClassIcon, TaskIconSource::DragIcon};

using TaskIconQuery = std::function<IconHandle(WindowHandle window, TaskIconSource source)>;

// The first source that gives an icon, or the fallback; later sources are not asked.
IconHandle PickTaskIcon(WindowHandle window, const TaskIconQuery& ask, IconHandle applicationIcon);

// RefreshTaskList's rules: windows in Z-order, front-most first, become Task
// entries (Window, Title, Status 0, an icon the entry does not own), then the
// front-most one moves to the end.
std::vector<LaunchItem> BuildTaskList(const std::vector<WindowFacts>& zOrder,
                                      WindowHandle residentMain, const TaskIconQuery& ask,
                                      IconHandle applicationIcon);

}  // namespace tdx
