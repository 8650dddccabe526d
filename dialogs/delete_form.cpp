#include "dialogs/delete_form.h"

#include <imm.h>

#include <array>
#include <utility>

#include "dialogs/dialog_support.h"
#include "popup/placement_win.h"
#include "popup/tray_painter.h"
#include "settings/item_lists.h"
#include "winbase/dpi_scale.h"
#include "winbase/ui_text_win.h"

namespace tdx {
namespace {

const std::array<ControlSpec, 3> kLayout{{
    {L"STATIC", L"", 64, 8, 136, 48, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kDelLabelId},
    {L"BUTTON", TextRef(IDS_DELETE_YES), 28, 66, 73, 23, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK},
    {L"BUTTON", TextRef(IDS_DELETE_NO), 108, 66, 73, 23, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL},
}};

constexpr RECT kDelBevel{8, 8, 8 + 46, 8 + 46};

}  // namespace

bool TDeleteForm::Create(HWND owner) {
    if (!FormWindow::Create(owner)) return false;
    // A question with two buttons: no system menu.
    ::SetWindowLongW(hwnd(), GWL_STYLE, ::GetWindowLongW(hwnd(), GWL_STYLE) & ~WS_SYSMENU);
    ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ::ImmAssociateContext(hwnd(), nullptr);
    font_ = DialogFont(hwnd(), 15);
    if (!CreateControls(hwnd(), kLayout, font_.get())) return false;
    delLabel_ = ::GetDlgItem(hwnd(), kDelLabelId);

    TPaintBox::Handlers handlers;
    handlers.paint = [this](HDC dc, SIZE size) {
        ClearPaintBox(dc, size.cx, size.cy, kButtonFaceColor);  // design units, as the icon below
        if (entry_.Icon)
            ::DrawIconEx(dc, 6, 6, static_cast<HICON>(entry_.Icon), kIconSize, kIconSize, 0,
                         nullptr, DI_NORMAL);
    };
    if (!delPaintBox_.Create(hwnd(), L"TPaintBox", kDelPaintBoxId, std::move(handlers)))
        return false;
    delPaintBox_.SetBounds(ScaleForWindow(hwnd(), 9), ScaleForWindow(hwnd(), 9),
                           ScaleForWindow(hwnd(), 44), ScaleForWindow(hwnd(), 44));
    return true;
}

void TDeleteForm::OpenFor(const LaunchItem& entry, HWND over,
                          std::function<void(const LaunchItem& entry)> confirmed) {
    if (!EnsureCreated()) return;
    entry_ = entry;
    confirmed_ = std::move(confirmed);
    const std::wstring question = FormatText(IDS_DELETE_QUESTION, entry.Title);
    ::SetWindowTextW(delLabel_, question.c_str());
    ::InvalidateRect(delPaintBox_.hwnd(), nullptr, FALSE);
    RECT r{};
    ::GetWindowRect(over, &r);
    ShowFormAlignedToRect(hwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, 4);
    ::SetFocus(::GetDlgItem(hwnd(), IDOK));
}

void TDeleteForm::OKButtonClick() noexcept {
    Hide();
    LaunchItem entry = std::exchange(entry_, LaunchItem{});
    const auto confirmed = std::exchange(confirmed_, nullptr);
    try {
        if (confirmed) confirmed(entry);
    } catch (...) {
        // Out of memory: the list stays as it was.
    }
}

void TDeleteForm::CancelButtonClick() noexcept {
    entry_ = LaunchItem{};
    confirmed_ = nullptr;
    Hide();
}

LRESULT TDeleteForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
    case WM_PAINT: {
        PaintGuard paint(hwnd());
        RECT bevel{ScaleForWindow(hwnd(), kDelBevel.left), ScaleForWindow(hwnd(), kDelBevel.top),
                   ScaleForWindow(hwnd(), kDelBevel.right), ScaleForWindow(hwnd(), kDelBevel.bottom)};
        ::DrawEdge(paint.dc(), &bevel, BDR_SUNKENOUTER, BF_RECT);
        return 0;
    }
    case DM_GETDEFID:
        return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) OKButtonClick();
        else if (LOWORD(wParam) == IDCANCEL) CancelButtonClick();
        return 0;
    case WM_CLOSE:
        CancelButtonClick();
        return 0;
    default:
        return FormWindow::HandleMessage(msg, wParam, lParam);
    }
}

}  // namespace tdx
