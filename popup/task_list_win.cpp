#include "popup/task_list_win.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "popup/task_filter.h"

namespace tdx {
namespace {

// Every question about another program's window is a trip to the window
// system, so the cheapest facts that can rule a window out are read first, and
// a class's name is read once per class rather than once per window.
struct EnumContext {
    std::vector<WindowFacts> windows;
    std::vector<std::pair<ATOM, std::wstring>> classNames;
    const KnownClassNames* known = nullptr;
    KnownClassNames seen;

    std::wstring ClassNameOf(HWND window) {
        if (known) {
            for (const auto& [knownWindow, name] : *known) {
                if (knownWindow == window) {
                    seen.emplace_back(window, name);
                    return name;
                }
            }
        }
        std::wstring name = ReadClassName(window);
        seen.emplace_back(window, name);
        return name;
    }

    const std::wstring& ReadClassName(HWND window) {
        const ATOM atom = static_cast<ATOM>(::GetClassLongW(window, GCW_ATOM));
        if (atom != 0) {
            for (const auto& [known, name] : classNames) {
                if (known == atom) return name;
            }
        }
        wchar_t className[10]{};
        const int length = ::GetClassNameW(window, className, 10);
        std::wstring name(className, static_cast<std::size_t>(std::max(length, 0)));
        if (atom == 0) {
            scratch = std::move(name);
            return scratch;
        }
        return classNames.emplace_back(atom, std::move(name)).second;
    }
    std::wstring scratch;
};

bool SystemCloaked(HWND window) noexcept {
    using GetAttribute = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
    static const GetAttribute get = [] {
        HMODULE dwm = ::LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return dwm ? reinterpret_cast<GetAttribute>(::GetProcAddress(dwm, "DwmGetWindowAttribute")) : nullptr;
    }();
    constexpr DWORD kDwmwaCloaked = 14;
    DWORD cloaked = 0;
    return get && SUCCEEDED(get(window, kDwmwaCloaked, &cloaked, sizeof(cloaked))) && cloaked != 0;
}

CloakedQuery cloakedQuery = SystemCloaked;

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) noexcept {
    auto* context = reinterpret_cast<EnumContext*>(data);
    // A top-level window's parent is the desktop, which is always visible, so
    // its own style bit says whether it is visible. Hidden windows never qualify.
    const auto style = static_cast<std::uint32_t>(::GetWindowLongW(window, GWL_STYLE));
    if ((style & WS_VISIBLE) == 0) return TRUE;
    try {
        WindowFacts facts;
        facts.Window = window;
        facts.Visible = true;
        facts.ExStyle = static_cast<std::uint32_t>(::GetWindowLongW(window, GWL_EXSTYLE));
        // For a window whose parent is the desktop this is what GWLP_HWNDPARENT gives.
        facts.HasOwner = ::GetWindow(window, GW_OWNER) != nullptr;
        // Windows the Task tray leaves out whatever their title and class.
        if (facts.HasOwner || (facts.ExStyle != 0 && (facts.ExStyle & kExStyleWindowEdge) == 0))
            return TRUE;
        // The title the system keeps: reading it never sends a message, so a
        // window whose thread is stuck cannot stop the enumeration.
        wchar_t title[255]{};
        const int length = ::InternalGetWindowText(window, title, 255);
        if (length <= 0) return TRUE;  // untitled windows are not listed
        facts.Title.assign(title, static_cast<std::size_t>(length));
        facts.Cloaked = cloakedQuery(window);
        if (facts.Cloaked) return TRUE;
        facts.ClassName = context->ClassNameOf(window);
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
        // Finding a window's thread costs a trip to the window system, so it is
        // looked up only when some thread has already been found silent.
        if (!silent_.empty()) {
            const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
            if (std::find(silent_.begin(), silent_.end(), thread) != silent_.end()) return nullptr;
        }
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                   timeoutMs_, &result)) {
            silent_.push_back(::GetWindowThreadProcessId(window, nullptr));
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
    IconAsker asker(iconTimeoutMs);
    return CollectTaskListWith(residentMain, applicationIcon,
                               [&asker](WindowHandle window, TaskIconSource source) {
                                   return asker(window, source);
                               });
}

std::vector<LaunchItem> CollectTaskListWith(HWND residentMain, HICON applicationIcon,
                                            const TaskIconQuery& ask, KnownClassNames* known) {
    EnumContext context;
    context.known = known;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&context));
    if (known) *known = std::move(context.seen);
    return BuildTaskList(context.windows, residentMain, ask, applicationIcon);
}

void SetCloakedQuery(CloakedQuery query) noexcept { cloakedQuery = query ? query : SystemCloaked; }

void ActivateTask(HWND window) noexcept {
    if (!::IsWindow(window)) return;
    // Asynchronous: a program that does not answer must not freeze the popup.
    if (::IsIconic(window)) {
        // A console window takes the foreground only once it is asked first and
        // given a moment; restored without it, it stays behind.
        char className[5] = {};
        ::GetClassNameA(window, className, sizeof(className));
        if (lstrcmpA(className, "tty") == 0) {
            ::SetForegroundWindow(window);
            for (int i = 0; i < 10 && ::GetForegroundWindow() != window; ++i) ::Sleep(100);
        }
        ::ShowWindowAsync(window, SW_RESTORE);
    }
    ::SetForegroundWindow(window);
}

}  // namespace tdx
