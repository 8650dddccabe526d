// The per-user settings folder and the settings files in it.
#pragma once

#include <string>

#include "settings/option_set.h"
#include "settings/settings_files.h"

namespace tdx {

// NT family: %APPDATA% expanded. Windows 95/98/Me: the documents folder + "\" +
// the login user name. Used as the platform gives it: an undefined %APPDATA%
// stays as that text, a folder relative to the working folder.
std::wstring SettingsBaseFolder();
// SettingsBaseFolder() + "\tiledex"; creates nothing. A portable copy keeps
// its settings in the folder "settings" beside the program instead.
std::wstring SettingsFolder();
// Whether a file "tiledex.portable" stands beside the program (looked at once).
bool PortableSettings();
// Creates the settings folder if needed and tells whether a file can be made
// in it (false on a read-only medium).
bool SettingsFolderWritable();
// The full name of settings file N; creates the settings folder and its missing
// parents on every call.
std::wstring SettingsFileName(int fileNumber);

// The full path of the running program.
std::wstring RunningExecutablePath();
// The login user name; empty when the platform does not tell.
std::wstring LoginUserName();

// The Option section of settings file N. Reading never fails; a write that
// cannot be made throws SettingsWriteError and leaves the file as it was.
void ReadOptions(int fileNumber, OptionSet& options);
void WriteOptions(int fileNumber, const OptionSet& options);
// The "Language" key of tiledex.ini.
std::int32_t ReadLanguageOption();
void WriteLanguageOption(std::int32_t language);

// Folder questions answered by the file system.
class Win32Folders final : public FolderSystem {
public:
    bool FolderExists(const std::wstring& path) const override;
    void CreateFolder(const std::wstring& path) override;
};

}  // namespace tdx
