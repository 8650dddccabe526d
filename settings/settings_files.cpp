#include "settings/settings_files.h"

#include "winbase/decimal_text.h"

namespace tdx {

std::wstring SettingsFileTitle(int fileNumber) {
    if (fileNumber == 1) return L"tiledex.ini";
    return L"tiledex" + DecimalText(fileNumber) + L".ini";
}

std::wstring SettingsFolderPath(std::wstring_view baseFolder) {
    std::wstring folder(baseFolder);
    folder += L'\\';
    folder += kSettingsFolderName;
    return folder;
}

std::wstring SettingsFilePath(std::wstring_view settingsFolder, int fileNumber) {
    std::wstring path(settingsFolder);
    path += L'\\';
    path += SettingsFileTitle(fileNumber);
    return path;
}

std::wstring ParentFolderOf(std::wstring_view path) {
    const auto cut = path.find_last_of(L"\\:");
    if (cut == std::wstring_view::npos) return {};
    return std::wstring(path.substr(0, cut + 1));
}

std::wstring FolderOfFile(std::wstring_view path) {
    std::wstring folder = ParentFolderOf(path);
    // Keep "C:\" and "\" whole: without the separator they name another place.
    if (folder.size() > 1 && folder.back() == L'\\' && folder[folder.size() - 2] != L':')
        folder.pop_back();
    return folder;
}

std::wstring ChangeExtension(std::wstring_view path, std::wstring_view extension) {
    const auto dot = path.find_last_of(L".\\:");
    std::wstring result(path);
    if (dot != std::wstring_view::npos && path[dot] == L'.') result.resize(dot);
    result += extension;
    return result;
}

std::wstring OldMainSettingsFile(std::wstring_view executablePath) {
    return ChangeExtension(executablePath, L".INI");
}

void CreateFolderWithParents(FolderSystem& folders, std::wstring_view path) {
    std::wstring folder(path);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    if (folder.size() <= 2 || folders.FolderExists(folder)) return;
    const std::wstring parent = ParentFolderOf(folder);
    if (parent == folder) return;
    CreateFolderWithParents(folders, parent);
    folders.CreateFolder(folder);
}

}  // namespace tdx
