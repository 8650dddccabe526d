// Which icon an entry shows: the order in which its icon source is tried and
// the fallbacks. The platform work (files, extraction, the shell) comes in
// through IconServices; item_icons_win.h supplies the real one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/launch_item.h"

namespace tdx {

// The icon source word that stands for the program's own file.
inline constexpr std::wstring_view kOwnProgramIconSource = L"Tiledex.exe";

// Indexes of the icons in the program's own file.
namespace OwnIcon {
inline constexpr int Main = 0;          // "MAINICON"
inline constexpr int CdImage = 1;       // "PCDIMAGE"
inline constexpr int CdPlaying = 2;     // "PCDPLAY"
inline constexpr int CdStopped = 3;     // "PCDSTOP"
inline constexpr int Start = 4;         // "START"
inline constexpr int Standby = 5;       // "TSTANDBY"
inline constexpr int CdTray = 6;        // "XCD"
inline constexpr int MainSmall = 7;     // "XCH16"
inline constexpr int Count = 8;
}  // namespace OwnIcon

class IconServices {
public:
    virtual ~IconServices() = default;
    virtual std::wstring OwnProgramPath() const = 0;
    // An existing file or folder.
    virtual bool Exists(const std::wstring& path) const = 0;
    // The icon at index in file, or null when the file has none there.
    virtual IconHandle ExtractIndexed(const std::wstring& file, int index) const = 0;
    virtual IconHandle SpecialFolderIcon(const std::wstring& name) const = 0;
    virtual IconHandle DriveIcon(const std::wstring& root) const = 0;
    // The icon of the file itself or of the program that opens it.
    virtual IconHandle AssociatedIcon(const std::wstring& path) const = 0;
    // The two shared fallbacks: never owned by an entry.
    virtual IconHandle DocumentIcon() const = 0;
    virtual IconHandle ApplicationIcon() const = 0;
};

// Three characters: an ASCII letter, ':' and '\', as C:\.
bool IsDriveRoot(std::wstring_view text) noexcept;

// The extension (from the last '.') is ".exe" or ".com", case ignored.
bool HasProgramExtension(std::wstring_view path) noexcept;

// The icon for an entry's icon source. Any icon returned other than the two
// shared fallbacks belongs to the caller.
IconHandle LoadItemIcon(const IconServices& services, std::uint32_t status,
                        const std::wstring& iconFileName, std::int32_t iconIndex);

}  // namespace tdx
