// The popup window: a small borderless window of three trays, shown by the hotkey
// or a mouse gesture and hidden again as soon as it loses activation.
#pragma once

#include "resident/app_state.h"
#include "winbase/window_base.h"

namespace tdx {

class TTdxMainForm : public WindowBase {
public:
    explicit TTdxMainForm(AppState& app) noexcept : app_(app) {}

    bool Create(HWND owner);
    // The controller has set PopupMode; prepare, place and show the window.
    void ShowPopup() noexcept;
    void HidePopup() noexcept;
    bool MenuBusy() const noexcept { return menuBusy_; }
    // A right double-click on the popup's own client area (not on a child control).
    void TrayRightDoubleClick(int x, int y) noexcept;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void FormShow() noexcept;
    void PreparePopup() noexcept;
    void FormKeyDown(WPARAM key) noexcept;
    void FormActivate(WPARAM state) noexcept;
    bool FormCloseQuery() const noexcept { return !menuBusy_; }
    void FormClose() noexcept;
    void FormPaint() noexcept;

    AppState& app_;
    bool menuBusy_ = false;
};

}  // namespace tdx
