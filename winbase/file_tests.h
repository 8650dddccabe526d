// The program's one way of asking whether something is on disk.
#pragma once

#include <windows.h>

#include <string>

namespace tdx {

// A file or a folder.
inline bool PathExists(const std::wstring& path) noexcept {
    return !path.empty() && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A file, not a folder.
inline bool FileExists(const std::wstring& path) noexcept {
    if (path.empty()) return false;
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder, not a file.
inline bool FolderExists(const std::wstring& path) noexcept {
    if (path.empty()) return false;
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace tdx
