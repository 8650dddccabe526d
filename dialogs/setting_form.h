// The item editor: one entry's icon, file, title, direct key, parameters and folder.
#pragma once

#include "winbase/form_window.h"

namespace tdx {

class TSettingForm : public FormWindow {
public:
    TSettingForm() noexcept : FormWindow(L"TSettingForm", L"設定変更", 360, 300) {}
};

}  // namespace tdx
