// The menu a right click or a key opens on an entry: built afresh from the
// rules' state for that entry, tracked at a point, and the item chosen handed
// back. It knows only its owner window; the popup runs the command.
#pragma once

#include <windows.h>

#include <optional>

#include "popup/entry_menu_rules.h"

namespace tdx {

class EntryMenu {
public:
    void SetOwner(HWND owner) noexcept { owner_ = owner; }
    // Shows the menu at the screen point until the user chooses or dismisses
    // it. The owner must have the foreground, or the menu would not close when
    // the user clicks elsewhere.
    std::optional<EntryMenuItem> Track(const EntryMenuState& state, POINT at) const noexcept;

private:
    HWND owner_ = nullptr;
};

}  // namespace tdx
