#include "popup/task_filter.h"

#include <algorithm>

namespace tdx {

bool IsTaskWindow(const WindowFacts& window, WindowHandle residentMain) {
    if (window.Title.empty()) return false;
    if (window.HasOwner) return false;
    if (window.ExStyle != 0 && (window.ExStyle & kExStyleWindowEdge) == 0) return false;
    if (!window.Visible || window.Cloaked) return false;
    if (window.Window == residentMain) return false;
    return window.ClassName != L"Progman";  // case-sensitive on purpose
}

std::wstring TaskTitle(std::wstring_view title) {
    std::size_t length = std::min(title.size(), kMaxTaskTitle);
    if (length < title.size() && length > 0) {
        const wchar_t last = title[length - 1];
        if (last >= 0xD800 && last <= 0xDBFF) --length;
    }
    return std::wstring(title.substr(0, length));
}

void RotateFrontmostToEnd(std::vector<LaunchItem>& tasks) {
    // One move per entry; std::rotate swapped each, three moves apiece.
    if (tasks.size() < 2) return;
    LaunchItem front = std::move(tasks.front());
    for (std::size_t i = 1; i < tasks.size(); ++i) tasks[i - 1] = std::move(tasks[i]);
    tasks.back() = std::move(front);
}

IconHandle PickTaskIcon(WindowHandle window, const TaskIconQuery& ask, IconHandle applicationIcon) {
    if (ask) {
        for (TaskIconSource source : kTaskIconOrder) {
            if (IconHandle icon = ask(window, source)) return icon;
        }
    }
    return applicationIcon;
}

std::vector<LaunchItem> BuildTaskList(const std::vector<WindowFacts>& zOrder,
                                      WindowHandle residentMain, const TaskIconQuery& ask,
                                      IconHandle applicationIcon) {
    std::vector<LaunchItem> tasks;
    for (const WindowFacts& window : zOrder) {
        if (!IsTaskWindow(window, residentMain)) continue;
        LaunchItem item;
        item.Window = window.Window;
        item.Title = TaskTitle(window.Title);
        item.Status = 0;
        tasks.push_back(std::move(item));
    }
    for (LaunchItem& item : tasks) {
        if (item.Window) item.Icon = PickTaskIcon(item.Window, ask, applicationIcon);
    }
    RotateFrontmostToEnd(tasks);
    return tasks;
}

}  // namespace tdx
