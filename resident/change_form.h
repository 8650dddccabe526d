// Names a new or changed environment and whether the menu offers it.
#pragma once

#include <functional>
#include <string>

#include "winbase/form_window.h"
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
    TChangeForm() noexcept : FormWindow(L"TChangeForm", L"環境の変更", 242, 145, 22) {}

    bool Create(HWND owner) override;
    // Opens the dialog for a name and display mode; OK hands them to `confirm`.
    void Open(const wchar_t* caption, const std::wstring& name, int popup,
              std::function<void(const std::wstring& name, int popup)> confirm);

    void OkButtonClick() noexcept;
    void CancelButtonClick() noexcept { Hide(); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    std::function<void(const std::wstring&, int)> confirm_;
    UniqueFont font_;
};

}  // namespace tdx
