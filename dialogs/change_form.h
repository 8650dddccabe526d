// Names a new or changed environment and whether the menu offers it.
#pragma once

#include <functional>
#include <string>

#include "winbase/form_window.h"
#include "winbase/ui_text_win.h"
#include "winbase/unique_handle.h"

namespace tdx {

enum ChangeControlId : int {
    kChangeNameLabelId = 801,
    kChangeNameEditId,
    kChangeGroupBoxId,
    kChangeNoRadioId,
    kChangeDispRadioId,
};

class TChangeForm : public FormWindow {
public:
    TChangeForm() noexcept : FormWindow(L"TChangeForm", TextRef(IDS_CHANGE_CAPTION_CHANGE), 242, 145, 22) {}

    bool Create(HWND owner) override;
    // Opens the dialog for a name and display mode; OK hands them to `confirm`.
    // The dialog is modal to `asker`: it stays disabled until the name dialog ends.
    void Open(HWND asker, const wchar_t* caption, const std::wstring& name, int popup,
              std::function<void(const std::wstring& name, int popup)> confirm);
    // Ends the dialog without handing anything back: the edit it belonged to is over.
    void Dismiss() noexcept;

    void OkButtonClick() noexcept;
    void CancelButtonClick() noexcept { Dismiss(); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    std::function<void(const std::wstring&, int)> confirm_;
    HWND asker_ = nullptr;
    UniqueFont font_;
};

}  // namespace tdx
