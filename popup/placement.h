// Where the popup and the dialogs go on the screen, and which tray receives the
// cursor when the popup is shown. Pure arithmetic over the screen facts that the
// Win32 layer gathers (mouse, monitors, primary screen, taskbar).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "popup/pixel_geometry.h"
#include "popup/popup_mode.h"
#include "popup/tray_layout.h"
#include "settings/option_set.h"

namespace tdx {

// MousePositionFlag: the window's centre goes under the mouse.
inline constexpr std::int32_t kMouseAtWindowCentre = 3;

// The gap kept to the right and bottom limits, and how far above a bottom
// taskbar the limit lies.
inline constexpr std::int32_t kEdgeGap = 16;
inline constexpr std::int32_t kTaskbarClearance = 32;

struct ScreenFacts {
    PixelPoint Mouse;
    // Full monitor rectangles in enumeration order; nullopt when the system has
    // no monitor enumeration.
    std::optional<std::vector<PixelRect>> Monitors;
    PixelSize PrimaryScreen;
    // Window rectangle of the taskbar ("Shell_TrayWnd"), when there is one.
    std::optional<PixelRect> Taskbar;
};

// The limits a window placed at the mouse must respect: the monitor under the
// mouse (the last listed one that contains it, edges included), or the primary
// screen; on the first listed monitor a bottom or right taskbar pulls the limit in.
PixelRect PlacementLimits(const ScreenFacts& screen);

struct CursorPlacement {
    PixelPoint TopLeft;
    // Where to put the mouse afterwards; set only when asked to move it.
    std::optional<PixelPoint> NewMouse;
};

// PlaceFormAtCursor: the window's anchor point (window-relative) goes under the
// mouse. A window crossing the right or bottom limit is pulled fully inside with
// a 16-pixel gap; one crossing the left or top limit is pushed to touch it.
CursorPlacement PlaceFormAtCursor(PixelSize window, PixelPoint anchor, bool moveMouse,
                                  const ScreenFacts& screen);

// The point of the popup that PlacePopupAtMouse puts under the mouse: the
// window's centre for MousePositionFlag 3, else the centre of the first cell of
// the starting tray, whose paint box is given in window coordinates.
PixelPoint PopupAnchor(std::int32_t mousePositionFlag, PixelSize window,
                       const PixelRect& startingPaintBox);

CursorPlacement PlacePopupAtMouse(const OptionSet& options, const TrayLayout& layout,
                                  std::int32_t activeTray, const ScreenFacts& screen);

// Centred on the primary screen (truncating division).
PixelPoint CenterFormOnScreen(PixelSize window, PixelSize screen);

// One of nine positions of the anchor rectangle: 0 left-middle, 1 top-centre,
// 2 right-middle, 3 bottom-centre, 4 centre, 5 top-left, 6 top-right,
// 7 bottom-left, 8 bottom-right. Kept left of the screen's right edge and above
// its bottom edge; no lower bound.
PixelPoint AlignFormToRect(PixelSize window, PixelPoint anchorOrigin, PixelSize anchorSize,
                           std::int32_t position, PixelSize screen);

// The tray that holds the cursor after a show: MousePositionFlag for a gesture,
// KeyCursorFlag otherwise, 0 when out of range; a tray without shown entries
// gives way to the first tray, counting from 0, that has some.
std::int32_t ChooseStartingTray(std::int32_t popupMode, const OptionSet& options,
                                const Trays& trays);

// True when the popup goes to the mouse rather than the screen's centre.
bool PlacesPopupAtMouse(std::int32_t popupMode, const OptionSet& options);

}  // namespace tdx
