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

// A device value back in design units. Positions round down, so that a point
// maps into the design cell that holds it.
constexpr int UnscaleDpi(int deviceValue, int dpi) noexcept {
    if (dpi == kDesignDpi || dpi <= 0) return deviceValue;
    const long long design = static_cast<long long>(deviceValue) * kDesignDpi;
    return static_cast<int>(design >= 0 ? design / dpi : -((-design + dpi - 1) / dpi));
}

// The DPI a window is drawn at: its monitor's (the program is per-monitor
// aware), or the system's where the window system cannot say; without a
// window, the system's.
int WindowDpi(HWND hwnd) noexcept;

// Lets drawing code written in design units draw on dc at dpi: the same ratio
// as ScaleDpi, applied by the DC's mapping. At the design DPI the DC is left
// as it is, so that every pixel stays exact.
void UseDesignUnits(HDC dc, int dpi) noexcept;

inline int ScaleForWindow(HWND hwnd, int designValue) noexcept {
    return ScaleDpi(designValue, WindowDpi(hwnd));
}

// Places a control from design units at dpi: the one way every window moves
// its controls, so that a DPI change is one call per control.
inline void MoveControl(HWND control, int dpi, int left, int top, int width, int height) noexcept {
    ::SetWindowPos(control, nullptr, ScaleDpi(left, dpi), ScaleDpi(top, dpi), ScaleDpi(width, dpi),
                   ScaleDpi(height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tdx
