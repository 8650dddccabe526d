// Placing windows on the real screen: gathers the mouse, monitor and taskbar
// facts for the placement rules (placement.h) and moves the window.
#pragma once

#include <windows.h>

#include <vector>

#include "popup/placement.h"

namespace tdx {

// The full rectangle of every monitor, in the order the system enumerates them;
// false when the system offers no monitor enumeration.
bool ListMonitorRects(std::vector<PixelRect>& monitors);

// Mouse position, monitors, primary screen and the taskbar's rectangle, now.
ScreenFacts GatherScreenFacts();

// Puts the window's anchor point (window-relative) under the mouse, kept on the
// mouse's monitor; optionally moves the mouse onto the anchor afterwards.
void PlaceFormAtCursor(HWND window, int anchorX, int anchorY, bool moveMouse) noexcept;
// Centres the window on the primary screen.
void CenterFormOnScreen(HWND window) noexcept;
// One of nine positions of the rectangle (x, y, width, height); see placement.h.
void AlignFormToRect(HWND window, int x, int y, int width, int height, int position) noexcept;
// The same, then shows the window and brings it to the front.
void ShowFormAlignedToRect(HWND window, int x, int y, int width, int height,
                           int position) noexcept;

}  // namespace tdx
