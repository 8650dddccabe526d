// Path macros: the forms in which stored entries name files so that they
// survive a change of Windows version or system drive.
//
// The rules are plain text over the system folders handed in; the Win32 layer
// (path_macros_win.h) fills those in from the running system.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tdx {

inline constexpr std::wstring_view kDosCommandMacro = L"%TiledexDosCommand%";
inline constexpr std::wstring_view kDosIconMacro = L"%TiledexDosIcon%";
inline constexpr std::wstring_view kSystemFolderMacro = L"%sysdir%";
inline constexpr std::wstring_view kInternetExplorerMacro = L"%InternetExplorer%";

// What follows a matched macro is kept to this many characters.
inline constexpr std::size_t kMacroRestLimit = 260;

struct SystemPaths {
    std::wstring WindowsFolder;  // as C:\WINDOWS
    std::wstring SystemFolder;   // as C:\WINDOWS\system32
    bool NtFamily = true;        // false on Windows 95/98/Me
    // Expands %NAME% environment variables; left empty, text is taken as is.
    std::function<std::wstring(std::wstring_view)> ExpandEnvironment;
};

// The first two characters of the system folder, as C:.
std::wstring SystemDrive(const SystemPaths& paths);

// Where each macro leads on the given system.
std::wstring DosCommandPath(const SystemPaths& paths);
std::wstring DosIconPath(const SystemPaths& paths);
std::wstring InternetExplorerPath(const SystemPaths& paths);

// Environment variables first, then a macro at the very start of the text
// (letter case ignored). "%InternetExplorer%" stands for the whole browser
// path: anything after it is dropped.
std::wstring ExpandPathMacros(std::wstring_view text, const SystemPaths& paths);

// True when text begins with prefix, ASCII letters compared without case.
bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) noexcept;
// Whole texts compared without regard to the case of ASCII letters.
bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) noexcept;

}  // namespace tdx
