// Selects, adds, renames and deletes environments, on a working copy of the
// environment table that OK puts in place.
#pragma once

#include <functional>

#include "popup/app_state.h"
#include "dialogs/change_form.h"
#include "dialogs/working_table.h"
#include "winbase/form_window.h"
#include "winbase/ui_text_win.h"
#include "winbase/unique_handle.h"

namespace tdx {

enum SelectControlId : int {
    kSelectLabelId = 821,
    kSetListBoxId,
    kAddButtonId,
    kDeleteButtonId,
    kChangeButtonId,
};

class TSelectForm : public FormWindow {
public:
    TSelectForm(AppState& app, TChangeForm& changeForm) noexcept
        : FormWindow(L"TSelectForm", TextRef(IDS_SELECT_CAPTION), 242, 151, 22), app_(app), changeForm_(changeForm) {}

    bool Create(HWND owner) override;
    // Makes a slot of the (new) table current, as the menu's environment items do.
    // With reload, the slot is read even when it is already the current one.
    void SetSwitchEnvironment(std::function<void(int slot, bool reload)> switchTo) {
        switchTo_ = std::move(switchTo);
    }

    void AddButtonClick() noexcept;
    void DeleteButtonClick() noexcept;
    void ChangeButtonClick() noexcept;
    void OkButtonClick() noexcept;
    void CancelButtonClick() noexcept { Hide(); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    HWND List() const noexcept { return ::GetDlgItem(hwnd(), kSetListBoxId); }
    int SelectedLine() const noexcept;
    void FormShow() noexcept;
    void UpdateButtons() noexcept;
    void NameConfirmed(bool adding, const std::wstring& name, int popup);
    void ApplyOk();

    AppState& app_;
    TChangeForm& changeForm_;
    std::function<void(int, bool)> switchTo_;
    WorkingTable working_;
    UniqueFont font_;
};

}  // namespace tdx
