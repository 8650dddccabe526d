// A plain child control that draws whatever its owner says, through a memory
// bitmap so that a repaint never flickers, and hands mouse events back. The
// owner draws and hit-tests in design units (pixels at 96 DPI); the box maps
// them to the window's DPI. Bounds and sizes are device pixels. The
// popup's trays ("TPaintBox") and its name panel ("TPanel") are made of it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "winbase/window_base.h"

namespace tdx {

class GridAccessible;

// What a screen reader is told of a box that shows a grid of cells.
struct AccessibleCell {
    std::wstring name;
    std::wstring shortcut;  // the key that runs it, if any
    RECT rect{};            // design units relative to the box; Describe hands out screen pixels
};
struct AccessibleGrid {
    std::wstring name;  // the list's own
    std::vector<AccessibleCell> cells;
    int focused = -1;  // the cell with the cursor
};

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
        // A grid of cells for screen readers (none when unset), and what a
        // cell's default action does.
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

    // The grid as a screen reader gets it, cells in screen pixels; false for a
    // box that is no grid.
    bool Describe(AccessibleGrid& grid) const noexcept;
    bool CanRunCells() const noexcept { return static_cast<bool>(handlers_.runCell); }
    // Runs a cell once the messages before have been handled.
    void RunCellLater(int cell) noexcept;
    // Tells screen readers that the cursor is now on the cell (-1: none).
    void NotifyFocus(int cell) const noexcept;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void Paint() noexcept;

    Handlers handlers_;
    GridAccessible* accessible_ = nullptr;  // one reference, made at the first request
};

}  // namespace tdx
