#include "settings/settings_folder_win.h"

#include <windows.h>
#include <shlobj.h>

#include "settings/options_io.h"
#include "settings/profile_file_win.h"
#include "winbase/file_tests.h"
#include "winbase/unique_handle.h"

namespace tdx {
namespace {

bool IsWindows9x() noexcept {
    // The high bit of GetVersion is set only on Windows 95/98/Me.
    return (::GetVersion() & 0x80000000u) != 0;
}

std::wstring ExpandEnvironment(const wchar_t* text) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD needed = ::ExpandEnvironmentStringsW(text, buffer.data(),
                                                         static_cast<DWORD>(buffer.size()));
        if (needed == 0) return text;
        if (needed <= buffer.size()) {
            buffer.resize(needed - 1);
            return buffer;
        }
        buffer.resize(needed);
    }
}

std::wstring DocumentsFolder() {
    LPITEMIDLIST list = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &list)) || !list) return {};
    wchar_t path[MAX_PATH] = {};
    const BOOL found = ::SHGetPathFromIDListW(list, path);
    ::ILFree(list);
    return found ? std::wstring(path) : std::wstring();
}

// The running program's folder, without a trailing "\".
std::wstring ProgramFolder() {
    const std::wstring path = RunningExecutablePath();
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

bool PortableSettings() {
    // Decided once: the folder of every environment cannot change under the
    // running program.
    static const bool portable = [] {
        const std::wstring folder = ProgramFolder();
        return !folder.empty() && PathExists(folder + L"\\tiledex.portable");
    }();
    return portable;
}

bool SettingsFolderWritable() {
    const std::wstring folder = SettingsFolder();
    Win32Folders folders;
    CreateFolderWithParents(folders, folder);
    // A file that is gone again when its handle closes.
    const UniqueFile probe(::CreateFileW((folder + L"\\tiledex.write-test").c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                         nullptr));
    return static_cast<bool>(probe);
}

std::wstring SettingsBaseFolder() {
    if (IsWindows9x()) return DocumentsFolder() + L"\\" + LoginUserName();
    return ExpandEnvironment(L"%APPDATA%");
}

std::wstring SettingsFolder() {
    if (PortableSettings()) return ProgramFolder() + L"\\settings";
    return SettingsFolderPath(SettingsBaseFolder());
}

std::wstring SettingsFileName(int fileNumber) {
    const std::wstring folder = SettingsFolder();
    Win32Folders folders;
    CreateFolderWithParents(folders, folder);
    return SettingsFilePath(folder, fileNumber);
}

std::wstring RunningExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring LoginUserName() {
    wchar_t name[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH + 1;
    if (!::GetUserNameW(name, &size)) return {};
    return name;
}

void ReadOptions(int fileNumber, OptionSet& options) {
    ReadOptions(ProfileFile(SettingsFileName(fileNumber)), options);
}

void WriteOptions(int fileNumber, const OptionSet& options) {
    ProfileTransaction file(SettingsFileName(fileNumber));
    WriteOptions(file, options);
    file.Commit();
}

std::int32_t ReadLanguageOption() { return ReadLanguage(ProfileFile(SettingsFileName(1))); }

void WriteLanguageOption(std::int32_t language) {
    ProfileTransaction file(SettingsFileName(1));
    WriteLanguage(file, language);
    file.Commit();
}

bool Win32Folders::FolderExists(const std::wstring& path) const { return tdx::FolderExists(path); }

void Win32Folders::CreateFolder(const std::wstring& path) {
    // A failure shows up later, as a settings file that cannot be written.
    ::CreateDirectoryW(path.c_str(), nullptr);
}

}  // namespace tdx
