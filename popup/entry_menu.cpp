#include "popup/entry_menu.h"

#include "winbase/ui_text.h"
#include "winbase/unique_handle.h"

namespace tdx {
namespace {

struct MenuRow {
    EntryMenuItem Item;
    int CaptionId;  // 0 for a separator
};

constexpr MenuRow kMenuRows[] = {
    {EntryMenuItem::PlayFromStart, IDS_EM_PLAY_FROM_START},
    {EntryMenuItem::NextTrack, IDS_EM_NEXT_TRACK},
    {EntryMenuItem::PreviousTrack, IDS_EM_PREVIOUS_TRACK},
    {EntryMenuItem::Eject, IDS_EM_EJECT},
    {EntryMenuItem::MarkLine0, 0},
    {EntryMenuItem::Setting, IDS_EM_SETTING},
    {EntryMenuItem::ToIcon, IDS_EM_TO_ICON},
    {EntryMenuItem::ToMax, IDS_EM_TO_MAX},
    {EntryMenuItem::MarkLine1, 0},
    {EntryMenuItem::CutNetworkDrive, IDS_EM_CUT_NETWORK_DRIVE},
    {EntryMenuItem::Close, IDS_EM_CLOSE},
    {EntryMenuItem::MarkLine2, 0},
    {EntryMenuItem::AllClose, IDS_EM_ALL_CLOSE},
    {EntryMenuItem::AllToIcon, IDS_EM_ALL_TO_ICON},
};

// Win32 menus cannot hide an item: the menu is built afresh with the shown ones.
UniqueMenu BuildMenu(const EntryMenuState& state) noexcept {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return menu;
    for (const MenuRow& row : kMenuRows) {
        const EntryMenuItemState& item = state[row.Item];
        if (!item.Shown) continue;
        if (row.CaptionId == 0) {
            ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        ::AppendMenuW(menu.get(), MF_STRING | (item.Enabled ? MF_ENABLED : MF_GRAYED),
                      static_cast<UINT_PTR>(row.Item), Text(row.CaptionId));
    }
    return menu;
}

}  // namespace

std::optional<EntryMenuItem> EntryMenu::Track(const EntryMenuState& state, POINT at) const noexcept {
    UniqueMenu menu = BuildMenu(state);
    if (!menu) return std::nullopt;
    const UINT command = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_CENTERALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                         at.x, at.y, 0, owner_, nullptr));
    // Lets the menu's window finish closing before a command takes the focus away.
    ::PostMessageW(owner_, WM_NULL, 0, 0);
    if (command == 0) return std::nullopt;
    return static_cast<EntryMenuItem>(command);
}

}  // namespace tdx
