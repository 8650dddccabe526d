#include "settings/windows_version_win.h"

#include <windows.h>

namespace tdx {

namespace {

int g_override = 0;  // 0: report the real version

int RealVersionNumber() noexcept {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    // The manifest declares the current systems, so the answer is not capped.
    if (!::GetVersionExW(&info)) return 0;
    return ComposeWindowsVersion(info.dwMajorVersion, info.dwMinorVersion, info.dwPlatformId);
}

}  // namespace

int WindowsVersionNumber() noexcept {
    if (g_override != 0) return g_override;
    static const int real = RealVersionNumber();
    return real;
}

ScopedWindowsVersion::ScopedWindowsVersion(int versionNumber) noexcept : previous_(g_override) {
    g_override = versionNumber;
}

ScopedWindowsVersion::~ScopedWindowsVersion() { g_override = previous_; }

}  // namespace tdx
