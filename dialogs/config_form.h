// Arranges the Program and System trays: add, reorder, edit, delete entries.
// Works on copies of the lists and options handed in when it opens; OK hands
// them back to be stored, Cancel drops them.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <optional>
#include <string>

#include "dialogs/config_model.h"
#include <functional>

#include "popup/paint_box.h"
#include "popup/tray_painter.h"
#include "settings/settings_edits.h"
#include "winbase/form_window.h"
#include "winbase/ui_text_win.h"
#include "winbase/unique_handle.h"

namespace tdx {

class TSettingForm;
class TDeleteForm;

// Control identifiers, so that tools and tests can find the controls.
enum ConfigControlId : int {
    kCfgPageId = 201,
    kCfgProgPaintBoxId = 211,
    kCfgSysPaintBoxId = 212,
    kCfgNamePanelId = 221,
    kCfgNameLabelId = 222,
    kWidthLabelId = 231,
    kWidthComboBoxId = 232,
};

// Commands of ProgMenu.
enum ProgMenuId : UINT {
    kPmSetting = 301,
    kPmNew,
    kPmDelete,
};

class TConfigForm : public FormWindow {
public:
    // items gives icons, paths and drives; it must outlive the dialog.
    TConfigForm(const ItemContext& items, TSettingForm& settingForm, TDeleteForm& deleteForm) noexcept
        : FormWindow(L"TConfigForm", TextRef(IDS_CONFIG_CAPTION), 329, 212, 10), items_(items),
          settingForm_(settingForm), deleteForm_(deleteForm) {}
    ~TConfigForm() override;

    bool Create(HWND owner) override;
    // Shows the dialog at the mouse to edit the copy: both lists (owning their
    // icons) and the options, with the revision they were taken at.
    void OpenRegistration(SettingsEdit copy) noexcept;
    bool IsOpen() const noexcept { return opened_ && IsShown(); }
    // Brings the open dialog to the front, with the editor or question it has open.
    void BringForward() noexcept;
    // Where OK hands the edited copy: Stale when it was taken before another
    // change was stored (it is then dropped); a failure throws and the dialog
    // stays with its edits.
    void SetStore(std::function<CommitResult(SettingsEdit& edit)> store) { store_ = std::move(store); }

    // The tray of the active page: 0 Program, 2 System.
    std::int32_t PageTray() const noexcept;
    std::int32_t SelectedIndex() const noexcept { return selectedIndex_; }
    // The copy of a list being edited (the Program or System tray's).
    ItemList& ItemsOf(std::int32_t tray) noexcept { return working_[static_cast<std::size_t>(tray)].Items; }
    const ItemList& ItemsOf(std::int32_t tray) const noexcept {
        return working_[static_cast<std::size_t>(tray)].Items;
    }

    // Clears and redraws the grid of a tray after its list changed from outside
    // (the delete confirmation).
    void RefreshGrid(std::int32_t tray) noexcept;
    void FitDialogSize() noexcept;
    // Builds the entry for a file (a shortcut is followed to its target) and
    // inserts it at the selected cell, never after the entries not in use.
    void AddFileItem(std::int32_t tray, const std::wstring& path);
    // Sets up ProgMenu for a right press on a cell, as before it opens.
    void PrepareProgMenu(std::int32_t cell) noexcept;
    HMENU ProgMenu() const noexcept { return progMenu_.get(); }

    void pmSettingClick() noexcept;
    void pmNewClick() noexcept;
    void pmDeleteClick() noexcept;
    void OkButtonClick() noexcept;
    void CancelButtonClick() noexcept;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    enum class DeleteMode { Delete, Toggle };

    bool CreateControls();
    void FormShow() noexcept;
    void FormClose() noexcept;
    void FormHide() noexcept;
    void FormActivate() noexcept;
    void CfgPageChange() noexcept;
    void ShowPage() noexcept;
    std::optional<ShortcutTarget> ResolveShortcut(const std::wstring& path) noexcept;
    void WidthComboBoxChange() noexcept;
    void DropFiles(HDROP drop) noexcept;

    void PaintBoxPaint(std::int32_t tray, HDC dc, SIZE size) noexcept;
    void PaintBoxMouseMove(std::int32_t tray, int x, int y) noexcept;
    void PaintBoxMouseDown(std::int32_t tray, UINT message, int x, int y) noexcept;
    void PaintBoxDragOver(std::int32_t tray, int x, int y) noexcept;
    void PaintBoxEndDrag(std::int32_t tray) noexcept;

    void ShowCursorTitle() noexcept;
    // A grid as a screen reader gets it.
    AccessibleGrid DescribeGrid(std::int32_t tray) const;
    void Redraw(std::int32_t tray) noexcept;
    TPaintBox& PaintBoxOf(std::int32_t tray) noexcept {
        return tray == kProgramTray ? progPaintBox_ : sysPaintBox_;
    }
    void MoveControl(int id, int x, int y, int width, int height) noexcept;
    void MoveControlTo(HWND control, int x, int y, int width, int height) noexcept;

    const ItemContext& items_;
    TSettingForm& settingForm_;
    TDeleteForm& deleteForm_;
    ShiftedDigits digits_;
    std::function<CommitResult(SettingsEdit&)> store_;

    // The copy being edited: the Program and System lists (the Task tray's
    // stays empty) and the options, taken at revision basedOn_.
    Trays working_;
    OptionSet options_;
    std::uint64_t basedOn_ = 0;
    bool opened_ = false;  // a copy handed in, not yet closed
    std::int32_t selectedIndex_ = 0;
    std::int32_t dragIndex_ = 0;
    bool dragging_ = false;
    DeleteMode deleteMenuMode_ = DeleteMode::Delete;
    std::int32_t appliedWidth_ = 0;
    std::int32_t appliedExtraRows_ = 0;

    UniqueFont formFont_;
    UniqueFont gridFont_;
    UniqueFont nameFont_;
    UniqueMenu progMenu_;
    HCURSOR gripCursor_ = nullptr;
    HWND cfgPage_ = nullptr;
    TPaintBox progPaintBox_;
    TPaintBox sysPaintBox_;
    TPaintBox namePanel_;
    HWND nameLabel_ = nullptr;
};

}  // namespace tdx
