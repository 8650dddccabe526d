// A modeless dialog window of the program: created at its first opening, owned
// by the hidden main window (so it never gets a taskbar button), hidden instead
// of destroyed when the user closes it.
#pragma once

#include <vector>

#include "winbase/unique_handle.h"
#include "winbase/window_base.h"

namespace tdx {

class FormWindow : public WindowBase {
public:
    FormWindow(const wchar_t* className, const wchar_t* caption, int clientWidth, int clientHeight,
               int helpContext = 0) noexcept
        : className_(className), caption_(caption), clientWidth_(clientWidth),
          clientHeight_(clientHeight), helpContext_(helpContext) {}

    virtual bool Create(HWND owner);
    // Most runs open few of the dialogs, and each one made costs memory for as
    // long as the program runs: they are made when first opened, owned by this.
    static void SetOwnerOfForms(HWND owner) noexcept { ownerOfForms_ = owner; }
    // Makes the window now if it was not made yet; false when that fails.
    bool EnsureCreated() noexcept;
    const wchar_t* ClassName() const noexcept { return className_; }

protected:
    // The help topic F1 opens; 0 for none. A form with pages answers for the page shown.
    virtual int HelpContext() const noexcept { return helpContext_; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    // Moved to a monitor of another DPI: the window takes the system's suggested
    // rectangle, and every control its place and font at the new DPI.
    void FormDpiChanged(int dpi, const RECT& suggested) noexcept;

    int dpi_ = 96;  // the DPI its controls are laid out for
    // The controls' fonts at the current DPI, once it is not the first one.
    std::vector<UniqueFont> scaledFonts_;
    const wchar_t* className_;
    const wchar_t* caption_;
    int clientWidth_;
    int clientHeight_;
    int helpContext_;
    static inline HWND ownerOfForms_ = nullptr;
};

}  // namespace tdx
