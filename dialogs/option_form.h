// The options dialog: the hotkey, the mouse gesture, the cursor style, the
// direct-key colours and autorun of the current environment, on three pages.
#pragma once

#include <array>
#include <functional>

#include "settings/option_set.h"
#include "winbase/form_window.h"
#include "winbase/ui_text_win.h"
#include "winbase/unique_handle.h"

namespace tdx {

enum OptionControlId : int {
    kOptPageId = 701,
    // Key page
    kOptGroupBox1Id = 710,
    kOptKeyLabelId,
    kOptShiftCheckId,
    kOptAltCheckId,
    kOptControlCheckId,
    kOptKeyListBoxId,
    kOptKCursorGroupId,
    kOptKCursorRadioId,  // ... + 2
    kOptKeyPositionCheckId = kOptKCursorRadioId + 3,
    kOptDosCheckId,
    kOptKeyOnlyCheckId,
    kOptDirectMoveOnlyCheckId,
    kOptKeyNumberCheckId,
    // Mouse page
    kOptKickMouseCheckId = 730,
    kOptMouseGroupId,
    kOptMouseRadioId,  // ... + 2
    kOptMousePositionCheckId = kOptMouseRadioId + 3,
    kOptMCursorGroupId,
    kOptMCursorRadioId,  // ... + 3
    kOptMoveCursorCheckId = kOptMCursorRadioId + 4,
    // Etc. page
    kOptRightClickGroupId = 750,
    kOptRightClickRadioId,  // ... + 1
    kOptFrameGroupId = kOptRightClickRadioId + 2,
    kOptFrameRadioId,  // ... + 1
    kOptGroupBox2Id = kOptFrameRadioId + 2,
    kOptColorLabelId,
    kOptTextColorButtonId,
    kOptBackColorButtonId,
    kOptAutoRunCheckId,
    kOptLanguageLabelId,
    kOptLanguageComboId,
    kOptLanguageNoteId,
};

class TOptionForm : public FormWindow {
public:
    TOptionForm() noexcept : FormWindow(L"TOptionForm", TextRef(IDS_OPTION_CAPTION), 396, 333, 14) {}

    bool Create(HWND owner) override;
    // What OK hands the edited options to: the resident applies and saves them.
    void SetApplyOptions(std::function<void(const OptionSet&)> apply) { applyOptions_ = std::move(apply); }

    // Fills the controls from the options; false (with the registry message
    // shown) when the autorun value cannot be read.
    bool Load(const OptionSet& options);
    // Reads the controls into the dialog's copy and writes the autorun value;
    // throws the registry error when that write fails.
    void Store();
    const OptionSet& Options() const noexcept { return options_; }

    void OkButtonClick() noexcept;
    void CancelButtonClick() noexcept { Hide(); }

protected:
    int HelpContext() const noexcept override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    HWND Item(int id) const noexcept;
    bool Checked(int id) const noexcept;
    void Check(int id, bool on) noexcept;
    int RadioIndex(int firstId, int count) const noexcept;
    void SetRadioIndex(int firstId, int count, int index) noexcept;
    void KeepRadioChoice(int firstId, int count) noexcept;
    void ShowPage(int page) noexcept;
    // Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp: the next or previous page, round.
    void StepPage(int step) noexcept;
    bool DialogKey(const MSG& msg) noexcept;
    static HWND TabStopAmong(HWND parent, bool last) noexcept;
    void UpdateKeyLabel() noexcept;
    void ApplyEnablingRule() noexcept;
    void PickColor(bool text) noexcept;

    std::function<void(const OptionSet&)> applyOptions_;
    OptionSet options_;
    COLORREF sampleText_ = 0;
    COLORREF sampleBack_ = 0;
    UniqueBrush sampleBrush_;
    std::array<COLORREF, 16> customColors_{};  // the colour dialog's own row, kept between uses
    UniqueFont formFont_;
    UniqueFont pageFont_;
    int page_ = 0;
};

}  // namespace tdx
