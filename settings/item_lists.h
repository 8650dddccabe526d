// The Program and System lists: how they are stored in the Program and System
// sections of an environment's settings file, and the list operations shared by
// the popup and the dialogs. Everything that needs the platform (settings files
// by number, path macros, icons, drives, the CD device) comes in through one
// ItemContext, so these rules build and run without Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "settings/launch_item.h"
#include "settings/option_set.h"
#include "settings/settings_store.h"

namespace tdx {

using ItemList = std::vector<LaunchItem>;

// What the shell says about a drive root (or any path): its icon, owned by the
// caller, and its display name.
struct ShellFileInfo {
    IconHandle Icon = nullptr;
    std::wstring DisplayName;
};

struct ItemContext {
    // Settings files by file number (1 = tiledex.ini). A writer's changes reach
    // the file only at Commit, all or nothing.
    std::function<std::unique_ptr<SettingsReader>(int fileNumber)> openReader;
    std::function<std::unique_ptr<SettingsWriter>(int fileNumber)> openWriter;
    std::function<void(int fileNumber)> deleteFile;
    // Writes the Option section keys of an OptionSet (used for new environments).
    std::function<void(SettingsWriter&, const OptionSet&)> writeOptions;

    // Paths and icons.
    std::function<std::wstring(std::wstring_view text)> expandPathMacros;
    std::function<IconHandle(std::uint32_t status, std::wstring_view iconFileName,
                             std::int32_t iconIndex)>
        loadIcon;
    std::function<void(IconHandle)> destroyIcon;
    IconHandle documentIcon = nullptr;     // shared; never destroyed with a list
    IconHandle applicationIcon = nullptr;  // shared; never destroyed with a list
    std::function<int()> windowsVersion;   // major*100 + minor, +1000 on the NT family

    // Files and drives.
    std::function<bool(std::wstring_view path)> fileExists;  // a file, not a folder
    std::function<std::uint32_t()> driveMask;                // bit 0 = A:
    std::function<bool(std::wstring_view path)> isRemoteDrive;
    std::function<ShellFileInfo(std::wstring_view path)> shellFileInfo;

    // The CD device follows the stored System list.
    std::function<void()> openCdDevice;
    std::function<void()> closeCdDevice;
};

// Throws std::logic_error naming the first member left empty.
void CheckItemContext(const ItemContext& context);

// At most this many entries of a section are read.
inline constexpr int kMaxStoredItems = 100;

inline constexpr wchar_t kProgramSection[] = L"Program";
inline constexpr wchar_t kSystemSection[] = L"System";

// Reads the entries of a section without loading icons, stopping at the first
// missing or empty Title or after kMaxStoredItems.
ItemList ReadItemSection(const SettingsReader& store, std::wstring_view section);
// Erases the section and writes every entry (no commit).
void WriteItemSection(SettingsWriter& store, std::wstring_view section, const ItemList& items);

// The index of the first entry switched off, or the count when none is.
std::size_t FirstNotInUseIndex(const ItemList& items) noexcept;

// Frees every entry; with destroyIcons, each entry's icon is destroyed unless it
// is one of the two shared fallback icons.
void FreeItemList(const ItemContext& context, ItemList& items, bool destroyIcons);

// Replaces the destination's entries by copies of the source's; every copy loads
// an icon of its own so that neither list can destroy the other's.
void CopyItemList(const ItemContext& context, ItemList& destination, const ItemList& source);

// The index of the entry that is `recorded` (same icon handle, texts and flags),
// the one nearest `hint` when several are; -1 when it is gone.
std::int32_t FindSameEntry(const ItemList& items, const LaunchItem& recorded, std::int32_t hint);

// Gives target what the item editor lets the user change (title, target, flags
// and key, folder, parameters, icon source); true when the icon source changed,
// and target's icon no longer matches it.
bool SetEntryValues(LaunchItem& target, const LaunchItem& edited);
// The same, and then the icon is loaded anew when its source changed; the old
// one is destroyed unless shared.
void ApplyEntryEdit(const ItemContext& context, LaunchItem& target, const LaunchItem& edited);

// ReadProgramItems is declared in environments.h, as it may read the environment
// table first; the System list's operations are in system_items.h.

// Stores the Program list in the Program section of the file (one commit).
void WriteProgramItems(const ItemContext& context, const ItemList& programItems, int fileNumber);

}  // namespace tdx
