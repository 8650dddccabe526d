// The process-wide state of the resident program: created at start-up, kept
// until exit, and handed by reference to the windows that read it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "popup/cd_audio_device.h"
#include "popup/tray_layout.h"
#include "settings/environments.h"
#include "settings/item_lists.h"
#include "settings/option_set.h"

namespace tdx {

struct AppState {
    OptionSet Options;
    EnvironmentTable Environments;
    // How the item lists reach the settings files, icons and drives.
    ItemContext Items;
    // The System tray's audio-CD device; set up by the main window.
    CdAudioDevice* CdDevice = nullptr;
    // Program, Task and System tray; the settings store fills 0 and 2, the task
    // enumeration fills 1 at every show.
    ::tdx::Trays Trays;
    // Opens the item editor on an entry of the Program or System tray (tray,
    // index); installed by the resident, which owns the dialogs.
    std::function<void(std::int32_t tray, std::int32_t index)> OpenItemEditor;

    int CurrentFileNumber() const noexcept { return Environments.CurrentFileNumber(); }
};

}  // namespace tdx
