#include "settings/item_context_win.h"

#include <windows.h>
#include <shellapi.h>

namespace tdx {

ItemContext MakeWin32ItemContext() {
    ItemContext c;
    c.destroyIcon = [](IconHandle icon) {
        if (icon) ::DestroyIcon(static_cast<HICON>(icon));
    };
    c.fileExists = [](std::wstring_view path) {
        const DWORD attributes = ::GetFileAttributesW(std::wstring(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    };
    c.driveMask = [] { return static_cast<std::uint32_t>(::GetLogicalDrives()); };
    c.isRemoteDrive = [](std::wstring_view path) {
        return ::GetDriveTypeW(std::wstring(path).c_str()) == DRIVE_REMOTE;
    };
    c.shellFileInfo = [](std::wstring_view path) {
        ShellFileInfo info;
        SHFILEINFOW shell{};
        if (::SHGetFileInfoW(std::wstring(path).c_str(), 0, &shell, sizeof shell,
                             SHGFI_ICON | SHGFI_DISPLAYNAME)) {
            info.Icon = shell.hIcon;
            info.DisplayName = shell.szDisplayName;
        }
        return info;
    };
    return c;
}

}  // namespace tdx
