// Selects, adds, renames and deletes environments.
#pragma once

#include "winbase/form_window.h"

namespace tdx {

class TSelectForm : public FormWindow {
public:
    TSelectForm() noexcept : FormWindow(L"TSelectForm", L"環境選択/設定", 242, 151) {}
};

}  // namespace tdx
