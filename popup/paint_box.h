// A plain child control that draws whatever its owner says, through a memory
// bitmap so that a repaint never flickers, and hands mouse events back. The
// owner draws and hit-tests in design units (pixels at 96 DPI); the box maps
// them to the window's DPI. Bounds and sizes are device pixels. The
// popup's trays ("TPaintBox") and its name panel ("TPanel") are made of it.
#pragma once

#include <functional>

#include "popup/grid_accessible_win.h"
#include "winbase/com_ptr.h"
#include "winbase/unique_handle.h"
#include "winbase/window_base.h"

namespace tdx {

// A 32-bit picture of the screen's kind for drawing off the screen. A DIB
// section's pixels are the process's own pages, given back whole when it is
// deleted (a compatible bitmap's come from the graphics driver's heap, which
// under Wine keeps what it once held).
UniqueBitmap PictureBitmap(int width, int height) noexcept;

class TPaintBox : public WindowBase, private AccessibleGridSource {
public:
    struct Handlers {
        // Draws the whole control; the DC is a memory DC of the client's size,
        // which is handed over in design units.
        std::function<void(HDC dc, SIZE size)> paint;
        // A finished picture of the whole client in device pixels, which a
        // paint then only copies; null when there is none, and paint draws.
        std::function<HBITMAP()> picture;
        std::function<void(int x, int y)> mouseMove;
        // WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN; keys as in wParam.
        std::function<void(UINT message, int x, int y, WPARAM keys)> mouseDown;
        // WM_LBUTTONUP, and the loss of the mouse capture (a drag that ends).
        std::function<void(int x, int y)> mouseUp;
        std::function<void()> captureLost;
        // A grid of cells for screen readers (none when unset; cell rectangles
        // in design units relative to the box), and what a cell's default action does.
        std::function<AccessibleGrid()> describe;
        std::function<void(int cell)> runCell;
    };

    TPaintBox() noexcept = default;
    ~TPaintBox() override;
    TPaintBox(const TPaintBox&) = delete;
    TPaintBox& operator=(const TPaintBox&) = delete;

    bool Create(HWND parent, const wchar_t* className, int id, Handlers handlers);
    void SetBounds(int left, int top, int width, int height) noexcept;
    RECT Bounds() const noexcept;  // in the parent's client coordinates
    SIZE Size() const noexcept;
    // Draws on the screen at once, outside a paint cycle (a cell that changed).
    void DrawNow(const std::function<void(HDC dc)>& draw) noexcept;

    // Tells screen readers that the cursor is now on the cell (-1: none).
    void NotifyFocus(int cell) const noexcept;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void Paint() noexcept;
    HWND GridWindow() const noexcept override { return hwnd(); }
    bool Describe(AccessibleGrid& grid) const noexcept override;
    bool CanRunCells() const noexcept override { return static_cast<bool>(handlers_.runCell); }
    void RunCellLater(int cell) noexcept override;

    Handlers handlers_;
    ComPtr<GridAccessible> accessible_;  // made at the first request
};

}  // namespace tdx
