#include "popup/task_list_win.h"

#include <algorithm>

#include "popup/task_filter.h"

namespace tdx {
namespace {

struct EnumContext {
    std::vector<WindowFacts> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) noexcept {
    auto* context = reinterpret_cast<EnumContext*>(data);
    // Hidden windows never qualify; skipping them early spares a text request each.
    if (!::IsWindowVisible(window)) return TRUE;
    try {
        WindowFacts facts;
        facts.Window = window;
        facts.Visible = true;
        // The title the system keeps: reading it never sends a message, so a
        // window whose thread is stuck cannot stop the enumeration.
        wchar_t title[255]{};
        const int length = ::InternalGetWindowText(window, title, 255);
        facts.Title.assign(title, static_cast<std::size_t>(std::max(length, 0)));
        wchar_t className[10]{};
        const int classLength = ::GetClassNameW(window, className, 10);
        facts.ClassName.assign(className, static_cast<std::size_t>(std::max(classLength, 0)));
        facts.HasOwner = ::GetWindowLongPtrW(window, GWLP_HWNDPARENT) != 0;
        facts.ExStyle = static_cast<std::uint32_t>(::GetWindowLongW(window, GWL_EXSTYLE));
        context->windows.push_back(std::move(facts));
    } catch (...) {
        return FALSE;  // out of memory: list what was found so far
    }
    return TRUE;
}

// Asks windows for their icons. Once a thread has let one request time out, its
// other windows are not asked again during this rebuild: each hung program costs
// one time-out at most.
class IconAsker {
public:
    explicit IconAsker(UINT timeoutMs) : timeoutMs_(timeoutMs) {}

    IconHandle operator()(WindowHandle handle, TaskIconSource source) {
        HWND window = static_cast<HWND>(handle);
        switch (source) {
        case TaskIconSource::WindowBigIcon:
            return Ask(window, WM_GETICON, ICON_BIG);
        case TaskIconSource::ClassIcon:
            return reinterpret_cast<IconHandle>(::GetClassLongPtrW(window, GCLP_HICON));
        case TaskIconSource::DragIcon:
            return Ask(window, WM_QUERYDRAGICON, 0);
        }
        return nullptr;
    }

private:
    IconHandle Ask(HWND window, UINT message, WPARAM wParam) {
        const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
        if (std::find(silent_.begin(), silent_.end(), thread) != silent_.end()) return nullptr;
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                   timeoutMs_, &result)) {
            silent_.push_back(thread);
            return nullptr;
        }
        return reinterpret_cast<IconHandle>(result);
    }

    UINT timeoutMs_;
    std::vector<DWORD> silent_;
};

}  // namespace

std::vector<LaunchItem> CollectTaskList(HWND residentMain, HICON applicationIcon,
                                        UINT iconTimeoutMs) {
    EnumContext context;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&context));
    IconAsker asker(iconTimeoutMs);
    return BuildTaskList(context.windows, residentMain,
                         [&asker](WindowHandle window, TaskIconSource source) {
                             return asker(window, source);
                         },
                         applicationIcon);
}

void ActivateTask(HWND window) noexcept {
    if (!::IsWindow(window)) return;
    // Asynchronous: a program that does not answer must not freeze the popup.
    if (::IsIconic(window)) ::ShowWindowAsync(window, SW_RESTORE);
    ::SetForegroundWindow(window);
}

}  // namespace tdx
