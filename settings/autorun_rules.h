// The autorun value: its place in the registry, the data written, and which
// data counts as naming this program.
#pragma once

#include <string>
#include <string_view>

namespace tdx {

inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kAutoRunValueName[] = L"Tiledex";

// The data written: the path in double quotes, so that a path with spaces
// ("C:\Program Files\...") cannot be taken for "C:\Program" plus arguments.
std::wstring AutoRunData(std::wstring_view executablePath);

// True when stored data names the executable: with or without surrounding
// quotes (older versions wrote none), ASCII letter case ignored.
bool AutoRunDataNamesProgram(std::wstring_view data, std::wstring_view executablePath);

}  // namespace tdx
