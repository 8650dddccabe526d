// The options dialog: every option, the hotkey and autorun.
#pragma once

#include "winbase/form_window.h"

namespace tdx {

class TOptionForm : public FormWindow {
public:
    TOptionForm() noexcept : FormWindow(L"TOptionForm", L"各種設定", 396, 333) {}
};

}  // namespace tdx
