// Arranges the Program and System trays: add, reorder, edit, delete entries.
#pragma once

#include "winbase/form_window.h"

namespace tdx {

class TConfigForm : public FormWindow {
public:
    TConfigForm() noexcept : FormWindow(L"TConfigForm", L"アイコンの登録／変更", 329, 220) {}
};

}  // namespace tdx
