#include "popup/tray_painter.h"

#include "settings/keyboard_digits.h"
#include "winbase/unique_handle.h"
#include "winbase/window_base.h"

namespace tdx {
namespace {

using UniquePen = UniqueHandle<HPEN, detail::DeleteGdiObject>;

UniquePen SolidPen(int width, ColorValue color) noexcept {
    return UniquePen(::CreatePen(PS_SOLID, width, ResolveColor(color)));
}

void Polyline3(HDC dc, ColorValue color, POINT a, POINT b, POINT c) noexcept {
    UniquePen pen = SolidPen(1, color);
    SelectObjectGuard keepPen(dc, pen.get());
    const POINT points[] = {a, b, c};
    ::Polyline(dc, points, 3);
}

// Fills the frame corners with a pen and brush of their own, as a rectangle call.
void FramedRectangle(HDC dc, const PixelRect& corners, int penWidth, ColorValue penColor,
                     COLORREF brushColor) noexcept {
    UniquePen pen = SolidPen(penWidth, penColor);
    UniqueBrush brush(::CreateSolidBrush(brushColor));
    SelectObjectGuard keepPen(dc, pen.get());
    SelectObjectGuard keepBrush(dc, brush.get());
    ::Rectangle(dc, corners.Left, corners.Top, corners.Right, corners.Bottom);
}

void DrawFrame(HDC dc, const OptionSet& options, CellFrame frame, const PixelRect& corners) noexcept {
    const COLORREF face = ResolveColor(kButtonFaceColor);
    switch (frame) {
    case CellFrame::Erase:
        FramedRectangle(dc, corners, 2, kButtonFaceColor, face);
        break;
    case CellFrame::ColourFrame:
        FramedRectangle(dc, corners, 2, options.BackColor, face);
        break;
    case CellFrame::ColourFrameBlack:
        FramedRectangle(dc, corners, 2, options.BackColor, RGB(0, 0, 0));
        break;
    case CellFrame::RaisedButton: {
        const int x = corners.Left;
        const int y = corners.Top;
        Polyline3(dc, kButtonHighlightColor, {x, y + 37}, {x, y}, {x + 38, y});
        Polyline3(dc, kButtonShadowColor, {x, y + 37}, {x + 37, y + 37}, {x + 37, y - 1});
        break;
    }
    case CellFrame::Nothing:
        break;
    }
}

// An 8 x 8 one-bit checkerboard, rows padded to 16 bits, for when the program
// was built without its resources.
UniqueBitmap CheckerboardBitmap() noexcept {
    static const WORD rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    return UniqueBitmap(::CreateBitmap(8, 8, 1, 1, rows));
}

}  // namespace

COLORREF ResolveColor(ColorValue value) noexcept {
    if (value & kSystemColorFlag) return ::GetSysColor(static_cast<int>(value & 0xFF));
    return static_cast<COLORREF>(value & 0x00FFFFFF);
}

HFONT DirectKeyFont() noexcept {
    static const UniqueFont font(::CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                               SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                               FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック"));
    return font.get();
}

void DrawCell(HDC dc, const CellPaintContext& context, std::int32_t tray, std::int32_t index,
              CellState state) noexcept {
    try {
        const CellLook look =
            DescribeCell(context.trays, tray, index, state, context.options, context.digits, context.cdPlayerInUse);
        DrawFrame(dc, context.options, look.Frame, look.FrameCorners);
        if (!look.HasEntry) return;
        if (look.Icon) {
            ::DrawIconEx(dc, look.IconRect.Left, look.IconRect.Top, static_cast<HICON>(look.Icon), kIconSize,
                         kIconSize, 0, nullptr, DI_NORMAL);
        }
        if (look.CdOverlay) DrawCdOverlay(dc, look.IconRect.Left, look.IconRect.Top, context.cdMode);
        if (look.Label) {
            ::SetBkMode(dc, TRANSPARENT);
            SelectObjectGuard keepFont(dc, DirectKeyFont());
            FramedRectangle(dc, look.LabelCorners, 1, context.options.BackColor,
                            ResolveColor(context.options.BackColor));
            ::SetTextColor(dc, ResolveColor(context.options.TextColor));
            ::TextOutW(dc, look.LabelOrigin.X, look.LabelOrigin.Y, look.Label->c_str(),
                       static_cast<int>(look.Label->size()));
            ::SetTextColor(dc, RGB(0, 0, 0));
        }
    } catch (...) {
        // Only a failed allocation can end up here; the cell stays half drawn
        // and the next request draws normally.
        ::MessageBoxW(nullptr, L"err", kApplicationTitle, MB_OK);
    }
    ::SetBkMode(dc, OPAQUE);
}

void DrawAllCells(HDC dc, const CellPaintContext& context, std::int32_t tray) noexcept {
    if (tray < 0 || tray >= kTrayCount) return;
    const std::int32_t shown = ShownEntryCount(context.trays[static_cast<std::size_t>(tray)]);
    for (std::int32_t i = 0; i < shown; ++i) DrawCell(dc, context, tray, i, CellState::Normal);
}

void PaintTray(HDC dc, const CellPaintContext& context, std::int32_t tray, bool active,
               SIZE box) noexcept {
    ClearPaintBox(dc, box.cx, box.cy, kButtonFaceColor);
    DrawAllCells(dc, context, tray);
    if (active) {
        DrawCell(dc, context, tray, context.trays[static_cast<std::size_t>(tray)].CursorIndex,
                 CellState::Cursor);
    }
    DrawTrayBorder(dc, box.cx, box.cy);
}

void DrawTrayBorder(HDC dc, int width, int height) noexcept {
    Polyline3(dc, kButtonShadowColor, {width - 1, 0}, {0, 0}, {0, height - 1});
    Polyline3(dc, kButtonHighlightColor, {width - 1, 0}, {width - 1, height - 1},
              {-1, height - 1});
}

void ClearPaintBox(HDC dc, int width, int height, ColorValue color) noexcept {
    UniqueBrush brush(::CreateSolidBrush(ResolveColor(color)));
    const RECT r{0, 0, width, height};
    ::FillRect(dc, &r, brush.get());
}

void ClearPaintBox(HWND paintBox, ColorValue color) noexcept {
    RECT client{};
    ::GetClientRect(paintBox, &client);
    WindowDc dc(paintBox);
    if (dc.get()) ClearPaintBox(dc.get(), client.right, client.bottom, color);
}

void DrawNotInUseScreen(HDC dc, std::int32_t index, std::int32_t columns) noexcept {
    UniqueBitmap pattern(::LoadBitmapW(::GetModuleHandleW(nullptr), L"NETPATTERN"));
    if (!pattern) pattern = CheckerboardBitmap();
    UniqueBrush brush(::CreatePatternBrush(pattern.get()));
    UniquePen pen = SolidPen(1, kButtonFaceColor);
    SelectObjectGuard keepPen(dc, pen.get());
    SelectObjectGuard keepBrush(dc, brush.get());
    const int oldRop = ::SetROP2(dc, R2_MASKPEN);
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
    const PixelPoint o = CellOrigin(index, columns);
    ::Rectangle(dc, o.X + 2, o.Y + 2, o.X + 37, o.Y + 37);
    ::SetBkColor(dc, oldBack);
    ::SetTextColor(dc, oldText);
    ::SetROP2(dc, oldRop == 0 ? R2_COPYPEN : oldRop);
}

void DrawCdOverlay(HDC dc, int x, int y, std::int32_t cdMode) noexcept {
    UniqueIcon icon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                    CdOverlayResource(cdMode), IMAGE_ICON,
                                                    kIconSize, kIconSize, 0)));
    if (icon) ::DrawIconEx(dc, x, y, icon.get(), kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
}

ShiftedDigits KeyboardShiftedDigits() {
    ShiftedDigits digits;
    digits.ShiftedDigitChar = [](std::uint8_t digit) {
        return static_cast<std::uint8_t>(ShiftedDigitChar(static_cast<wchar_t>(digit)));
    };
    digits.DigitForShiftedChar = [](std::uint8_t shifted) {
        return static_cast<std::uint8_t>(DigitForShiftedChar(static_cast<wchar_t>(shifted)));
    };
    return digits;
}

}  // namespace tdx
