#include "popup/paint_box.h"

#include <windowsx.h>

#include <new>

#include "winbase/dpi_scale.h"
#include "winbase/unique_handle.h"
#include "winbase/window_messages.h"

namespace tdx {
UniqueBitmap PictureBitmap(int width, int height) noexcept {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, as the screen
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return UniqueBitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

TPaintBox::~TPaintBox() {
    // A screen reader may hold the object longer than the box lives.
    if (accessible_) accessible_->Disconnect();
}

bool TPaintBox::Describe(AccessibleGrid& grid) const noexcept {
    if (!handlers_.describe || !hwnd()) return false;
    try {
        grid = handlers_.describe();
    } catch (...) {
        return false;
    }
    const int dpi = WindowDpi(hwnd());
    for (AccessibleCell& cell : grid.cells) {
        RECT& r = cell.rect;
        r = {ScaleDpi(r.left, dpi), ScaleDpi(r.top, dpi), ScaleDpi(r.right, dpi), ScaleDpi(r.bottom, dpi)};
        ::MapWindowPoints(hwnd(), HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    }
    return true;
}

void TPaintBox::RunCellLater(int cell) noexcept {
    ::PostMessageW(hwnd(), WM_RUNCELL, static_cast<WPARAM>(cell), 0);
}

void TPaintBox::NotifyFocus(int cell) const noexcept {
    if (handlers_.describe) NotifyAccessibleFocus(hwnd(), cell);
}

bool TPaintBox::Create(HWND parent, const wchar_t* className, int id, Handlers handlers) {
    handlers_ = std::move(handlers);
    if (!CreateWindowOfClass(className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                             0, parent, CS_DBLCLKS))
        return false;
    ::SetWindowLongPtrW(hwnd(), GWLP_ID, id);
    return true;
}

void TPaintBox::SetBounds(int left, int top, int width, int height) noexcept {
    ::SetWindowPos(hwnd(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TPaintBox::Bounds() const noexcept {
    RECT r{};
    ::GetWindowRect(hwnd(), &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

SIZE TPaintBox::Size() const noexcept {
    RECT r{};
    ::GetClientRect(hwnd(), &r);
    return {r.right, r.bottom};
}

void TPaintBox::DrawNow(const std::function<void(HDC dc)>& draw) noexcept {
    if (!::IsWindowVisible(hwnd())) return;
    WindowDc dc(hwnd());
    if (!dc.get()) return;
    UseDesignUnits(dc.get(), WindowDpi(hwnd()));
    draw(dc.get());
}

void TPaintBox::Paint() noexcept {
    PaintGuard paint(hwnd());
    const SIZE size = Size();
    if (!paint.dc() || size.cx <= 0 || size.cy <= 0) return;
    const RECT& dirty = paint.paint().rcPaint;
    if (HBITMAP picture = handlers_.picture ? handlers_.picture() : nullptr) {
        UniqueDc source(::CreateCompatibleDC(paint.dc()));
        if (source) {
            SelectObjectGuard keepPicture(source.get(), picture);
            ::BitBlt(paint.dc(), dirty.left, dirty.top, dirty.right - dirty.left,
                     dirty.bottom - dirty.top, source.get(), dirty.left, dirty.top, SRCCOPY);
            return;
        }
    }
    // The owner draws in design units; the size it gets covers every device pixel.
    const int dpi = WindowDpi(hwnd());
    const SIZE design{-UnscaleDpi(-size.cx, dpi), -UnscaleDpi(-size.cy, dpi)};
    UniqueDc memory(::CreateCompatibleDC(paint.dc()));
    UniqueBitmap bitmap = PictureBitmap(size.cx, size.cy);
    if (!memory || !bitmap) {
        // Short of GDI resources: draw straight on the screen rather than not at all.
        UseDesignUnits(paint.dc(), dpi);
        if (handlers_.paint) handlers_.paint(paint.dc(), design);
        return;
    }
    {
        SelectObjectGuard keepBitmap(memory.get(), bitmap.get());
        UseDesignUnits(memory.get(), dpi);
        if (handlers_.paint) handlers_.paint(memory.get(), design);
        ::SetMapMode(memory.get(), MM_TEXT);  // the copy below is in device pixels
        ::BitBlt(paint.dc(), dirty.left, dirty.top, dirty.right - dirty.left,
                 dirty.bottom - dirty.top, memory.get(), dirty.left, dirty.top, SRCCOPY);
    }
}

LRESULT TPaintBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    // The owner's handlers think in design units, as its drawing does.
    const auto designX = [&] { return UnscaleDpi(GET_X_LPARAM(lParam), WindowDpi(hwnd())); };
    const auto designY = [&] { return UnscaleDpi(GET_Y_LPARAM(lParam), WindowDpi(hwnd())); };
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers every pixel
    case WM_MOUSEMOVE:
        if (handlers_.mouseMove) handlers_.mouseMove(designX(), designY());
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        if (handlers_.mouseDown)
            handlers_.mouseDown(msg, designX(), designY(), wParam);
        return 0;
    case WM_LBUTTONUP:
        if (handlers_.mouseUp) handlers_.mouseUp(designX(), designY());
        return 0;
    case WM_CAPTURECHANGED:
        if (handlers_.captureLost) handlers_.captureLost();
        return 0;
    case WM_GETOBJECT:
        if (static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT) && handlers_.describe) {
            if (!accessible_) accessible_ = ComPtr<GridAccessible>(new (std::nothrow) GridAccessible(*this));
            if (accessible_) return AccessibleResult(*accessible_.get(), wParam);
        }
        return WindowBase::HandleMessage(msg, wParam, lParam);
    case WM_RUNCELL:
        if (handlers_.runCell) handlers_.runCell(static_cast<int>(wParam));
        return 0;
    case WM_CTLCOLORSTATIC: {
        // Labels inside (the name label) are black on button face.
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    default:
        return WindowBase::HandleMessage(msg, wParam, lParam);
    }
}

}  // namespace tdx
