#include "popup/tray_layout.h"

#include <algorithm>
#include <limits>

#include "settings/path_macros.h"
#include "winbase/decimal_text.h"

namespace tdx {
namespace {

bool IsDigitCode(std::uint8_t code) { return code >= '0' && code <= '9'; }

// A DirectKey byte is a character of code page 932; above ASCII only the
// half-width katakana (such as 0xA6, Shift+0 on a Japanese keyboard) occur.
wchar_t CharacterOfCode(std::uint8_t code) {
    if (code >= 0xA1 && code <= 0xDF) return static_cast<wchar_t>(0xFF61 + (code - 0xA1));
    return static_cast<wchar_t>(code);
}

}  // namespace

std::int32_t ClampColumns(std::int32_t colMax) noexcept {
    return std::clamp(colMax, kMinColumns, kMaxColumns);
}

std::int32_t ShownEntryCount(const std::vector<LaunchItem>& items) noexcept {
    const auto firstOff = std::find_if(items.begin(), items.end(), [](const LaunchItem& item) {
        return item.Has(ItemStatus::NotInUse);
    });
    return static_cast<std::int32_t>(firstOff - items.begin());
}

bool IsShownCell(const Trays& trays, std::int32_t tray, std::int32_t index) noexcept {
    if (tray < 0 || tray >= kTrayCount || index < 0) return false;
    return static_cast<std::size_t>(index) < trays[static_cast<std::size_t>(tray)].Items.size();
}

PixelPoint CellOrigin(std::int32_t index, std::int32_t columns) noexcept {
    const std::int32_t cols = ClampColumns(columns);
    return {(index % cols) * kCellPitch + kCellMargin, (index / cols) * kCellPitch + kCellMargin};
}

PixelRect CellFrameCorners(std::int32_t index, std::int32_t columns) noexcept {
    const PixelPoint o = CellOrigin(index, columns);
    return {o.X, o.Y, o.X + kCellPitch - 1, o.Y + kCellPitch - 1};
}

PixelRect CellIconRect(std::int32_t index, std::int32_t columns) noexcept {
    const PixelPoint o = CellOrigin(index, columns);
    return {o.X + kIconOffset, o.Y + kIconOffset, o.X + kIconOffset + kIconSize,
            o.Y + kIconOffset + kIconSize};
}

PixelRect DirectKeyLabelCorners(std::int32_t index, std::int32_t columns) noexcept {
    const PixelPoint o = CellOrigin(index, columns);
    return {o.X + 1, o.Y + 1, o.X + 10, o.Y + 13};
}

PixelPoint DirectKeyTextOrigin(std::int32_t index, std::int32_t columns) noexcept {
    const PixelPoint o = CellOrigin(index, columns);
    return {o.X + 3, o.Y + 1};
}

std::int32_t CellIndexAt(std::int32_t x, std::int32_t y, std::int32_t cellSize,
                         std::int32_t columns) noexcept {
    if (cellSize <= 0) return 0;
    const std::int32_t cols = ClampColumns(columns);
    const std::int64_t cx = std::clamp<std::int64_t>(x, 0, std::int64_t{cols - 1} * cellSize);
    const std::int64_t cy = std::max<std::int64_t>(y, 0);
    const std::int64_t index = cx / cellSize + (cy / cellSize) * cols;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(index, 0, std::numeric_limits<std::int32_t>::max()));
}

std::int32_t TrayRows(std::int32_t shownCount, std::int32_t columns) noexcept {
    // Truncating division: (0 - 1) / cols is 0, so an empty tray keeps one row.
    return (shownCount - 1) / ClampColumns(columns) + 1;
}

PixelSize TrayBoxSize(std::int32_t shownCount, std::int32_t columns) noexcept {
    return {ClampColumns(columns) * kCellPitch + kCellMargin,
            TrayRows(shownCount, columns) * kCellPitch + kCellMargin};
}

