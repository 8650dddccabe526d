// Asks before a registered entry is deleted.
#pragma once

#include "winbase/form_window.h"

namespace tdx {

class TDeleteForm : public FormWindow {
public:
    TDeleteForm() noexcept : FormWindow(L"TDeleteForm", L"アイコンの削除", 300, 120) {}
};

}  // namespace tdx
