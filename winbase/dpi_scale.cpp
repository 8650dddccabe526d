#include "winbase/dpi_scale.h"

namespace tdx {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Bound at run time: older systems lack it and then have one DPI for every monitor.
GetDpiForWindowFn DpiForWindowFunction() noexcept {
    static const auto function = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return function;
}

int SystemDpi() noexcept {
    // The system DPI changes only with a new sign-in.
    static const int dpi = [] {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
    }();
    return dpi;
}

}  // namespace

int WindowDpi(HWND hwnd) noexcept {
    if (hwnd) {
        if (const GetDpiForWindowFn function = DpiForWindowFunction()) {
            const UINT dpi = function(hwnd);
            if (dpi != 0) return static_cast<int>(dpi);
        }
    }
    return SystemDpi();
}

void UseDesignUnits(HDC dc, int dpi) noexcept {
    if (dpi == kDesignDpi || dpi <= 0) return;
    ::SetMapMode(dc, MM_ANISOTROPIC);
    ::SetWindowExtEx(dc, kDesignDpi, kDesignDpi, nullptr);
    ::SetViewportExtEx(dc, dpi, dpi, nullptr);
}

}  // namespace tdx
