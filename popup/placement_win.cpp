#include "popup/placement_win.h"

#include "settings/monitors_win.h"
#include "winbase/unique_handle.h"

namespace tdx {
namespace {

PixelSize WindowSize(HWND window) noexcept {
    RECT r{};
    ::GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

PixelSize PrimaryScreenSize() noexcept {
    return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

void MoveWindowTo(HWND window, PixelPoint at) noexcept {
    ::SetWindowPos(window, nullptr, at.X, at.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

bool ListMonitorRects(std::vector<PixelRect>& monitors) {
    // Looked up at run time: systems before multiple monitors lack the function.
    UniqueModule user32(::LoadLibraryW(L"user32.dll"));
    if (!user32) return false;
    using EnumMonitors = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
    auto enumerate = reinterpret_cast<EnumMonitors>(
        reinterpret_cast<void*>(::GetProcAddress(user32.get(), "EnumDisplayMonitors")));
    if (!enumerate) return false;
    MonitorList found;
    enumerate(nullptr, nullptr, CollectMonitorRect, reinterpret_cast<LPARAM>(&found));
    monitors.clear();
    for (const MonitorRect& m : found) monitors.push_back({m.Left, m.Top, m.Right, m.Bottom});
    return true;
}

ScreenFacts GatherScreenFacts() {
    ScreenFacts facts;
    POINT mouse{};
    ::GetCursorPos(&mouse);
    facts.Mouse = {mouse.x, mouse.y};
    std::vector<PixelRect> monitors;
    if (ListMonitorRects(monitors)) facts.Monitors = std::move(monitors);
    facts.PrimaryScreen = PrimaryScreenSize();
    if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) {
        RECT r{};
        if (::GetWindowRect(taskbar, &r)) facts.Taskbar = PixelRect{r.left, r.top, r.right, r.bottom};
    }
    return facts;
}

void PlaceFormAtCursor(HWND window, int anchorX, int anchorY, bool moveMouse) noexcept {
    try {
        const CursorPlacement placement =
            PlaceFormAtCursor(WindowSize(window), {anchorX, anchorY}, moveMouse, GatherScreenFacts());
        MoveWindowTo(window, placement.TopLeft);
        if (placement.NewMouse) ::SetCursorPos(placement.NewMouse->X, placement.NewMouse->Y);
    } catch (...) {
        // Out of memory while listing monitors: the window stays where it was.
    }
}

void CenterFormOnScreen(HWND window) noexcept {
    MoveWindowTo(window, CenterFormOnScreen(WindowSize(window), PrimaryScreenSize()));
}

void AlignFormToRect(HWND window, int x, int y, int width, int height, int position) noexcept {
    MoveWindowTo(window, AlignFormToRect(WindowSize(window), {x, y}, {width, height}, position,
                                         PrimaryScreenSize()));
}

void ShowFormAlignedToRect(HWND window, int x, int y, int width, int height,
                           int position) noexcept {
    AlignFormToRect(window, x, y, width, height, position);
    ::ShowWindow(window, SW_SHOW);
    ::BringWindowToTop(window);
}

}  // namespace tdx
