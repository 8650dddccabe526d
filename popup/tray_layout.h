// The three trays of the popup as plain data, their cell geometry, the layout of
// labels, paint boxes and name panel, and the small drawing decisions (frame
// style, direct-key label) that the Win32 view carries out.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "popup/pixel_geometry.h"
#include "settings/launch_item.h"
#include "settings/option_limits.h"
#include "settings/option_set.h"

namespace tdx {

struct TrayState {
    // Kept per tray, also while another tray holds the cursor.
    std::int32_t CursorIndex = 0;
    // The cell last drawn as the cursor by hover, or the cursor at the start of a
    // key event; hover repaints only when the cell under the mouse differs.
    std::int32_t DrawnIndex = 0;
    std::vector<LaunchItem> Items;
};

using Trays = std::array<TrayState, kTrayCount>;

// Cell geometry shared by the popup and the icon registration dialog.
inline constexpr std::int32_t kCellPitch = 40;
inline constexpr std::int32_t kCellMargin = 2;
inline constexpr std::int32_t kIconOffset = 3;
inline constexpr std::int32_t kIconSize = 32;
// Centre of the first cell, relative to its paint box: margin + half a pitch.
inline constexpr std::int32_t kFirstCellCentre = kCellMargin + kCellPitch / 2;

// ColMax comes straight from a hand-editable file: 0 or a negative value would
// divide by zero and a huge one would overflow the pixel arithmetic.
inline constexpr std::int32_t kMinColumns = kMinColMax;
inline constexpr std::int32_t kMaxColumns = kMaxColMax;
std::int32_t ClampColumns(std::int32_t colMax) noexcept;

// Entries before the first NotInUse one; the only ones the popup shows.
std::int32_t ShownEntryCount(const std::vector<LaunchItem>& items) noexcept;
inline std::int32_t ShownEntryCount(const TrayState& tray) noexcept {
    return ShownEntryCount(tray.Items);
}

// True when tray is 0..2 and index names one of its Items (shown or not).
bool IsShownCell(const Trays& trays, std::int32_t tray, std::int32_t index) noexcept;

// Cell geometry in paint-box pixels; columns is clamped with ClampColumns.
PixelPoint CellOrigin(std::int32_t index, std::int32_t columns) noexcept;
// Corners handed to the rectangle call: (x, y) and (x + 39, y + 39).
PixelRect CellFrameCorners(std::int32_t index, std::int32_t columns) noexcept;
// The 32 x 32 icon; Right and Bottom exclusive.
PixelRect CellIconRect(std::int32_t index, std::int32_t columns) noexcept;
// Corners of the label's background box: (x + 1, y + 1) and (x + 10, y + 13).
PixelRect DirectKeyLabelCorners(std::int32_t index, std::int32_t columns) noexcept;
PixelPoint DirectKeyTextOrigin(std::int32_t index, std::int32_t columns) noexcept;

// The cell under a point relative to a paint box. The point is clamped into the
// grid (right of the last column maps to the last column); whether the index names
// a shown entry is the caller's test. Never negative.
std::int32_t CellIndexAt(std::int32_t x, std::int32_t y, std::int32_t cellSize,
                         std::int32_t columns) noexcept;

// An empty tray still gets one row.
std::int32_t TrayRows(std::int32_t shownCount, std::int32_t columns) noexcept;
// The arithmetic of SizeTrayBox: columns x 40 + 2 by rows x 40 + 2.
PixelSize TrayBoxSize(std::int32_t shownCount, std::int32_t columns) noexcept;

// Fixed positions from the popup's form resource.
struct LayoutMetrics {
    std::int32_t FirstLabelTop = 2;   // ExecLabel's top
    std::int32_t LabelHeight = 12;    // auto-sized caption labels
    std::int32_t ControlLeft = 8;     // labels, paint boxes and the name panel
    std::int32_t NamePanelHeight = 22;
};

struct TrayLayout {
    std::array<std::int32_t, kTrayCount> CaptionTop{};
    std::array<PixelRect, kTrayCount> PaintBox{};  // client coordinates, right/bottom exclusive
    PixelRect NamePanel;
    std::int32_t NameLabelWidth = 0;
    PixelSize Window;  // client size of the popup
    bool operator==(const TrayLayout&) const = default;
};

// LayoutTrays: positions every label, paint box and the name panel and sizes the
// window from the shown entries of each tray. Leaves the cursors alone.
TrayLayout LayoutTrays(const Trays& trays, std::int32_t columns,
                       const LayoutMetrics& metrics = {});

enum class CellState : std::int32_t { Normal = 0, Cursor = 1, Pressed = 2 };

enum class CellFrame {
    Erase,            // fill with button face, no frame (every style, state Normal)
    ColourFrame,      // button-face fill with a 2-pixel frame in BackColor
    ColourFrameBlack, // the same filled black (pressed, single-colour style)
    RaisedButton,     // highlight/shadow polylines, interior left as it is
    Nothing,          // unknown style: the cursor is not drawn
};

// FrameFlag 0 = single colour, 1 = button; anything else draws no cursor frame.
CellFrame CellFrameFor(std::int32_t frameFlag, CellState state) noexcept;

// How Shift changes the digit keys of the keyboard in use. The tables belong to
// the path and icon helpers; the popup only asks. An unset function answers 0.
struct ShiftedDigits {
    std::function<std::uint8_t(std::uint8_t digit)> ShiftedDigitChar;
    std::function<std::uint8_t(std::uint8_t shifted)> DigitForShiftedChar;

