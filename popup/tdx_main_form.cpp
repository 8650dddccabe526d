#include "popup/tdx_main_form.h"

#include "winbase/unique_handle.h"

namespace tdx {
namespace {

// Design size of the window before the trays are laid out.
constexpr int kDesignWidth = 147;
constexpr int kDesignHeight = 266;

}  // namespace

bool TTdxMainForm::Create(HWND owner) {
    // WS_EX_TOOLWINDOW keeps the popup off the taskbar; it is never a task of its own.
    if (!CreateWindowOfClass(L"TTdxMainForm", kApplicationTitle, WS_POPUP | WS_CLIPCHILDREN,
                             WS_EX_TOOLWINDOW, 0, 0, kDesignWidth, kDesignHeight, owner,
                             CS_DBLCLKS))
        return false;
    // The popup takes no text input: keep the input method out of it.
    ::ImmAssociateContext(hwnd(), nullptr);
    return true;
}

void TTdxMainForm::ShowPopup() noexcept { FormShow(); }

void TTdxMainForm::HidePopup() noexcept { Hide(); }

void TTdxMainForm::FormShow() noexcept {
    menuBusy_ = false;
    PreparePopup();
}

void TTdxMainForm::PreparePopup() noexcept {
    RECT r{};
    ::GetWindowRect(hwnd(), &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    ::SetWindowPos(hwnd(), HWND_TOP, left, top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    ::SetForegroundWindow(hwnd());
    ::ShowWindow(hwnd(), SW_SHOW);
    ::BringWindowToTop(hwnd());
}

void TTdxMainForm::TrayRightDoubleClick(int, int) noexcept {
    // The trays' own mouse commands arrive with the tray grid.
}

void TTdxMainForm::FormKeyDown(WPARAM key) noexcept {
    if (key == VK_ESCAPE) HidePopup();
}

void TTdxMainForm::FormActivate(WPARAM state) noexcept {
    if (LOWORD(state) == WA_INACTIVE && app_.PopupMode != kPopupHidden) {
        app_.PopupMode = kPopupHidden;
        HidePopup();
    }
}

void TTdxMainForm::FormClose() noexcept {
    // The window is kept for the next show; closing it only hides it.
    app_.PopupMode = kPopupHidden;
    HidePopup();
}

void TTdxMainForm::FormPaint() noexcept {
    PaintGuard paint(hwnd());
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    ::FillRect(paint.dc(), &client, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(paint.dc(), &client, EDGE_RAISED, BF_RECT);
}

LRESULT TTdxMainForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        FormKeyDown(wParam);
        return 0;
    case WM_ACTIVATE:
        FormActivate(wParam);
        return 0;
    case WM_CLOSE:
        if (FormCloseQuery()) FormClose();
        return 0;
    case WM_PAINT:
        FormPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return WindowBase::HandleMessage(msg, wParam, lParam);
    }
}

}  // namespace tdx
