#include "dialogs/about_form.h"

#include <array>
#include <string>

#include "dialogs/dialog_support.h"
#include "popup/placement_win.h"
#include "winbase/ui_text_win.h"

namespace tdx {
namespace {

const std::array<ControlSpec, 4> kLayout{{
    {L"STATIC", L"", 59, 4, 32, 32, WS_VISIBLE | SS_ICON | SS_CENTERIMAGE, kAboutImageId},
    {L"STATIC", L"", 0, 42, 150, 20, WS_VISIBLE | SS_CENTER | SS_NOPREFIX, kAboutNameLabelId},
    {L"STATIC", L"", 0, 66, 150, 34, WS_VISIBLE | SS_CENTER | SS_NOPREFIX, kAboutVersionLabelId},
    {L"BUTTON", TextRef(IDS_OK), 38, 108, 75, 23, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK},
}};

}  // namespace

bool TAboutForm::Create(HWND owner) {
    if (!FormWindow::Create(owner)) return false;
    // No border icons: the OK button is the way out.
    ::SetWindowLongW(hwnd(), GWL_STYLE, ::GetWindowLongW(hwnd(), GWL_STYLE) & ~WS_SYSMENU);
    ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    font_ = DialogFont(hwnd(), 15);
    nameFont_ = DialogFont(hwnd(), 16, false, L"ＭＳ Ｐ明朝");
    if (!CreateControls(hwnd(), kLayout, font_.get())) return false;
    ::SendMessageW(::GetDlgItem(hwnd(), kAboutNameLabelId), WM_SETFONT,
                   reinterpret_cast<WPARAM>(nameFont_.get()), FALSE);
    icon_.reset(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), L"MAINICON",
                                                IMAGE_ICON, 32, 32, 0)));
    if (icon_)
        ::SendMessageW(::GetDlgItem(hwnd(), kAboutImageId), STM_SETICON,
                       reinterpret_cast<WPARAM>(icon_.get()), 0);
    return true;
}

void TAboutForm::FormShow() noexcept {
    PlaceFormAtCursor(hwnd(), 0, 0, false);
    ::SetDlgItemTextW(hwnd(), kAboutNameLabelId, L"tiledex");
    const std::wstring version = std::wstring(L"Version 1.8") + L"\r\n" + kMakerName;
    ::SetDlgItemTextW(hwnd(), kAboutVersionLabelId, version.c_str());
}

LRESULT TAboutForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
    case WM_SHOWWINDOW:
        if (wParam) FormShow();
        break;
    case DM_GETDEFID:
        return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) Button1Click();
        return 0;
    default:
        break;
    }
    return FormWindow::HandleMessage(msg, wParam, lParam);
}

}  // namespace tdx
