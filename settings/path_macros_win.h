// Path macros over the running system's folders (path_macros.h).
#pragma once

#include <string>
#include <string_view>

#include "settings/path_macros.h"

namespace tdx {

// %NAME% environment variables expanded; unknown names stay as they are.
std::wstring ExpandEnvironmentVariables(std::wstring_view text);

// The Windows and system folders of this machine, the platform family from
// WindowsVersionNumber, and the real environment.
SystemPaths CurrentSystemPaths();

// "%sysdir%\Shell32.Dll" -> "C:\WINDOWS\system32\Shell32.Dll", and so on.
std::wstring ExpandPathMacros(std::wstring_view text);

}  // namespace tdx
