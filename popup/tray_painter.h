// Drawing of tray cells, borders and screens on a device context. The popup
// uses it for its three paint boxes; the icon registration dialog draws its own
// grids with the same calls.
#pragma once

#include <windows.h>

#include <cstdint>

#include "popup/tray_layout.h"
#include "settings/option_set.h"

namespace tdx {

// System colours in the stored colour encoding.
inline constexpr ColorValue kButtonFaceColor = 0x8000000Fu;
inline constexpr ColorValue kButtonShadowColor = 0x80000010u;
inline constexpr ColorValue kButtonHighlightColor = 0x80000014u;

// A stored colour as GDI wants it: top bit set = the system colour of the low byte.
COLORREF ResolveColor(ColorValue value) noexcept;

// Everything DrawCell reads besides the device context.
struct CellPaintContext {
    const Trays& trays;
    const OptionSet& options;
    const ShiftedDigits& digits;
    // GetCdMode of the shared device, cached when the popup was shown.
    std::int32_t cdMode = 0;
    // The System tray holds an in-use "CD Player" entry.
    bool cdPlayerInUse = false;
};

// One cell of a tray at its place in the grid, in the given state. A cell whose
// index names no entry gets its frame only.
void DrawCell(HDC dc, const CellPaintContext& context, std::int32_t tray, std::int32_t index,
              CellState state) noexcept;
// Every shown cell of a tray in the normal state.
void DrawAllCells(HDC dc, const CellPaintContext& context, std::int32_t tray) noexcept;
// The whole tray as the popup shows it: background, cells, the cursor cell when
// the tray is active, and the border.
void PaintTray(HDC dc, const CellPaintContext& context, std::int32_t tray, bool active,
               SIZE box) noexcept;
// The sunken one-pixel border around a paint box of the given size.
void DrawTrayBorder(HDC dc, int width, int height) noexcept;
void ClearPaintBox(HDC dc, int width, int height, ColorValue color) noexcept;
void ClearPaintBox(HWND paintBox, ColorValue color) noexcept;
// Screens a switched-off cell with the "NETPATTERN" checkerboard.
void DrawNotInUseScreen(HDC dc, std::int32_t index, std::int32_t columns) noexcept;
// The CD state icon over the "CD Player" entry.
void DrawCdOverlay(HDC dc, int x, int y, std::int32_t cdMode) noexcept;
// Shift with a digit key, on the keyboard in use, as the direct-key labels
// need it. Direct keys are code-page-932 bytes; the shifted characters of both
// layouts are single bytes as well.
ShiftedDigits KeyboardShiftedDigits();

// "ＭＳ ゴシック" with 12-pixel character cells, for the direct-key labels.
HFONT DirectKeyFont() noexcept;

}  // namespace tdx
