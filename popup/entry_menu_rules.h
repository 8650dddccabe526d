// Which items of the entry menu show and which are enabled, and where the menu
// opens when a key asked for it: pure rules over the trays' state.
#pragma once

#include <cstdint>

#include "popup/tray_layout.h"

namespace tdx {

// The entry menu's items in display order; the values are the menu command ids.
enum class EntryMenuItem : std::uint32_t {
    PlayFromStart = 1,
    NextTrack,
    PreviousTrack,
    Eject,
    MarkLine0,
    Setting,
    ToIcon,
    ToMax,
    MarkLine1,
    CutNetworkDrive,
    Close,
    MarkLine2,
    AllClose,
    AllToIcon,
};
inline constexpr std::uint32_t kEntryMenuItemCount = 14;

struct EntryMenuItemState {
    bool Shown = false;
    bool Enabled = true;
};

struct EntryMenuState {
    EntryMenuItemState Items[kEntryMenuItemCount];

    EntryMenuItemState& operator[](EntryMenuItem item) noexcept {
        return Items[static_cast<std::uint32_t>(item) - 1];
    }
    const EntryMenuItemState& operator[](EntryMenuItem item) const noexcept {
        return Items[static_cast<std::uint32_t>(item) - 1];
    }
};

// What the menu needs to know beyond the trays.
struct EntryMenuFacts {
    bool TaskMinimised = false;   // the task under the cursor is minimised
    std::uint32_t CdMode = 0;     // the CD device's mode, read when the menu opens
};

// The menu for the entry at the tray's cursor. Callers open it only on an
// existing entry; any other cell gets the items for all tasks alone.
EntryMenuState EntryMenuFor(const Trays& trays, std::int32_t tray, const EntryMenuFacts& facts);

// Screen point of the cursor cell for a menu opened by a key: the paint box's
// origin in screen pixels, half a cell below the cell's top.
PixelPoint EntryMenuCellPoint(PixelPoint paintBoxScreen, std::int32_t cursorIndex,
                              std::int32_t colMax) noexcept;

}  // namespace tdx
