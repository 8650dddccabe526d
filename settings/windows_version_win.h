// The running Windows version as one number (windows_version.h).
#pragma once

#include "settings/windows_version.h"

namespace tdx {

// major * 100 + minor, plus 1000 on the NT family; 1501 on Windows XP.
int WindowsVersionNumber() noexcept;

// For tests: makes WindowsVersionNumber report another version while it lives.
class ScopedWindowsVersion {
public:
    explicit ScopedWindowsVersion(int versionNumber) noexcept;
    ScopedWindowsVersion(const ScopedWindowsVersion&) = delete;
    ScopedWindowsVersion& operator=(const ScopedWindowsVersion&) = delete;
    ~ScopedWindowsVersion();

private:
    int previous_;
};

}  // namespace tdx
