// Asks before a registered entry is deleted, and deletes it on yes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "popup/app_state.h"
#include "popup/paint_box.h"
#include "winbase/form_window.h"
#include "winbase/ui_text_win.h"
#include "winbase/unique_handle.h"

namespace tdx {

enum DeleteControlId : int {
    kDelPaintBoxId = 401,
    kDelLabelId = 402,
};

class TDeleteForm : public FormWindow {
public:
    explicit TDeleteForm(AppState& app) noexcept
        : FormWindow(L"TDeleteForm", TextRef(IDS_DELETE_CAPTION), 207, 98), app_(app) {}

    bool Create(HWND owner) override;

    // Asks about the entry at (tray, index) and shows the question centred over
    // `over`. After a deletion refreshGrid is called with the tray.
    void OpenFor(std::int32_t tray, std::int32_t index, HWND over,
                 std::function<void(std::int32_t tray)> refreshGrid);

    void OKButtonClick() noexcept;
    void CancelButtonClick() noexcept;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    AppState& app_;
    std::int32_t tray_ = 0;
    std::int32_t index_ = -1;
    // The entry as it was when asked about (its icon handle not owned here): the
    // list may change while the question is up.
    LaunchItem entry_;
    std::function<void(std::int32_t)> refreshGrid_;
    UniqueFont font_;
    TPaintBox delPaintBox_;
    HWND delLabel_ = nullptr;
};

}  // namespace tdx
