// A modeless dialog window of the program: created once at start-up, owned by the
// hidden main window (so it never gets a taskbar button), hidden instead of
// destroyed when the user closes it.
#pragma once

#include "winbase/window_base.h"

namespace tdx {

class FormWindow : public WindowBase {
public:
    FormWindow(const wchar_t* className, const wchar_t* caption, int clientWidth,
               int clientHeight) noexcept
        : className_(className), caption_(caption), clientWidth_(clientWidth),
          clientHeight_(clientHeight) {}

    bool Create(HWND owner);
    const wchar_t* ClassName() const noexcept { return className_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    const wchar_t* className_;
    const wchar_t* caption_;
    int clientWidth_;
    int clientHeight_;
};

}  // namespace tdx
