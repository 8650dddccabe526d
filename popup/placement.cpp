#include "popup/placement.h"

namespace tdx {
namespace {

bool Contains(const PixelRect& m, PixelPoint p) {
    return m.Left <= p.X && p.X <= m.Right && m.Top <= p.Y && p.Y <= m.Bottom;
}

PixelRect PrimaryRect(const ScreenFacts& screen) {
    return {0, 0, screen.PrimaryScreen.Width, screen.PrimaryScreen.Height};
}

}  // namespace

PixelRect PlacementLimits(const ScreenFacts& screen) {
    PixelRect r = PrimaryRect(screen);
    bool onFirst = true;
    if (screen.Monitors) {
        onFirst = false;
        bool found = false;
        const std::vector<PixelRect>& monitors = *screen.Monitors;
        for (std::size_t i = 0; i < monitors.size(); ++i) {
            if (!Contains(monitors[i], screen.Mouse)) continue;
            r = monitors[i];
            found = true;
            if (i == 0) onFirst = true;
        }
        if (!found) r = PrimaryRect(screen);
    }
    // The first listed monitor is taken to carry the taskbar; at the top or left
    // edge it changes nothing.
    if (onFirst && screen.Taskbar) {
        if (screen.Taskbar->Top > 0) r.Bottom = screen.Taskbar->Top - kTaskbarClearance;
        if (screen.Taskbar->Left > 0) r.Right = screen.Taskbar->Left;
    }
    return r;
}

CursorPlacement PlaceFormAtCursor(PixelSize window, PixelPoint anchor, bool moveMouse,
                                  const ScreenFacts& screen) {
    const PixelRect r = PlacementLimits(screen);
    PixelPoint p = screen.Mouse;
    CursorPlacement placement;

    // Right and bottom first, so a window larger than the limits keeps its gap
    // there and runs past the left or top.
    std::int32_t x = p.X - anchor.X;
    if (window.Width + p.X - anchor.X >= r.Right) {
        x = r.Right - window.Width - kEdgeGap;
    } else if (x < r.Left) {
        x = r.Left;
    }
    std::int32_t y = p.Y - anchor.Y;
    if (window.Height + p.Y - anchor.Y >= r.Bottom) {
        y = r.Bottom - window.Height - kEdgeGap;
    } else if (y < r.Top) {
        y = r.Top;
    }
    placement.TopLeft = {x, y};
    if (moveMouse) {
        p = {x + anchor.X, y + anchor.Y};
        placement.NewMouse = p;
    }
    return placement;
}

PixelPoint PopupAnchor(std::int32_t mousePositionFlag, PixelSize window,
                       const PixelRect& startingPaintBox) {
    if (mousePositionFlag == kMouseAtWindowCentre) return {window.Width / 2, window.Height / 2};
    return {startingPaintBox.Left + kFirstCellCentre, startingPaintBox.Top + kFirstCellCentre};
}

CursorPlacement PlacePopupAtMouse(const OptionSet& options, const TrayLayout& layout,
                                  std::int32_t activeTray, const ScreenFacts& screen) {
    const std::size_t tray =
        activeTray >= 0 && activeTray < kTrayCount ? static_cast<std::size_t>(activeTray) : 0;
    const PixelPoint anchor =
        PopupAnchor(options.MousePositionFlag, layout.Window, layout.PaintBox[tray]);
    return PlaceFormAtCursor(layout.Window, anchor, options.MoveCursorFlag, screen);
}

PixelPoint CenterFormOnScreen(PixelSize window, PixelSize screen) {
    return {(screen.Width - window.Width) / 2, (screen.Height - window.Height) / 2};
}

PixelPoint AlignFormToRect(PixelSize window, PixelPoint anchorOrigin, PixelSize anchorSize,
                           std::int32_t position, PixelSize screen) {
    std::int32_t dx = 0;
    switch (position) {
    case 2: case 6: case 8: dx = anchorSize.Width - window.Width; break;
    case 1: case 3: case 4: dx = (anchorSize.Width - window.Width) / 2; break;
    default: break;  // 0, 5, 7: left edges aligned
    }
    std::int32_t dy = 0;
    switch (position) {
    case 3: case 7: case 8: dy = anchorSize.Height - window.Height; break;
    case 0: case 2: case 4: dy = (anchorSize.Height - window.Height) / 2; break;
    default: break;  // 1, 5, 6: top edges aligned
    }
    PixelPoint at{anchorOrigin.X + dx, anchorOrigin.Y + dy};
    if (screen.Width <= at.X + window.Width) at.X = screen.Width - window.Width - kEdgeGap;
    if (screen.Height <= at.Y + window.Height) at.Y = screen.Height - window.Height - kEdgeGap;
    return at;
}

std::int32_t ChooseStartingTray(std::int32_t popupMode, const OptionSet& options,
                                const Trays& trays) {
    std::int32_t tray =
        popupMode == kPopupByGesture ? options.MousePositionFlag : options.KeyCursorFlag;
    if (tray < 0 || tray >= kTrayCount) tray = kProgramTray;
    // A tray whose entries are all switched off would put the cursor on an entry
    // the popup does not show (and Enter would run it), so it counts as empty.
    if (ShownEntryCount(trays[static_cast<std::size_t>(tray)]) > 0) return tray;
    for (std::int32_t t = 0; t < kTrayCount; ++t) {
        if (ShownEntryCount(trays[static_cast<std::size_t>(t)]) > 0) return t;
    }
    return kProgramTray;
}

bool PlacesPopupAtMouse(std::int32_t popupMode, const OptionSet& options) {
    const bool gestureAtMouse = options.MousePositionFlag != -1 && options.MouseFlag != 0 &&
                                popupMode == kPopupByGesture;
    return gestureAtMouse || options.KeyPositionFlag;
}

}  // namespace tdx
