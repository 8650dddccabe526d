#include "winbase/form_window.h"

#include "winbase/app_help.h"
#include "winbase/dpi_scale.h"
#include "winbase/message_pump.h"

namespace tdx {

bool FormWindow::Create(HWND owner) {
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    const int dpi = WindowDpi(owner);
    RECT r{0, 0, ScaleDpi(clientWidth_, dpi), ScaleDpi(clientHeight_, dpi)};
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    if (!CreateWindowOfClass(className_, caption_, style, exStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                             r.right - r.left, r.bottom - r.top, owner))
        return false;
    MarkModelessDialog(hwnd());
    return true;
}

bool FormWindow::EnsureCreated() noexcept {
    if (hwnd()) return true;
    try {
        return Create(ownerOfForms_);
    } catch (...) {
        return false;  // out of memory: the dialog does not open
    }
}

LRESULT FormWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_CLOSE) {
        // Forms live until the program ends; closing one only hides it.
        Hide();
        return 0;
    }
    if (msg == WM_HELP) {
        if (const int context = HelpContext()) RequestAppHelp(HELP_CONTEXT, static_cast<DWORD_PTR>(context));
        return TRUE;
    }
    if (msg == WM_DESTROY) UnmarkModelessDialog(hwnd());
    return WindowBase::HandleMessage(msg, wParam, lParam);
}

}  // namespace tdx
