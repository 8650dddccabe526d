// Where the settings files live and what they are called, apart from the
// platform: the folder and file names, the older layout beside the executable,
// and the creation of the settings folder with its missing parents.
//
// Paths are wide strings handed to the W functions, so a separator is always a
// whole character: no double-byte lead-byte scanning is needed here.
#pragma once

#include <string>
#include <string_view>

namespace tdx {

// The folder under the base folder that holds every settings file.
inline constexpr wchar_t kSettingsFolderName[] = L"tiledex";

// "tiledex.ini" for file 1, "tiledex<N>.ini" for any other file number.
std::wstring SettingsFileTitle(int fileNumber);
// base + "\tiledex".
std::wstring SettingsFolderPath(std::wstring_view baseFolder);
// settingsFolder + "\" + SettingsFileTitle(fileNumber).
std::wstring SettingsFilePath(std::wstring_view settingsFolder, int fileNumber);

// The path up to and including its last '\' or ':'; empty when it has neither.
std::wstring ParentFolderOf(std::wstring_view path);
// The folder of a file, without a trailing '\' (empty for a bare name).
std::wstring FolderOfFile(std::wstring_view path);
// The path with the extension of its last part replaced (or added): "a\b.exe" -> "a\b.INI".
std::wstring ChangeExtension(std::wstring_view path, std::wstring_view extension);

// The older layout kept the main file beside the executable, named after it.
std::wstring OldMainSettingsFile(std::wstring_view executablePath);

// The two questions folder creation asks of the file system.
class FolderSystem {
public:
    virtual ~FolderSystem() = default;
    virtual bool FolderExists(const std::wstring& path) const = 0;
    // A failure is not reported: it shows up later as a failed write.
    virtual void CreateFolder(const std::wstring& path) = 0;
};

// Creates the folder and every missing parent, outermost first. One trailing
// '\' is ignored; paths of two characters or less ("C:", "\\") are never created,
// and a path that is its own parent ends the climb.
void CreateFolderWithParents(FolderSystem& folders, std::wstring_view path);

}  // namespace tdx
