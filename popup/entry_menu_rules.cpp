#include "popup/entry_menu_rules.h"

#include "popup/cd_audio_device.h"

namespace tdx {

EntryMenuState EntryMenuFor(const Trays& trays, std::int32_t tray, const EntryMenuFacts& facts) {
    using enum EntryMenuItem;
    EntryMenuState menu;
    for (EntryMenuItem always : {MarkLine2, AllClose, AllToIcon}) menu[always].Shown = true;

    const TrayState& state = trays[static_cast<std::size_t>(tray)];
    if (IsShownCell(trays, tray, state.CursorIndex)) {
        const LaunchItem& entry = state.Items[static_cast<std::size_t>(state.CursorIndex)];
        if (tray == kTaskTray) {
            for (EntryMenuItem item : {MarkLine1, ToMax, ToIcon, Close}) menu[item].Shown = true;
            menu[ToIcon].Enabled = !facts.TaskMinimised;
        } else {
            menu[Setting].Shown = true;
            if (entry.Has(ItemStatus::BuiltIn)) {
                if (entry.ExeFileName == L"CD Player") {
                    for (EntryMenuItem item : {MarkLine0, PlayFromStart, NextTrack, PreviousTrack, Eject})
                        menu[item].Shown = true;
                    // With the door open only a fresh start makes sense: it closes the door.
                    const bool doorOpen = facts.CdMode == CdMode::DoorOpen;
                    for (EntryMenuItem item : {NextTrack, PreviousTrack, Eject}) menu[item].Enabled = !doorOpen;
                } else if (entry.NetworkDrive) {
                    menu[MarkLine1].Shown = true;
                    menu[CutNetworkDrive].Shown = true;
                }
            }
        }
    }
    const bool anyTask = !trays[kTaskTray].Items.empty();
    menu[AllClose].Enabled = anyTask;
    menu[AllToIcon].Enabled = anyTask;
    return menu;
}

PixelPoint EntryMenuCellPoint(PixelPoint paintBoxScreen, std::int32_t cursorIndex,
                              std::int32_t colMax) noexcept {
    const std::int32_t columns = ClampColumns(colMax);
    return PixelPoint{paintBoxScreen.X + kCellMargin + (cursorIndex % columns) * kCellPitch,
                      paintBoxScreen.Y + kCellMargin + (cursorIndex / columns) * kCellPitch +
                          kCellPitch / 2};
}

}  // namespace tdx
