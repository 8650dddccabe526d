// A modeless dialog window of the program: created once at start-up, owned by the
// hidden main window (so it never gets a taskbar button), hidden instead of
// destroyed when the user closes it.
#pragma once

#include "winbase/window_base.h"

namespace tdx {

class FormWindow : public WindowBase {
public:
    FormWindow(const wchar_t* className, const wchar_t* caption, int clientWidth, int clientHeight,
               int helpContext = 0) noexcept
        : className_(className), caption_(caption), clientWidth_(clientWidth),
          clientHeight_(clientHeight), helpContext_(helpContext) {}

    bool Create(HWND owner);
    const wchar_t* ClassName() const noexcept { return className_; }

protected:
    // The help topic F1 opens; 0 for none. A form with pages answers for the page shown.
    virtual int HelpContext() const noexcept { return helpContext_; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    const wchar_t* className_;
    const wchar_t* caption_;
    int clientWidth_;
    int clientHeight_;
    int helpContext_;
};

}  // namespace tdx
