// The Windows version as one number: major * 100 + minor, plus 1000 on the
// NT family. Settings rules compare against the values below.
#pragma once

namespace tdx {

namespace WindowsVersion {
inline constexpr int Windows95 = 400;
inline constexpr int Windows98 = 410;
inline constexpr int WindowsMe = 490;
inline constexpr int WindowsNT4 = 1400;
inline constexpr int Windows2000 = 1500;
inline constexpr int WindowsXP = 1501;
inline constexpr int WindowsVista = 1600;
}  // namespace WindowsVersion

// Platform ids as the version query reports them.
inline constexpr unsigned kPlatformWindows9x = 1;
inline constexpr unsigned kPlatformNt = 2;

constexpr int ComposeWindowsVersion(unsigned major, unsigned minor, unsigned platformId) noexcept {
    return static_cast<int>(major * 100 + minor) + (platformId == kPlatformNt ? 1000 : 0);
}

constexpr bool IsNtFamily(int versionNumber) noexcept { return versionNumber >= 1000; }

}  // namespace tdx
