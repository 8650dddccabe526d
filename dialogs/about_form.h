// Shows the program's icon, name and version.
#pragma once

#include "winbase/form_window.h"

namespace tdx {

class TAboutForm : public FormWindow {
public:
    TAboutForm() noexcept : FormWindow(L"TAboutForm", L"バージョン情報", 280, 130) {}
};

}  // namespace tdx
