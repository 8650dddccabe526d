// The process-wide state of the resident program: created at start-up, kept
// until exit, and handed by reference to the windows that read it.
#pragma once

#include <cstdint>
#include <string>

#include "popup/popup_mode.h"
#include "popup/tray_layout.h"
#include "settings/option_set.h"

namespace tdx {

struct AppState {
    OptionSet Options;
    // Program, Task and System tray; the settings store fills 0 and 2, the task
    // enumeration fills 1 at every show.
    ::tdx::Trays Trays;
    std::int32_t PopupMode = kPopupHidden;
    bool DialogBusy = false;
    std::wstring HelpFilePath;
    int HelpPopupX = 0;
    int HelpPopupY = 0;
};

}  // namespace tdx
