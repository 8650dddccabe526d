// Entry icons from files, folders, drives and the shell (item_icons.h), and
// the two shared fallback icons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "settings/item_icons.h"

namespace tdx {

// Loads the shared fallbacks once: DocumentIcon first (icon 0 of the system's
// Shell32.Dll), then ApplicationIcon (icon 2). Called at start-up; the
// accessors load them on first use as well. They are never destroyed: lists
// must skip them (IsSharedIcon) when they free their entries' icons.
void LoadSharedIcons() noexcept;
HICON DocumentIcon() noexcept;
HICON ApplicationIcon() noexcept;
bool IsSharedIcon(HICON icon) noexcept;
// The one way an entry's icon is let go: destroyed unless it is null or a shared fallback.
void ReleaseEntryIcon(HICON icon) noexcept;

// The shell's icon of a path, or of an item id list with SHGFI_PIDL in flags.
// The icon is taken from the file and index the shell names for it when it names
// one: asking for the icon itself makes the shell build its system image list
// first, which costs a fifth of a second at start-up under some shells.
HICON ShellIconOf(const wchar_t* pathOrIdList, UINT flags) noexcept;

// The running program's own file.
std::wstring OwnProgramPath();

// The real platform behind LoadItemIcon.
class Win32IconServices final : public IconServices {
public:
    explicit Win32IconServices(HWND owner = nullptr) noexcept : owner_(owner) {}
    std::wstring OwnProgramPath() const override;
    bool Exists(const std::wstring& path) const override;
    IconHandle ExtractIndexed(const std::wstring& file, int index) const override;
    IconHandle SpecialFolderIcon(const std::wstring& name) const override;
    IconHandle DriveIcon(const std::wstring& root) const override;
    IconHandle AssociatedIcon(const std::wstring& path) const override;
    IconHandle DocumentIcon() const override;
    IconHandle ApplicationIcon() const override;

private:
    HWND owner_;
};

// The icon an entry shows for its icon source; see item_icons.h for the order.
// The caller owns the result unless IsSharedIcon says otherwise.
HICON LoadItemIcon(std::uint32_t status, const std::wstring& iconFileName, std::int32_t iconIndex);

}  // namespace tdx
