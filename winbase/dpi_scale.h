// Every window lays itself out as a table of design values at 96 DPI and puts
// each figure through ScaleDpi, so that per-monitor DPI stays one change in
// WindowDpi and 96 DPI stays pixel-exact.
#pragma once

#include <windows.h>

namespace tdx {

inline constexpr int kDesignDpi = 96;

// A design value (pixels at 96 DPI) at the given DPI, rounded to the nearest pixel.
constexpr int ScaleDpi(int designValue, int dpi) noexcept {
    if (dpi == kDesignDpi) return designValue;
    const long long scaled = static_cast<long long>(designValue) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + kDesignDpi / 2) / kDesignDpi
                                        : -((-scaled + kDesignDpi / 2) / kDesignDpi));
}

// The DPI a window is drawn at. The program declares no DPI awareness, so the
// system scales it and this is the design DPI everywhere.
int WindowDpi(HWND hwnd) noexcept;

inline int ScaleForWindow(HWND hwnd, int designValue) noexcept {
    return ScaleDpi(designValue, WindowDpi(hwnd));
}

}  // namespace tdx
