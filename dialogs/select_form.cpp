#include "dialogs/select_form.h"

#include <array>

#include "dialogs/dialog_support.h"
#include "popup/placement_win.h"
#include "settings/settings_folder_win.h"
#include "settings/error_display_win.h"
#include "winbase/ui_text_win.h"

namespace tdx {
namespace {

const std::array<ControlSpec, 7> kLayout{{
    {L"STATIC", TextRef(IDS_SELECT_LABEL), 8, 8, 120, 14, WS_VISIBLE | SS_LEFT, kSelectLabelId},
    {L"LISTBOX", L"", 8, 24, 145, 117,
     WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, kSetListBoxId},
    {L"BUTTON", TextRef(IDS_SELECT_ADD), 162, 24, 73, 21, WS_VISIBLE | WS_TABSTOP, kAddButtonId},
    {L"BUTTON", TextRef(IDS_SELECT_DELETE), 162, 48, 73, 21, WS_VISIBLE | WS_TABSTOP, kDeleteButtonId},
    {L"BUTTON", TextRef(IDS_SELECT_CHANGE), 162, 72, 73, 21, WS_VISIBLE | WS_TABSTOP, kChangeButtonId},
    {L"BUTTON", TextRef(IDS_OK), 162, 96, 73, 21, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK},
    {L"BUTTON", TextRef(IDS_CANCEL), 162, 120, 73, 21, WS_VISIBLE | WS_TABSTOP, IDCANCEL},
}};

}  // namespace

bool TSelectForm::Create(HWND owner) {
    if (!FormWindow::Create(owner)) return false;
    font_ = DialogFont(hwnd(), 12);
    if (!CreateControls(hwnd(), kLayout, font_.get())) return false;
    return true;
}

int TSelectForm::SelectedLine() const noexcept {
    return static_cast<int>(::SendMessageW(List(), LB_GETCURSEL, 0, 0));
}

void TSelectForm::FormShow() noexcept {
    // A name dialog still open from an earlier showing belongs to the copy about to be replaced.
    changeForm_.Dismiss();
    PlaceFormAtCursor(hwnd(), 0, 0, false);
    ::SendMessageW(List(), LB_RESETCONTENT, 0, 0);
    working_ = MakeWorkingTable(table_);
    for (int n = 1; n <= working_.Count; ++n)
        ::SendMessageW(List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(working_.Slot(n).IniName.c_str()));
    ::SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(table_.IniNo - 1), 0);
    UpdateButtons();
}

void TSelectForm::UpdateButtons() noexcept {
    const auto lines = ::SendMessageW(List(), LB_GETCOUNT, 0, 0);
    ::EnableWindow(::GetDlgItem(hwnd(), kAddButtonId), lines < kMaxEnvironments);
    // The first environment can never be deleted.
    ::EnableWindow(::GetDlgItem(hwnd(), kDeleteButtonId), SelectedLine() > 0);
    ::EnableWindow(::GetDlgItem(hwnd(), kChangeButtonId), TRUE);
}

void TSelectForm::NameConfirmed(bool adding, const std::wstring& name, int popup) {
    ConfirmName(working_, adding, name, popup);
    if (adding) {
        const auto line = ::SendMessageW(List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        ::SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
        UpdateButtons();
    } else {
        const int line = SelectedLine();
        if (line < 0) return;
        ::SendMessageW(List(), LB_DELETESTRING, static_cast<WPARAM>(line), 0);
        ::SendMessageW(List(), LB_INSERTSTRING, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(name.c_str()));
        ::SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    }
}

void TSelectForm::AddButtonClick() noexcept {
    if (working_.Count >= kMaxEnvironments) return;
    PrepareAdd(working_);
    const EnvironmentSlot& slot = working_.Slot(working_.EditedSlot);
    changeForm_.Open(hwnd(), Text(IDS_CHANGE_CAPTION_ADD), slot.IniName, slot.IniPopup,
                     [this](const std::wstring& name, int popup) { NameConfirmed(true, name, popup); });
}

void TSelectForm::ChangeButtonClick() noexcept {
    const int line = SelectedLine();
    if (line < 0 || line >= working_.Count) return;
    working_.EditedSlot = line + 1;
    const EnvironmentSlot& slot = working_.Slot(working_.EditedSlot);
    changeForm_.Open(hwnd(), Text(IDS_CHANGE_CAPTION_CHANGE), slot.IniName, slot.IniPopup,
                     [this](const std::wstring& name, int popup) { NameConfirmed(false, name, popup); });
}

void TSelectForm::DeleteButtonClick() noexcept {
    const int line = SelectedLine();
    if (line < 1) return;
    const int next = DeleteLine(working_, line);
    ::SendMessageW(List(), LB_DELETESTRING, static_cast<WPARAM>(line), 0);
    ::SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(next), 0);
    UpdateButtons();
}

void TSelectForm::ApplyOk() {
    const EnvironmentFileChanges changes = FileChangesOf(table_, working_);
    EnvironmentEdit edit;
    edit.BasedOn = basedOn_;
    edit.AddedFiles = changes.Added;
    edit.RemovedFiles = changes.Removed;
    const int loadedFile = table_.CurrentFileNumber();
    edit.Table = ApplyWorkingTable(table_, working_);
    // The environment whose settings are loaded stays current until the switch
    // has read another one; no write may go to a file not loaded.
    const int loadedSlot = SlotOfFile(edit.Table, loadedFile);
    edit.Table.IniNo = loadedSlot != 0 ? loadedSlot : 1;
    // The loaded environment was deleted: whatever is selected is read anew.
    const bool reload = loadedSlot == 0;
    const int selected = SelectedLine() + 1;
    if (apply_) apply_(edit, selected >= 1 && selected <= edit.Table.IniMax ? selected : 0, reload);
}

void TSelectForm::OkButtonClick() noexcept {
    Hide();
    RunGuarded(hwnd(), [this] { ApplyOk(); });
}

LRESULT TSelectForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
    case WM_SHOWWINDOW:
        if (wParam) FormShow();
        // Hidden by OK, Cancel or another window of the program: the edit, and
        // the name dialog's part of it, is over.
        else changeForm_.Dismiss();
        break;
    case WM_ACTIVATE:
        // The name dialog keeps the front while it is open.
        if (LOWORD(wParam) != WA_INACTIVE && ::IsWindowVisible(changeForm_.hwnd()))
            ::SetForegroundWindow(changeForm_.hwnd());
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: OkButtonClick(); return 0;
        case IDCANCEL: CancelButtonClick(); return 0;
        case kAddButtonId: AddButtonClick(); return 0;
        case kDeleteButtonId: DeleteButtonClick(); return 0;
        case kChangeButtonId: ChangeButtonClick(); return 0;
        case kSetListBoxId:
            if (HIWORD(wParam) == LBN_SELCHANGE) UpdateButtons();
            return 0;
        default: break;
        }
        break;
    case WM_CLOSE:
        CancelButtonClick();
        return 0;
    default:
        break;
    }
    return FormWindow::HandleMessage(msg, wParam, lParam);
}

}  // namespace tdx
