// Selects, adds, renames and deletes environments, on a working copy of the
// environment table that OK hands back to be stored.
#pragma once

#include <functional>

#include "dialogs/change_form.h"
#include "dialogs/working_table.h"
#include "settings/settings_edits.h"
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
    explicit TSelectForm(TChangeForm& changeForm) noexcept
        : FormWindow(L"TSelectForm", TextRef(IDS_SELECT_CAPTION), 242, 151, 22), changeForm_(changeForm) {}

    bool Create(HWND owner) override;
    // The table in force and its revision, copied before the dialog is shown.
    void Load(const EnvironmentTable& table, std::uint64_t basedOn) {
        table_ = table;
        basedOn_ = basedOn;
    }
    // OK hands back the edited table, the slot selected (0 for none) and
    // whether it must be read even when it is the current one (the loaded
    // environment was deleted).
    void SetApply(std::function<void(const EnvironmentEdit& edit, int slot, bool reload)> apply) {
        apply_ = std::move(apply);
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

    TChangeForm& changeForm_;
    std::function<void(const EnvironmentEdit&, int, bool)> apply_;
    EnvironmentTable table_;
    std::uint64_t basedOn_ = 0;
    WorkingTable working_;
    UniqueFont font_;
};

}  // namespace tdx
