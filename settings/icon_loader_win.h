// Reads entry icons after start-up, so that neither start-up nor the popup
// waits for an icon file on a slow or unplugged drive. Icons of local fixed
// drives and of the shell's special folders are read on the calling thread,
// a few at a time between its messages (a thread costs its stack, and under
// Wine a stack of about 1 MB that stays until another thread ends); icons of
// shares, removable and CD drives and names without a drive are read on a
// thread per drive or share. Each icon is posted to a window as it arrives;
// the window's thread decides whether it still belongs to an entry
// (TakeLoadedIcon).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "settings/deferred_icons.h"
#include "winbase/window_messages.h"

namespace tdx {

struct LoadedIcon {
    IconRequest request;
    HICON icon = nullptr;
};

class IconLoader {
public:
    using LoadFunction = std::function<HICON(const IconRequest&)>;

    // load runs on the thread that reads the icon (LoadItemIcon when empty).
    explicit IconLoader(LoadFunction load = {});
    ~IconLoader();  // cancels; never waits for a file that does not answer
    IconLoader(const IconLoader&) = delete;
    IconLoader& operator=(const IconLoader&) = delete;

    // Starts reading the icons, in order within each drive or share; a run
    // still going is cancelled first. The calling thread must dispatch its
    // messages (its share is read in a timer's turns). False when some could
    // not be started.
    bool Start(HWND notify, std::vector<IconRequest> requests);
    // Icons not yet read are not read; one being read is dropped when it comes.
    void Cancel() noexcept;

    struct Run;  // one start's requests, shared with its thread

private:
    LoadFunction load_;
    std::shared_ptr<Run> run_;
};

// The receiver's side of WM_ICONLOADED.
std::unique_ptr<LoadedIcon> TakeLoadedIconMessage(LPARAM lParam) noexcept;

}  // namespace tdx
