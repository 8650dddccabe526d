#include "settings/profile_snapshot_win.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <mutex>

#include "settings/file_bytes_win.h"
#include "settings/ini_values.h"
#include "settings/item_lists.h"
#include "settings/options_io.h"
#include "settings/profile_encoding_win.h"
#include "settings/profile_sections.h"
#include "winbase/unique_handle.h"

namespace tdx {
namespace {

// What tells one state of a file from another without reading it.
struct FileStamp {
    DWORD volume = 0;
    ULONGLONG index = 0, size = 0;
    LONGLONG written = 0;
    bool operator==(const FileStamp&) const = default;
};

LONGLONG Ticks(FILETIME time) noexcept {
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

std::optional<FileStamp> StampOf(HANDLE file) noexcept {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) return std::nullopt;
    return FileStamp{info.dwVolumeSerialNumber,
                     (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                     (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                     Ticks(info.ftLastWriteTime)};
}

LONGLONG Now() noexcept {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return Ticks(now);
}

// How long a file must have stood still before it was read for a later write
// to be sure to change its write time. Times are kept in steps: 2 s on FAT
// (and on shares, whose disks are unknown), the system's clock tick elsewhere.
// The profile functions themselves trust no file written in the last 2.1 s.
LONGLONG QuietTime(HANDLE file) noexcept {
    constexpr LONGLONG kMillisecond = 10'000;
    FILE_REMOTE_PROTOCOL_INFO remote{};
    const bool local = !::GetFileInformationByHandleEx(file, FileRemoteProtocolInfo, &remote, sizeof remote);
    wchar_t system[MAX_PATH + 1] = {};
    if (local && ::GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, nullptr, system, MAX_PATH + 1) &&
        (std::wcscmp(system, L"NTFS") == 0 || std::wcscmp(system, L"ReFS") == 0))
        return 100 * kMillisecond;
    return 2100 * kMillisecond;
}

// The sections read at every start; reading them with the first keeps the
// others from reading the file again.
bool ReadAtStart(std::wstring_view section) {
    const std::wstring folded = CaseFolded(section);
    return folded == CaseFolded(kOptionSection) || folded == CaseFolded(kProgramSection) ||
           folded == CaseFolded(kSystemSection);
}

std::shared_ptr<const ProfileSnapshot> Parse(std::string_view bytes, std::wstring_view asked) {
    auto snapshot = std::make_shared<ProfileSnapshot>();
    const std::optional<StoredText> text = ReadableText(bytes);
    if (!text) {
        snapshot->throughProfileFunctions = true;
        return snapshot;
    }
    const std::wstring foldedAsked = CaseFolded(asked);
    const auto wanted = [&](std::wstring_view name) { return ReadAtStart(name) || CaseFolded(name) == foldedAsked; };
    for (StoredSection& stored : ReadStoredSections(*text, wanted)) {
        snapshot->named.emplace(CaseFolded(stored.name), snapshot->sections.size());
        ReadSection& section = snapshot->sections.emplace_back();
        section.name = std::move(stored.name);
        section.read = stored.read;
        for (const StoredKey& key : stored.keys)
            AddReadKey(section, key.name, key.value);
    }
    return snapshot;
}

// A snapshot stands for its file while the file's stamp is the same, when the
// file had stood still long enough before it was read.
struct Cached {
    std::wstring file;
    FileStamp stamp;
    std::shared_ptr<const ProfileSnapshot> snapshot;
};

std::mutex cacheLock;
std::vector<Cached> cache;  // the most recent first
constexpr std::size_t kCachedFiles = 4;

}  // namespace

void AddReadKey(ReadSection& section, std::wstring_view name, std::optional<std::wstring_view> value) {
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (!name.empty() && blank(name.front())) name.remove_prefix(1);
    while (!name.empty() && blank(name.back())) name.remove_suffix(1);
    if (!value) {
        section.values.emplace(CaseFolded(name), std::nullopt);
        return;
    }
    std::wstring_view text = *value;
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.size() >= 2 && (text.front() == L'"' || text.front() == L'\'') && text.back() == text.front())
        text = text.substr(1, text.size() - 2);
    section.values.emplace(CaseFolded(name), std::wstring(text.substr(0, kMaxStringValue)));
}

const ReadSection* ProfileSnapshot::Find(std::wstring_view section) const {
    const auto found = named.find(CaseFolded(section));
    return found == named.end() ? nullptr : &sections[found->second];
}

std::shared_ptr<const ProfileSnapshot> CurrentSnapshot(const std::wstring& file, std::wstring_view section) {
    // Opened as the profile functions open it.
    UniqueFile handle(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return std::make_shared<const ProfileSnapshot>();
    const LONGLONG now = Now();
    const std::optional<FileStamp> stamp = StampOf(handle.get());
    if (stamp) {
        const std::lock_guard<std::mutex> lock(cacheLock);
        const auto known = std::find_if(cache.begin(), cache.end(), [&](const Cached& c) { return c.file == file; });
        if (known != cache.end() && known->stamp == *stamp) {
            const ReadSection* found = known->snapshot->Find(section);
            if (!found || found->read || known->snapshot->throughProfileFunctions) {
                std::rotate(cache.begin(), known, known + 1);
                return cache.front().snapshot;
            }
        }
    }
    const std::optional<FileBytes> bytes = stamp ? FileBytes::Of(handle.get(), stamp->size) : std::nullopt;
    if (!bytes) return std::make_shared<const ProfileSnapshot>();
    std::shared_ptr<const ProfileSnapshot> snapshot = Parse(bytes->View(), section);
    const std::lock_guard<std::mutex> lock(cacheLock);
    std::erase_if(cache, [&](const Cached& c) { return c.file == file; });
    // A file written just before it was read may be written again without a
    // new write time: what was read of it is not kept.
    if (now - stamp->written > QuietTime(handle.get())) {
        cache.insert(cache.begin(), Cached{file, *stamp, snapshot});
        if (cache.size() > kCachedFiles) cache.pop_back();
    }
    return snapshot;
}

void ForgetSnapshot(const std::wstring& file) {
    const std::lock_guard<std::mutex> lock(cacheLock);
    std::erase_if(cache, [&](const Cached& c) { return c.file == file; });
}

}  // namespace tdx
