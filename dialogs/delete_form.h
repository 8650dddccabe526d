// Asks before a registered entry is deleted, and says yes back to whoever asked.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "settings/launch_item.h"
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
    TDeleteForm() noexcept : FormWindow(L"TDeleteForm", TextRef(IDS_DELETE_CAPTION), 207, 98) {}

    bool Create(HWND owner) override;

    // Asks about the entry (its icon is borrowed, and must stay while the
    // question is up) and shows the question centred over `over`. Yes calls
    // confirmed with the entry as it was asked about.
    void OpenFor(const LaunchItem& entry, HWND over, std::function<void(const LaunchItem& entry)> confirmed);

    void OKButtonClick() noexcept;
    void CancelButtonClick() noexcept;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    // The entry as it was when asked about (its icon handle not owned here).
    LaunchItem entry_;
    std::function<void(const LaunchItem&)> confirmed_;
    UniqueFont font_;
    TPaintBox delPaintBox_;
    HWND delLabel_ = nullptr;
};

}  // namespace tdx
