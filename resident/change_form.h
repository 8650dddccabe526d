// Names a new or changed environment and its menu display.
#pragma once

#include "winbase/form_window.h"

namespace tdx {

class TChangeForm : public FormWindow {
public:
    TChangeForm() noexcept : FormWindow(L"TChangeForm", L"環境の変更", 242, 145) {}
};

}  // namespace tdx
