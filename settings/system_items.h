// The System list: its built-in default entries, the drive-root entries, and how
// a stored list is completed with whatever of them is missing.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "settings/item_lists.h"

namespace tdx {

struct DefaultSystemItem {
    std::wstring_view ExeFileName;
    std::wstring_view IconFileName;
    int TitleId;  // the default title in the string tables
    std::int32_t IconIndex;
    std::uint32_t Status;
};

inline constexpr int kDefaultSystemItemCount = 11;
extern const std::array<DefaultSystemItem, kDefaultSystemItemCount> DefaultSystemItems;

// The keyword of the simple CD player entry.
inline constexpr wchar_t kCdPlayerCommand[] = L"CD Player";

// The index of the entry whose ExeFileName equals the expanded target, or, for
// "%InternetExplorer%", whose file-name part equals the browser's; -1 if none.
int FindSystemItem(const ItemContext& context, const ItemList& items, std::wstring_view target);

// Adds row `row` of DefaultSystemItems (adjusted to the Windows version) before
// the first entry switched off. The browser entry is only added when its file
// exists. Returns whether an entry was added.
bool AddDefaultSystemItem(const ItemContext& context, ItemList& items, int row);

// Brings the drive-root entries in line with the present drives: entries of
// vanished drives go, new drives come in before the first entry switched off.
// Returns whether the list changed.
bool RefreshDriveItems(const ItemContext& context, ItemList& items);

// Adds every missing default entry (and refreshes the drives just before the
// last row). Returns whether the list changed.
bool RestoreDefaultSystemItems(const ItemContext& context, ItemList& items);

// The IconIndex a stored "Exit" entry is read with on this Windows version.
std::int32_t StoredExitIconIndex(std::int32_t iconIndex, int windowsVersion) noexcept;

// Replaces the System list by the file's System section, completes it and, when
// that changed it, writes it back to the same file. Opens the CD device when the
// list holds an in-use CD player. A failed write-back throws SettingsWriteError
// after the list is complete in memory and the CD device is set up.
void ReadSystemItems(const ItemContext& context, ItemList& systemItems, int fileNumber);

// Stores the System list (one commit), then closes the CD device and opens it
// again if the list still holds an in-use CD player.
void WriteSystemItems(const ItemContext& context, const ItemList& systemItems, int fileNumber);

// True when the list holds an in-use internal "CD Player" entry (any letter case).
bool CdPlayerInUse(const ItemList& systemItems) noexcept;

}  // namespace tdx
