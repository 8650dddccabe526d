// The shell's special folders: their icons, and opening them in the shell.
#pragma once

#include <windows.h>

#include <string_view>

namespace tdx {

// The folder's shell icon (owned by the caller), or null when the name stands
// for no folder or the shell has none.
HICON SpecialFolderIcon(std::wstring_view name, HWND owner = nullptr) noexcept;

// Opens the folder in a shell window. The result is for tests; the program's
// commands ignore it.
bool OpenSpecialFolder(int csidl, HWND owner = nullptr) noexcept;
bool OpenSpecialFolder(std::wstring_view name, HWND owner = nullptr) noexcept;

}  // namespace tdx