TrayLayout LayoutTrays(const Trays& trays, std::int32_t columns, const LayoutMetrics& metrics) {
    TrayLayout layout;
    std::int32_t cur = metrics.FirstLabelTop - 2;
    for (std::size_t t = 0; t < trays.size(); ++t) {
        layout.CaptionTop[t] = cur + 2;
        cur += metrics.LabelHeight + 2;
        const PixelSize box = TrayBoxSize(ShownEntryCount(trays[t]), columns);
        const std::int32_t top = cur + 2;
        layout.PaintBox[t] = {metrics.ControlLeft, top, metrics.ControlLeft + box.Width,
                              top + box.Height};
        cur += box.Height + 2;
    }
    const std::int32_t panelWidth = ClampColumns(columns) * kCellPitch + kCellMargin;
    const std::int32_t panelTop = cur + 10;
    layout.NamePanel = {metrics.ControlLeft, panelTop, metrics.ControlLeft + panelWidth,
                        panelTop + metrics.NamePanelHeight};
    layout.NameLabelWidth = panelWidth - 6;
    layout.Window = {2 * metrics.ControlLeft + panelWidth, layout.NamePanel.Bottom + 10};
    return layout;
}

CellFrame CellFrameFor(std::int32_t frameFlag, CellState state) noexcept {
    if (state == CellState::Normal) return CellFrame::Erase;
    switch (frameFlag) {
    case 0:
        return state == CellState::Pressed ? CellFrame::ColourFrameBlack : CellFrame::ColourFrame;
    case 1:
        return CellFrame::RaisedButton;
    default:
        return CellFrame::Nothing;
    }
}

std::wstring DirectKeyText(std::uint8_t code, std::int32_t index) {
    if (code == 0) {
        if (index >= 0 && index <= 8) return std::wstring(1, static_cast<wchar_t>(L'1' + index));
        return L"0";
    }
    if (code < 0xC0) return std::wstring(1, CharacterOfCode(code));
    if (code <= 0xCC) return L"F" + DecimalText(code - 0xBF);
    return L"f" + DecimalText(code - 0xDF);
}

std::optional<std::wstring> DirectKeyLabel(std::int32_t tray, std::int32_t index,
                                           const LaunchItem& item, bool keyNumberFlag,
                                           const ShiftedDigits& digits) {
    if (tray == kTaskTray) {
        if (index >= 0 && index < 10 && !keyNumberFlag) return DirectKeyText(0, index);
        return std::nullopt;
    }
    const std::uint8_t code = item.DirectKey();
    if (code == 0) return std::nullopt;
    const bool digitLike = IsDigitCode(code) || digits.DigitFor(code) != 0;
    if (!keyNumberFlag && digitLike) return std::nullopt;
    return DirectKeyText(code, index);
}

std::vector<CellPaint> PaintTraysOrder(const Trays& trays, std::int32_t activeTray) {
    std::vector<CellPaint> order;
    for (std::int32_t t = 0; t < kTrayCount; ++t) {
        const TrayState& tray = trays[static_cast<std::size_t>(t)];
        const std::int32_t shown = ShownEntryCount(tray);
        for (std::int32_t i = 0; i < shown; ++i) order.push_back({t, i, CellState::Normal});
        if (t == activeTray) order.push_back({t, tray.CursorIndex, CellState::Cursor});
    }
    return order;
}

bool IsCdPlayerEntry(const LaunchItem& item) {
    return item.Has(ItemStatus::InternalCommand) && EqualsIgnoringCase(item.ExeFileName, L"CD Player");
}

const wchar_t* CdOverlayResource(std::int32_t cdMode) noexcept {
    return cdMode == kCdModePlaying ? L"PCDPLAY" : L"PCDSTOP";
}

CellLook DescribeCell(const Trays& trays, std::int32_t tray, std::int32_t index, CellState state,
                      const OptionSet& options, const ShiftedDigits& digits, bool cdPlayerInUse) {
    const std::int32_t columns = ClampColumns(options.ColMax);
    CellLook look;
    look.Frame = CellFrameFor(options.FrameFlag, state);
    look.FrameCorners = CellFrameCorners(index, columns);
    if (!IsShownCell(trays, tray, index)) return look;
    const LaunchItem& item = trays[static_cast<std::size_t>(tray)].Items[static_cast<std::size_t>(index)];
    look.HasEntry = true;
    look.Icon = item.Icon;
    look.IconRect = CellIconRect(index, columns);
    look.CdOverlay = cdPlayerInUse && IsCdPlayerEntry(item);
    look.Label = DirectKeyLabel(tray, index, item, options.KeyNumberFlag, digits);
    if (look.Label) {
        look.LabelCorners = DirectKeyLabelCorners(index, columns);
        look.LabelOrigin = DirectKeyTextOrigin(index, columns);
    }
    return look;
}

}  // namespace tdx
