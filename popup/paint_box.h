// A plain child control that draws whatever its owner says, through a memory
// bitmap so that a repaint never flickers, and hands mouse events back. The
// owner draws and hit-tests in design units (pixels at 96 DPI); the box maps
// them to the window's DPI. Bounds and sizes are device pixels. The
// popup's trays ("TPaintBox") and its name panel ("TPanel") are made of it.
#pragma once

#include <functional>

#include "winbase/window_base.h"

namespace tdx {

class TPaintBox : public WindowBase {
public:
    struct Handlers {
        // Draws the whole control; the DC is a memory DC of the client's size,
        // which is handed over in design units.
        std::function<void(HDC dc, SIZE size)> paint;
        std::function<void(int x, int y)> mouseMove;
        // WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN; keys as in wParam.
        std::function<void(UINT message, int x, int y, WPARAM keys)> mouseDown;
        // WM_LBUTTONUP, and the loss of the mouse capture (a drag that ends).
        std::function<void(int x, int y)> mouseUp;
        std::function<void()> captureLost;
    };

    bool Create(HWND parent, const wchar_t* className, int id, Handlers handlers);
    void SetBounds(int left, int top, int width, int height) noexcept;
    RECT Bounds() const noexcept;  // in the parent's client coordinates
    SIZE Size() const noexcept;
    // Draws on the screen at once, outside a paint cycle (a cell that changed).
    void DrawNow(const std::function<void(HDC dc)>& draw) noexcept;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void Paint() noexcept;

    Handlers handlers_;
};

}  // namespace tdx
