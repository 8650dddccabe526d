// Shows the program's icon, name and version.
#pragma once

#include "winbase/form_window.h"
#include "winbase/ui_text_win.h"
#include "winbase/unique_handle.h"

namespace tdx {

enum AboutControlId : int {
    kAboutImageId = 501,
    kAboutNameLabelId = 502,
    kAboutVersionLabelId = 503,
};

// The maker's line under the version.
inline constexpr wchar_t kMakerName[] = L"Tiledex Workshop";

class TAboutForm : public FormWindow {
public:
    TAboutForm() noexcept : FormWindow(L"TAboutForm", TextRef(IDS_ABOUT_CAPTION), 150, 140) {}

    bool Create(HWND owner) override;
    void Button1Click() noexcept { Hide(); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void FormShow() noexcept;

    UniqueFont font_;
    UniqueFont nameFont_;
    UniqueIcon icon_;
};

}  // namespace tdx
