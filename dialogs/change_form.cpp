#include "dialogs/change_form.h"

#include <array>

#include "dialogs/dialog_support.h"
#include "popup/placement_win.h"
#include "settings/error_display_win.h"
#include "winbase/ui_text_win.h"

namespace tdx {
namespace {

const std::array<ControlSpec, 7> kLayout{{
    {L"STATIC", TextRef(IDS_CHANGE_NAME), 8, 8, 120, 14, WS_VISIBLE | SS_LEFT, kChangeNameLabelId},
    {L"EDIT", L"", 8, 24, 226, 21, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kChangeNameEditId, WS_EX_CLIENTEDGE},
    {L"BUTTON", TextRef(IDS_CHANGE_GROUP), 8, 54, 226, 52, WS_VISIBLE | BS_GROUPBOX, kChangeGroupBoxId},
    {L"BUTTON", TextRef(IDS_CHANGE_HIDE), 20, 74, 100, 18, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON,
     kChangeNoRadioId},
    {L"BUTTON", TextRef(IDS_CHANGE_SHOW), 124, 74, 100, 18, WS_VISIBLE | BS_AUTORADIOBUTTON, kChangeDispRadioId},
    {L"BUTTON", TextRef(IDS_OK), 80, 116, 73, 21, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, IDOK},
    {L"BUTTON", TextRef(IDS_CANCEL), 161, 116, 73, 21, WS_VISIBLE | WS_TABSTOP, IDCANCEL},
}};

}  // namespace

bool TChangeForm::Create(HWND owner) {
    if (!FormWindow::Create(owner)) return false;
    // A group box paints only its frame: with its area clipped out of the
    // dialog's own background, its inside would stay black.
    const LONG_PTR style = ::GetWindowLongPtrW(hwnd(), GWL_STYLE);
    ::SetWindowLongPtrW(hwnd(), GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CLIPCHILDREN));
    font_ = DialogFont(hwnd(), 12);
    return CreateControls(hwnd(), kLayout, font_.get());
}

void TChangeForm::Open(HWND asker, const wchar_t* caption, const std::wstring& name, int popup,
                       std::function<void(const std::wstring& name, int popup)> confirm) {
    if (!EnsureCreated()) return;
    Dismiss();
    confirm_ = std::move(confirm);
    // The answer belongs to the asker's edit as it stands now: while the question
    // is open, that edit must not change under it.
    asker_ = asker;
    if (asker_) ::EnableWindow(asker_, FALSE);
    ::SetWindowTextW(hwnd(), caption);
    ::SetDlgItemTextW(hwnd(), kChangeNameEditId, name.c_str());
    // Any display mode but 0 shows as "always".
    ::CheckRadioButton(hwnd(), kChangeNoRadioId, kChangeDispRadioId,
                       popup == 0 ? kChangeNoRadioId : kChangeDispRadioId);
    PlaceFormAtCursor(hwnd(), 0, 0, false);
    ::SetForegroundWindow(hwnd());
    Show();
    ::SetFocus(::GetDlgItem(hwnd(), kChangeNameEditId));
}

void TChangeForm::OkButtonClick() noexcept {
    // The name is taken as typed: empty and repeated names are the user's to choose.
    const std::wstring name = ControlText(::GetDlgItem(hwnd(), kChangeNameEditId));
    const int popup = ::IsDlgButtonChecked(hwnd(), kChangeNoRadioId) == BST_CHECKED ? 0 : 1;
    const auto confirm = std::move(confirm_);
    Dismiss();
    if (confirm) RunGuarded(hwnd(), [&] { confirm(name, popup); });
}

void TChangeForm::Dismiss() noexcept {
    confirm_ = nullptr;
    // Enabled before the hide, so that the asker (not some other window) gets the activation back.
    if (asker_) ::EnableWindow(asker_, TRUE);
    asker_ = nullptr;
    if (hwnd()) Hide();
}

LRESULT TChangeForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) OkButtonClick();
        else if (LOWORD(wParam) == IDCANCEL) CancelButtonClick();
        return 0;
    case WM_CLOSE:
        CancelButtonClick();
        return 0;
    default:
        break;
    }
    return FormWindow::HandleMessage(msg, wParam, lParam);
}

}  // namespace tdx
