#include "settings/profile_file_win.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_values.h"
#include "settings/profile_text.h"
#include "settings/settings_files.h"
#include "winbase/unique_handle.h"

namespace tdx {
namespace {

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

bool IsUtf16File(const std::wstring& file) noexcept {
    UniqueFile handle(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    unsigned char mark[2] = {};
    DWORD read = 0;
    return handle && ::ReadFile(handle.get(), mark, 2, &read, nullptr) && read == 2 && mark[0] == 0xFF &&
           mark[1] == 0xFE;
}

// Whether the system code page holds the text exactly: no character replaced
// by a default, none by a look-alike ("é" by "e").
bool FitsCodePage(const std::wstring& text) noexcept {
    if (text.empty()) return true;
    const UINT codePage = ::GetACP();
    if (codePage == CP_UTF8) return true;
    BOOL usedDefault = FALSE;
    const int length = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(),
                                             static_cast<int>(text.size()), nullptr, 0, nullptr, &usedDefault);
    return length > 0 && !usedDefault;
}

// Turns a code-page file (or a new, empty one) into UTF-16 with a byte-order
// mark, which the profile functions then keep writing in.
bool ConvertToUtf16(const std::wstring& file) {
    std::string bytes;
    {
        UniqueFile in(::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!in) return false;
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(in.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        if (!bytes.empty() && (!::ReadFile(in.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read,
                                           nullptr) || read != bytes.size()))
            return false;
    }
    std::wstring text(1, L'\xFEFF');
    if (!bytes.empty()) {
        const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        if (length <= 0) return false;
        text.resize(1 + static_cast<std::size_t>(length));
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data() + 1, length);
    }
    UniqueFile out(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    return out && ::WriteFile(out.get(), text.data(), size, &written, nullptr) && written == size;
}

// The copy must be on the disk before it takes the settings file's place, or
// a power loss right after a save could leave an empty file where the
// settings were.
bool FlushToDisk(const std::wstring& file) noexcept {
    UniqueFile handle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle && ::FlushFileBuffers(handle.get());
}

// A settings file that is a link to another place stays a link: the file it
// names is the one replaced.
std::wstring LinkTarget(const std::wstring& file) {
    UniqueFile handle(::CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return file;
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = ::GetFinalPathNameByHandleW(handle.get(), buffer, MAX_PATH * 2, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= MAX_PATH * 2) return file;
    std::wstring target(buffer, length);
    // "\\?\C:\..." and "\\?\UNC\server\..." back to the usual spellings.
    if (target.rfind(L"\\\\?\\UNC\\", 0) == 0) target = L"\\\\" + target.substr(8);
    else if (target.rfind(L"\\\\?\\", 0) == 0) target = target.substr(4);
    return target;
}

// The section's lines as the profile functions hold them ("key=value", as stored).
std::vector<std::wstring> SectionLines(const std::wstring& section, const std::wstring& file) {
    std::vector<wchar_t> buffer(4096);
    for (;;) {
        const DWORD length = ::GetPrivateProfileSectionW(section.c_str(), buffer.data(),
                                                         static_cast<DWORD>(buffer.size()), file.c_str());
        if (length + 2 < buffer.size()) {
            std::vector<std::wstring> lines;
            for (const wchar_t* p = buffer.data(); *p && p < buffer.data() + length; p += wcslen(p) + 1)
                lines.emplace_back(p);
            return lines;
        }
        buffer.resize(buffer.size() * 4);
    }
}

// Writes as WritePrivateProfileString would key by key: known keys keep their
// place and take the new value, new keys follow in the order written, an
// erased section is removed and written anew at the end of the file.
bool WriteSection(const SectionEdit& change, const std::wstring& file) {
    const wchar_t* section = change.section.c_str();
    std::vector<std::wstring> lines;
    if (change.erased) {
        if (!::WritePrivateProfileStringW(section, nullptr, nullptr, file.c_str())) return false;
        if (change.writes.empty()) return true;
    } else {
        lines = SectionLines(change.section, file);
    }
    for (const auto& [key, value] : change.writes) {
        auto line = std::find_if(lines.begin(), lines.end(), [&](const std::wstring& l) {
            const auto equals = l.find(L'=');
            return equals != std::wstring::npos && SameProfileName(std::wstring_view(l).substr(0, equals), key);
        });
        std::wstring text = key + L'=' + value;
        if (line == lines.end()) lines.push_back(std::move(text));
        else *line = std::move(text);
    }
    std::wstring block;
    for (const std::wstring& line : lines) {
        block += line;
        block += L'\0';
    }
    block += L'\0';
    return ::WritePrivateProfileSectionW(section, block.c_str(), file.c_str()) != FALSE;
}

// A key as the section's map holds it.
std::wstring FoldedName(std::wstring_view name) {
    std::wstring folded(name);
    for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return folded;
}

bool ReadAll(const std::wstring& file, std::string& bytes) {
    // Fails, as a copy would, when the file is held open by someone who shares nothing.
    UniqueFile in(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!in || !::GetFileSizeEx(in.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (::ReadFile(in.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
            read == bytes.size());
}

bool WriteAll(const std::wstring& file, const std::string& bytes) {
    UniqueFile out(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return out && (bytes.empty() || (::WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                                  &written, nullptr) &&
                                     written == bytes.size()));
}

// Nothing when the bytes hold a sequence the code page does not decode: the
// text would not be written back as it was.
std::optional<std::wstring> Decode(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) return std::wstring();
    const int length = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                             static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                          text.data(), length);
    return text;
}

std::string Encode(UINT codePage, std::wstring_view text) {
    if (text.empty()) return {};
    const int length = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                             nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(std::max(length, 0)), '\0');
    if (length > 0)
        ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length,
                              nullptr, nullptr);
    return bytes;
}

std::string Utf16File(std::wstring_view text) {
    std::string bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes;
}

// The file's bytes with the edits made, in the encoding it has (UTF-16 when
// the code page cannot hold the new text); nothing when the file is in a form
// this cannot keep byte for byte (bytes the code page does not decode, UTF-16
// big-endian), which the profile functions then edit.
std::optional<std::string> EditedBytes(const std::string& bytes, const std::vector<SectionEdit>& edits,
                                       bool changesFitCodePage) {
    const auto startsWith = [&](std::string_view mark) { return bytes.compare(0, mark.size(), mark) == 0; };
    if (startsWith("\xFF\xFE")) {
        if (bytes.size() % 2 != 0) return std::nullopt;
        const std::wstring_view text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        return Utf16File(ApplySectionEdits(text, edits));
    }
    if (startsWith("\xFE\xFF")) return std::nullopt;
    if (startsWith("\xEF\xBB\xBF")) {
        const std::optional<std::wstring> text = Decode(CP_UTF8, std::string_view(bytes).substr(3));
        if (!text) return std::nullopt;
        return "\xEF\xBB\xBF" + Encode(CP_UTF8, ApplySectionEdits(*text, edits));
    }
    const std::optional<std::wstring> text = Decode(CP_ACP, bytes);
    if (!text) return std::nullopt;
    const std::wstring edited = ApplySectionEdits(*text, edits);
    // Text the code page cannot hold would be stored as "?" or as a look-alike
    // (another file's name): such a file is kept in UTF-16 from now on.
    return changesFitCodePage ? Encode(CP_ACP, edited) : Utf16File(edited);
}

}  // namespace

std::wstring StoredProfileValue(std::wstring_view value) {
    std::wstring stored(value);
    // The profile functions drop one pair of quotes around a whole value when
    // they read it, and the blanks at either end: an argument such as "a b.txt"
    // would lose its quotes and "  -x  " its blanks. One more pair of quotes
    // keeps the value as it was written.
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    const bool quoted = stored.size() >= 2 && (stored.front() == L'"' || stored.front() == L'\'') &&
                        stored.back() == stored.front();
    if (quoted || (!stored.empty() && (blank(stored.front()) || blank(stored.back()))))
        stored = L'"' + stored + L'"';
    return stored;
}

const ProfileFile::Section& ProfileFile::SectionNamed(std::wstring_view section) const {
    for (const Section& known : sections_)
        if (SameProfileName(known.name, section)) return known;
    Section read{std::wstring(section), {}};
    for (const std::wstring& line : SectionLines(read.name, fileName_)) {
        const auto equals = line.find(L'=');
        std::wstring_view key(line), value;
        if (equals != std::wstring::npos) {
            key = key.substr(0, equals);
            value = std::wstring_view(line).substr(equals + 1);
        }
        // As a single read returns it: no blanks around it, one pair of quotes
        // dropped, at most kMaxStringValue characters. The first of two equal keys counts.
        const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
        while (!key.empty() && blank(key.front())) key.remove_prefix(1);
        while (!key.empty() && blank(key.back())) key.remove_suffix(1);
        while (!value.empty() && blank(value.front())) value.remove_prefix(1);
        while (!value.empty() && blank(value.back())) value.remove_suffix(1);
        if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        read.values.emplace(FoldedName(key), std::wstring(value.substr(0, kMaxStringValue)));
    }
    return sections_.emplace_back(std::move(read));
}

std::optional<std::wstring> ProfileFile::ReadString(std::wstring_view section,
                                                    std::wstring_view key) const {
    const Section& found = SectionNamed(section);
    const auto value = found.values.find(FoldedName(key));
    if (value == found.values.end()) return std::nullopt;
    return value->second;
}

void ProfileTransaction::WriteString(std::wstring_view section, std::wstring_view key,
                                     std::wstring_view value) {
    pending_.push_back({std::wstring(section), std::wstring(key), StoredProfileValue(value), false});
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
    const std::wstring target = LinkTarget(fileName_);
    const wchar_t* file = target.c_str();
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

    std::wstring folder = FolderOfFile(target);
    if (folder.empty()) folder = L".";
    wchar_t tempName[MAX_PATH];
    if (!::GetTempFileNameW(folder.c_str(), L"tdx", 0, tempName))
        throw SettingsWriteError(fileName_);
    TempFile temp(tempName);

    SectionEdits edits;
    for (const Change& change : changes) {
        if (change.erase) edits.Erase(change.section);
        else edits.Write(change.section, change.key, change.value);
    }
    const bool fits = std::all_of(changes.begin(), changes.end(), [](const Change& c) {
        return FitsCodePage(c.section) && FitsCodePage(c.key) && FitsCodePage(c.value);
    });
    // The file is edited in memory and written once: the profile functions
    // would rewrite all of it on every call.
    std::string bytes;
    if (exists && !ReadAll(file, bytes)) throw SettingsWriteError(fileName_);
    if (const std::optional<std::string> edited = EditedBytes(bytes, edits.Edits(), fits)) {
        if (!WriteAll(temp.path(), *edited)) throw SettingsWriteError(fileName_);
        // Never opened by the profile functions: nothing of it is in their cache.
    } else {
        // A form kept byte for byte only by the profile functions: a copy they edit
        // section by section. The copy keeps the file's encoding.
        if (!::CopyFileW(file, temp.path().c_str(), FALSE)) throw SettingsWriteError(fileName_);
        if (!IsUtf16File(temp.path()) && !fits && !ConvertToUtf16(temp.path()))
            throw SettingsWriteError(fileName_);
        for (const SectionEdit& section : edits.Edits())
            if (!WriteSection(section, temp.path())) throw SettingsWriteError(fileName_);
        ForgetCachedProfile(temp.path());
    }
    if (!FlushToDisk(temp.path())) throw SettingsWriteError(fileName_);

    if (!::MoveFileExW(temp.path().c_str(), file,
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw SettingsWriteError(fileName_);
    temp.Keep();
    // The profile functions see the new file by its write time; dropping their
    // cache here would only make them read all of it at once.
}

}  // namespace tdx
