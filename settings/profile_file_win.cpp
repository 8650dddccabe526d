#include "settings/profile_file_win.h"

#include <windows.h>

#include <algorithm>

#include "settings/ini_values.h"
#include "settings/settings_files.h"

namespace tdx {
namespace {

constexpr DWORD kReadBuffer = kMaxStringValue + 1;

// Two defaults that no settings file holds by accident: a key is missing only
// when both come back.
constexpr wchar_t kMissingA[] = L"\x01tdx-missing-a";
constexpr wchar_t kMissingB[] = L"\x02tdx-missing-b";

std::wstring ReadWithDefault(const std::wstring& section, const std::wstring& key,
                             const wchar_t* fallback, const std::wstring& file) {
    wchar_t buffer[kReadBuffer];
    const DWORD length = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback,
                                                    buffer, kReadBuffer, file.c_str());
    return std::wstring(buffer, std::min<DWORD>(length, kReadBuffer - 1));
}

// The profile functions keep files they have seen in a cache; a file replaced
// underneath them must not be answered from it.
void ForgetCachedProfile(const std::wstring& file) noexcept {
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
}

// A temporary file that is deleted unless it was moved into place.
class TempFile {
public:
    explicit TempFile(std::wstring path) : path_(std::move(path)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (path_.empty()) return;
        ForgetCachedProfile(path_);
        ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path_.c_str());
    }
    const std::wstring& path() const noexcept { return path_; }
    void Keep() noexcept { path_.clear(); }

private:
    std::wstring path_;
};

}  // namespace

std::optional<std::wstring> ProfileFile::ReadString(std::wstring_view section,
                                                    std::wstring_view key) const {
    const std::wstring s(section), k(key);
    std::wstring value = ReadWithDefault(s, k, kMissingA, fileName_);
    if (value != kMissingA) return value;
    value = ReadWithDefault(s, k, kMissingB, fileName_);
    if (value != kMissingB) return value;
    return std::nullopt;
}

void ProfileTransaction::WriteString(std::wstring_view section, std::wstring_view key,
                                     std::wstring_view value) {
    std::wstring stored(value);
    // The profile functions drop one pair of quotes around a whole value when they
    // read it, so an argument such as "a b.txt" would come back without its
    // quotes: one more pair keeps the value as it was written.
    if (stored.size() >= 2 && (stored.front() == L'"' || stored.front() == L'\'') &&
        stored.back() == stored.front())
        stored = L'"' + stored + L'"';
    pending_.push_back({std::wstring(section), std::wstring(key), std::move(stored), false});
}

void ProfileTransaction::EraseSection(std::wstring_view section) {
    pending_.push_back({std::wstring(section), {}, {}, true});
}

void ProfileTransaction::Commit() {
    std::vector<Change> changes;
    changes.swap(pending_);
    if (!changes.empty()) Apply(changes);
}

void ProfileTransaction::Apply(const std::vector<Change>& changes) {
    const wchar_t* file = fileName_.c_str();
    const DWORD attributes = ::GetFileAttributesW(file);
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists) {
        const DWORD error = ::GetLastError();
        // A missing folder fails below, when the copy cannot be made in it.
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            throw SettingsWriteError(fileName_);
        // Erasing sections of a file that does not exist changes nothing.
        if (std::all_of(changes.begin(), changes.end(), [](const Change& c) { return c.erase; }))
            return;
    }
    // A folder where the file should be, or a file the user made read-only (the
    // profile functions refuse those on Windows, whatever Wine does as root).
    if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        throw SettingsWriteError(fileName_);

    std::wstring folder = FolderOfFile(fileName_);
    if (folder.empty()) folder = L".";
    wchar_t tempName[MAX_PATH];
    if (!::GetTempFileNameW(folder.c_str(), L"tdx", 0, tempName))
        throw SettingsWriteError(fileName_);
    TempFile temp(tempName);

    // The copy keeps the file's encoding, which the profile functions then follow.
    // It fails when the file is held open by someone who shares nothing.
    if (exists && !::CopyFileW(file, temp.path().c_str(), FALSE))
        throw SettingsWriteError(fileName_);

    for (const Change& change : changes) {
        const BOOL written =
            change.erase
                ? ::WritePrivateProfileStringW(change.section.c_str(), nullptr, nullptr,
                                               temp.path().c_str())
                : ::WritePrivateProfileStringW(change.section.c_str(), change.key.c_str(),
                                               change.value.c_str(), temp.path().c_str());
        if (!written) throw SettingsWriteError(fileName_);
    }
    ForgetCachedProfile(temp.path());

    if (!::MoveFileExW(temp.path().c_str(), file,
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw SettingsWriteError(fileName_);
    temp.Keep();
    ForgetCachedProfile(fileName_);
}

}  // namespace tdx
