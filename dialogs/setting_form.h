// The item editor: one entry's title, direct key, icon, target, parameters and
// working folder. It edits a copy, and OK hands the values typed back to
// whoever opened it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <functional>

#include "settings/settings_edits.h"
#include "popup/grid_accessible_win.h"
#include "winbase/com_ptr.h"
#include "winbase/form_window.h"
#include "winbase/ui_text_win.h"
#include "winbase/unique_handle.h"

namespace tdx {

enum SettingControlId : int {
    kSettingDirectLabelId = 601,
    kSettingDirectEditId,
    kSettingShiftCheckId,
    kSettingTitleLabelId,
    kSettingTitleEditId,
    kSettingIconFileLabelId,
    kSettingIconEditId,
    kSettingBrowseButtonId,
    kSettingIconLabelId,
    kSettingIconScrollBoxId,
    kSettingExeLabelId,
    kSettingExeEditId,
    kSettingExeBrowseButtonId,
    kSettingArgumentLabelId,
    kSettingArgumentEditId,
    kSettingDirectoryLabelId,
    kSettingDirectoryEditId,
    kSettingOkButtonId = IDOK,
    kSettingCancelButtonId = IDCANCEL,
};

// Width of one cell of the icon strip, in design pixels.
inline constexpr int kIconCell = 40;

class TSettingForm : public FormWindow {
public:
    // items gives the icons of the strip; it must outlive the editor.
    explicit TSettingForm(const ItemContext& items) noexcept
        : FormWindow(L"TSettingForm", TextRef(IDS_SETTING_CAPTION), 417, 359, 12), items_(items) {}
    ~TSettingForm() override;

    bool Create(HWND owner) override;
    // Loads the entry, which stands at index of the Program or System tray;
    // false (and the editor stays hidden) for another tray. The caller shows
    // the editor afterwards. OK hands the entry as it was and as typed to done.
    bool OpenItemEditor(std::int32_t tray, std::int32_t index, const LaunchItem& entry, bool keyNumberFlag,
                        std::function<void(const EntryEdit&)> done);
    // Shows the editor centred over the rectangle, with the strip scrolled to
    // the chosen icon and the focus in the key box.
    void ShowCentredOver(const RECT& rect) noexcept;

    std::int32_t SelectedIcon() const noexcept { return selectedIcon_; }
    std::size_t IconCount() const noexcept { return iconStrip_.size(); }

    void OKButtonClick() noexcept;
    void CancelButtonClick() noexcept { Hide(); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    friend LRESULT CALLBACK SettingEditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
    friend LRESULT CALLBACK IconScrollBoxProc(HWND, UINT, WPARAM, LPARAM) noexcept;

    HWND Item(int id) const noexcept { return ::GetDlgItem(hwnd(), id); }
    void FocusOk() noexcept { ::SetFocus(Item(kSettingOkButtonId)); }
    void Warn(const wchar_t* text) noexcept;

    int BuildIconStrip(const std::wstring& file) noexcept;
    void ClearIconStrip() noexcept;
    void LayoutIconStrip() noexcept;
    void ScrollIconStripTo(int position) noexcept;
    void PaintIconStrip(HDC dc) noexcept;
    void IconPaintBoxMouseDown(int x) noexcept;

    // Enter in the edit boxes, and the typed keys of DirectEdit; true when swallowed.
    bool EditEnter(int id) noexcept;
    bool DirectEditChar(wchar_t c) noexcept;
    bool DirectEditKeyDown(WPARAM key) noexcept;
    void DirectEditPaste() noexcept;
    void DirectEditChange() noexcept;
    void SetDirectText(const std::wstring& text);
    bool DirectShift() const noexcept;
    void ShiftCheckClick() noexcept;
    void BrowseButtonClick() noexcept;
    void ExeBrowseButtonClick() noexcept;
    void IconChosen(const std::wstring& file) noexcept;

    const ItemContext& items_;
    UniqueFont font_;
    std::int32_t tray_ = 0;
    std::int32_t index_ = 0;
    // The entry as it was opened: whoever takes the edit finds it again by it.
    LaunchItem entry_;
    bool keyNumberFlag_ = false;
    std::function<void(const EntryEdit&)> done_;
    std::uint32_t flagByte_ = 0;
    std::int32_t selectedIcon_ = -1;
    std::vector<HICON> iconStrip_;
    int stripScroll_ = 0;
    std::wstring lastIconFile_, lastExeFile_, lastFolder_;
    std::wstring directText_;  // the key the direct-key box shows, as last accepted

    // The icon strip as a screen reader gets it: a list of the file's icons.
    class IconStripSource final : public AccessibleGridSource {
    public:
        explicit IconStripSource(TSettingForm& form) noexcept : form_(form) {}
        HWND GridWindow() const noexcept override;
        bool Describe(AccessibleGrid& grid) const noexcept override;
        bool CanRunCells() const noexcept override { return false; }
        void RunCellLater(int) noexcept override {}

    private:
        TSettingForm& form_;
    };
    LRESULT IconStripObject(WPARAM wParam) noexcept;
    IconStripSource stripSource_{*this};
    ComPtr<GridAccessible> stripAccessible_;  // made at the first request
};

}  // namespace tdx