    std::uint8_t Shifted(std::uint8_t digit) const {
        return ShiftedDigitChar ? ShiftedDigitChar(digit) : 0;
    }
    std::uint8_t DigitFor(std::uint8_t shifted) const {
        return DigitForShiftedChar ? DigitForShiftedChar(shifted) : 0;
    }
};

// Text for a DirectKey code: "F1".."F12" for 0xC0.., "f1".."f12" for Shift with a
// function key (0xE0..), the character itself below 0xC0 (bytes 0xA1..0xBF are the
// half-width katakana of code page 932). Code 0 numbers a task: "1".."9", "0".
std::wstring DirectKeyText(std::uint8_t code, std::int32_t index);

// The label drawn on a cell, or nothing. Task cells carry no keys: the first ten
// are numbered while digits are not used as direct keys. Digits and Shift+digit
// characters are labelled only while KeyNumberFlag allows them as keys.
std::optional<std::wstring> DirectKeyLabel(std::int32_t tray, std::int32_t index,
                                           const LaunchItem& item, bool keyNumberFlag,
                                           const ShiftedDigits& digits);

// Everything a cell is drawn from, in paint-box pixels, so that the painter
// asks once and only draws.
struct CellLook {
    CellFrame Frame = CellFrame::Erase;
    PixelRect FrameCorners;
    // False for a cell that names no entry: it gets its frame only.
    bool HasEntry = false;
    IconHandle Icon = nullptr;
    PixelRect IconRect;
    // The CD state is drawn over the in-use "CD Player" entry.
    bool CdOverlay = false;
    std::optional<std::wstring> Label;
    PixelRect LabelCorners;
    PixelPoint LabelOrigin;
};

// The look of cell index of a tray in a state, with the options that shape it
// (ColMax, FrameFlag, KeyNumberFlag).
CellLook DescribeCell(const Trays& trays, std::int32_t tray, std::int32_t index, CellState state,
                      const OptionSet& options, const ShiftedDigits& digits, bool cdPlayerInUse);

// One DrawCell call of a full repaint.
struct CellPaint {
    std::int32_t Tray = 0;
    std::int32_t Index = 0;
    CellState State = CellState::Normal;

    bool operator==(const CellPaint&) const = default;
};

// PaintTrays: every shown cell of each tray in the normal state, then the cursor
// cell of the active tray, tray by tray.
std::vector<CellPaint> PaintTraysOrder(const Trays& trays, std::int32_t activeTray);

// The CD state drawn over the "CD Player" entry: "PCDPLAY" while the disc plays.
inline constexpr std::int32_t kCdModePlaying = 526;
bool IsCdPlayerEntry(const LaunchItem& item);
const wchar_t* CdOverlayResource(std::int32_t cdMode) noexcept;

}  // namespace tdx
