// Arranges the Program and System trays: add, reorder, edit, delete entries.
// Works on the popup's own lists, so the popup follows every change at once;
// OK stores both lists and the options, Cancel puts back the copies taken when
// the dialog was shown.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <optional>
#include <string>

#include "dialogs/config_model.h"
#include "popup/app_state.h"
#include "popup/paint_box.h"
#include "popup/tray_painter.h"
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
    TConfigForm(AppState& app, TSettingForm& settingForm, TDeleteForm& deleteForm) noexcept
        : FormWindow(L"TConfigForm", TextRef(IDS_CONFIG_CAPTION), 329, 212, 10), app_(app),
          settingForm_(settingForm), deleteForm_(deleteForm) {}
    ~TConfigForm() override;

    bool Create(HWND owner) override;
    // Takes the copies that Cancel puts back and shows the dialog at the mouse;
    // when it is open already, only brings it to the front.
    void OpenRegistration() noexcept;

    // The tray of the active page: 0 Program, 2 System.
    std::int32_t PageTray() const noexcept;
    std::int32_t SelectedIndex() const noexcept { return selectedIndex_; }

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
    ItemList& ItemsOf(std::int32_t tray) noexcept {
        return app_.Trays[static_cast<std::size_t>(tray)].Items;
    }
    void MoveControl(int id, int x, int y, int width, int height) noexcept;
    void MoveControlTo(HWND control, int x, int y, int width, int height) noexcept;

    AppState& app_;
    TSettingForm& settingForm_;
    TDeleteForm& deleteForm_;
    ShiftedDigits digits_;

    ItemList savedProgramItems_;
    ItemList savedSystemItems_;
    std::int32_t savedColMax_ = 0;
    bool okPressed_ = false;
    bool opened_ = false;  // copies taken, not yet closed
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
