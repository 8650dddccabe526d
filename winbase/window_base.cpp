#include "winbase/window_base.h"

#include "winbase/dpi_scale.h"
#include "winbase/ui_text_win.h"

namespace tdx {

WindowBase::~WindowBase() {
    if (hwnd_) {
        // The window outlives no object: detach first so no message reaches a dead this.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

void WindowBase::Show() noexcept {
    if (hwnd_) ::ShowWindow(hwnd_, SW_SHOW);
}

void WindowBase::Hide() noexcept {
    if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
}

bool WindowBase::CreateWindowOfClass(const wchar_t* className, const wchar_t* caption,
                                     DWORD style, DWORD exStyle, int x, int y, int width,
                                     int height, HWND owner, UINT classStyle, HICON icon) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!::GetClassInfoExW(instance, className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.style = classStyle;
        wc.lpfnWndProc = &WindowBase::StaticProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        wc.hIcon = icon;
        if (!::RegisterClassExW(&wc)) return false;
    }
    return ::CreateWindowExW(exStyle, className, caption, style, x, y, width, height, owner,
                             nullptr, instance, this) != nullptr;
}

LRESULT WindowBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK WindowBase::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    WindowBase* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<WindowBase*>(cs->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<WindowBase*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        const LRESULT result = self->HandleMessage(msg, wParam, lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return result;
    }
    return self->HandleMessage(msg, wParam, lParam);
}

HWND CreateControl(HWND parent, const ControlSpec& spec) noexcept {
    const int dpi = WindowDpi(parent);
    HWND control = ::CreateWindowExW(spec.exStyle, spec.className, ResolveText(spec.text),
                                     spec.style | WS_CHILD, ScaleDpi(spec.x, dpi),
                                     ScaleDpi(spec.y, dpi), ScaleDpi(spec.width, dpi),
                                     ScaleDpi(spec.height, dpi), parent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)),
                                     ::GetModuleHandleW(nullptr), nullptr);
    if (control) ::SendMessageW(control, WM_SETFONT, ::SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
    return control;
}

}  // namespace tdx
