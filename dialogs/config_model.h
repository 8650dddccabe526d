// The rules of the icon registration dialog that need no window: list moves,
// switching built-in entries on and off, the dialog's size, new entries from
// files and shortcuts, and the one write of both lists and the options.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "settings/item_lists.h"
#include "settings/option_set.h"

namespace tdx {

// A list holds at most this many entries through the dialog.
inline constexpr std::size_t kMaxRegisteredItems = 100;

// Removes the entry at from and inserts it at to; indexes out of range do nothing.
void MoveEntry(ItemList& items, std::int32_t from, std::int32_t to);

// Switches a built-in entry between in use and not in use. A switched-on entry
// joins the end of the entries in use, a switched-off one becomes the first
// entry not in use. Returns its new index (the old one when out of range).
std::int32_t SwitchInUse(ItemList& items, std::int32_t index);

// Where new entries go: never after the first entry not in use.
std::int32_t InsertionIndex(const ItemList& items, std::int32_t selected) noexcept;

// What FitDialogSize applies, in design pixels.
struct ConfigFormGeometry {
    std::int32_t Width = 0;      // outer width of the dialog: at least 8 columns
    std::int32_t PageWidth = 0;  // the tab control: ColMax columns
    std::int32_t ExtraRows = 0;  // grid rows beyond three, for the longer list
    std::int32_t Height() const noexcept { return ExtraRows * 40 + 238; }
};
ConfigFormGeometry FitDialogGeometry(std::int32_t colMax, std::size_t programCount,
                                     std::size_t systemCount) noexcept;

// The file-name part: after the last backslash or colon.
std::wstring FileNamePartOf(std::wstring_view path);
// The extension (from the last period of the file-name part) equals ext, case ignored.
bool HasExtension(std::wstring_view path, std::wstring_view ext);

// What a shortcut points at.
struct ShortcutTarget {
    std::wstring Path;
    std::wstring Arguments;
    std::wstring Folder;
};

// The entry AddFileItem builds for a dropped or chosen file, without its icon.
// A ".lnk" path is given its resolved target, or nothing when it did not resolve
// (the shortcut file itself is then the target). The icon source is IconFileName.
LaunchItem NewFileItem(std::wstring_view path, const std::optional<ShortcutTarget>& shortcut,
                       const std::function<std::wstring(std::wstring_view)>& expandPathMacros);

}  // namespace tdx
