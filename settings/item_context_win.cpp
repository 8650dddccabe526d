#include "settings/item_context_win.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "settings/item_icons_win.h"
#include "settings/options_io.h"
#include "settings/path_macros_win.h"
#include "settings/profile_file_win.h"
#include "settings/settings_folder_win.h"
#include "settings/windows_version_win.h"
#include "winbase/file_tests.h"

namespace tdx {

ItemContext MakeWin32ItemContext() {
    ItemContext c;
    c.destroyIcon = [](IconHandle icon) { ReleaseEntryIcon(static_cast<HICON>(icon)); };
    c.fileExists = [](std::wstring_view path) {
        return FileExists(std::wstring(path));
    };
    c.driveMask = [] { return static_cast<std::uint32_t>(::GetLogicalDrives()); };
    c.isRemoteDrive = [](std::wstring_view path) {
        return ::GetDriveTypeW(std::wstring(path).c_str()) == DRIVE_REMOTE;
    };
    c.shellFileInfo = [](std::wstring_view path) {
        ShellFileInfo info;
        const std::wstring root(path);
        SHFILEINFOW shell{};
        if (::SHGetFileInfoW(root.c_str(), 0, &shell, sizeof shell, SHGFI_DISPLAYNAME)) {
            info.DisplayName = shell.szDisplayName;
            info.Icon = ShellIconOf(root.c_str(), 0);
        }
        return info;
    };
    return c;
}

ItemContext MakeProgramItemContext(std::function<void()> openCdDevice,
                                   std::function<void()> closeCdDevice) {
    ItemContext c = MakeWin32ItemContext();
    c.openReader = [](int fileNumber) -> std::unique_ptr<SettingsReader> {
        return std::make_unique<ProfileFile>(SettingsFileName(fileNumber));
    };
    c.openWriter = [](int fileNumber) -> std::unique_ptr<SettingsWriter> {
        return std::make_unique<ProfileTransaction>(SettingsFileName(fileNumber));
    };
    c.deleteFile = [](int fileNumber) {
        // A stale file that cannot be deleted is overwritten key by key anyway.
        ::DeleteFileW(SettingsFileName(fileNumber).c_str());
    };
    c.writeOptions = [](SettingsWriter& writer, const OptionSet& options) {
        WriteOptions(writer, options);
    };
    c.expandPathMacros = [](std::wstring_view text) { return ExpandPathMacros(text); };
    c.loadIcon = [](std::uint32_t status, std::wstring_view file, std::int32_t index) -> IconHandle {
        return LoadItemIcon(status, std::wstring(file), index);
    };
    c.documentIcon = DocumentIcon();
    c.applicationIcon = ApplicationIcon();
    c.windowsVersion = [] { return WindowsVersionNumber(); };
    c.openCdDevice = std::move(openCdDevice);
    c.closeCdDevice = std::move(closeCdDevice);
    CheckItemContext(c);
    return c;
}

}  // namespace tdx
