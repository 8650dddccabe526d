#include "settings/profile_file_win.h"

#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwctype>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "settings/file_bytes_win.h"
#include "settings/ini_values.h"
#include "settings/profile_encoding_win.h"
#include "settings/profile_sections.h"
#include "settings/profile_text.h"
#include "settings/settings_files.h"
#include "winbase/unique_handle.h"

namespace tdx {
namespace {

// Saves up to this size are put together in memory; larger ones are written
// run by run from the mapped file (fresh memory is slow to fill under Wine).
constexpr std::size_t kJoinedBelow = 1u << 20;

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

// A settings file that is a link to another place stays a link: the file it
// names is the one replaced.
std::wstring LinkTarget(HANDLE handle, const std::wstring& file) {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = ::GetFinalPathNameByHandleW(handle, buffer, MAX_PATH * 2, FILE_NAME_NORMALIZED);
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
        // A line without '=' is the key's as well: the write takes its place.
        auto line = std::find_if(lines.begin(), lines.end(), [&](const std::wstring& l) {
            return SameProfileName(std::wstring_view(l).substr(0, l.find(L'=')), key);
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

// The file's bytes, and how many names it has (hard links).
bool ReadAll(const std::wstring& file, std::string& bytes, DWORD& links) {
    // Shares what the profile functions share: a program that holds the file
    // open for writing (an editor, a sync tool) does not stop a save, one that
    // shares nothing does.
    UniqueFile in(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!in || !::GetFileSizeEx(in.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
    BY_HANDLE_FILE_INFORMATION information{};
    links = ::GetFileInformationByHandle(in.get(), &information) ? information.nNumberOfLinks : 1;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (::ReadFile(in.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
            read == bytes.size());
}

bool WriteBytes(HANDLE out, const std::string& bytes) noexcept {
    DWORD written = 0;
    return bytes.empty() || (::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                             written == bytes.size());
}

bool WriteRuns(HANDLE out, const EditedFile& edited) noexcept {
    // In blocks: under Wine one call of many megabytes from a mapped file took
    // two to five times as long as the same bytes a megabyte at a time.
    constexpr std::size_t kBlock = 1u << 20;
    for (std::string_view run : edited.runs) {
        for (std::size_t at = 0; at < run.size(); at += kBlock) {
            const auto size = static_cast<DWORD>(std::min(kBlock, run.size() - at));
            DWORD written = 0;
            if (!::WriteFile(out, run.data() + at, size, &written, nullptr) || written != size) return false;
        }
    }
    return true;
}

// Rewrites the file where it is, as the profile functions do: its name, links,
// attributes and security stay those of the file. Sharing reading and writing
// as they do, it succeeds beside any program that lets them write.
bool WriteInPlace(const std::wstring& file, const std::string& bytes) {
    UniqueFile out(::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return out && WriteBytes(out.get(), bytes) && ::SetEndOfFile(out.get()) && ::FlushFileBuffers(out.get());
}

// The edits made by the profile functions themselves, for a file whose bytes
// no decoding keeps as they are. The file keeps its encoding unless the code
// page cannot hold the new text.
bool EditThroughProfileFunctions(const std::wstring& file, const std::vector<SectionEdit>& edits,
                                 bool changesFitCodePage) {
    if (!IsUtf16File(file) && !changesFitCodePage && !ConvertToUtf16(file)) return false;
    for (const SectionEdit& section : edits)
        if (!WriteSection(section, file)) return false;
    ForgetCachedProfile(file);
    return true;
}

std::wstring_view WithoutBlanks(std::wstring_view text) noexcept {
    const auto blank = [](wchar_t c) { return (c >= L'\t' && c <= L'\r') || c == L'\x1A' || c == L' '; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// Whether the keys of a section, as read, hold every write as it was
// written: the first line of a key counts, a line without '=' reading as missing.
bool HoldsWrites(const std::vector<StoredKey>& keys, const SectionEdit& edit) {
    const auto holds = [](const StoredKey& key, std::wstring_view value) {
        return key.value && WithoutBlanks(*key.value) == WithoutBlanks(value);
    };
    // A section written anew holds the writes in their order, one line each
    // (the writes name different keys): then each line is its key's first.
    if (keys.size() == edit.writes.size() &&
        std::equal(keys.begin(), keys.end(), edit.writes.begin(), [](const StoredKey& key, const auto& write) {
            return SameProfileName(key.name, write.first);
        }))
        return std::equal(keys.begin(), keys.end(), edit.writes.begin(),
                          [&](const StoredKey& key, const auto& write) { return holds(key, write.second); });
    std::unordered_map<std::wstring, const StoredKey*> first;
    for (const StoredKey& key : keys) first.emplace(FoldedProfileName(key.name), &key);
    for (const auto& [key, value] : edit.writes) {
        const auto found = first.find(FoldedProfileName(key));
        if (found == first.end() || !holds(*found->second, value)) return false;
    }
    return true;
}

// Whether the profile functions read every written key of file back as it
// was written: a save they would read otherwise (a form of the file they take
// differently) must fail rather than pass for done.
bool ReadsBack(const std::wstring& file, const std::vector<SectionEdit>& edits) {
    bool same = true;
    for (const SectionEdit& edit : edits) {
        if (edit.writes.empty()) continue;
        const std::vector<std::wstring> lines = SectionLines(edit.section, file);
        std::vector<StoredKey> keys;
        for (const std::wstring& line : lines) {
            const std::wstring_view text = line;
            const auto equals = text.find(L'=');
            keys.push_back({text.substr(0, equals),
                            equals == std::wstring_view::npos ? std::nullopt : std::optional(text.substr(equals + 1))});
        }
        same = same && HoldsWrites(keys, edit);
    }
    ForgetCachedProfile(file);
    return same;
}

// The same question answered by the program's own reader from the bytes
// about to be stored, which reads them as the profile functions would;
// nothing when the bytes are in a form only they read. (Edited bytes decode
// cleanly: their old runs did, and their new text was just encoded.)
std::optional<bool> BytesReadBack(std::string_view bytes, const std::vector<SectionEdit>& edits) {
    const std::optional<StoredText> text = ReadableText(bytes, true);
    if (!text) return std::nullopt;
    std::unordered_set<std::wstring> written;
    for (const SectionEdit& edit : edits)
        if (!edit.writes.empty()) written.insert(CaseFolded(edit.section));
    const std::vector<StoredSection> sections =
        ReadStoredSections(*text, [&](std::wstring_view name) { return written.count(CaseFolded(name)) != 0; });
    for (const SectionEdit& edit : edits) {
        if (edit.writes.empty()) continue;
        const auto section = std::find_if(sections.begin(), sections.end(), [&](const StoredSection& s) {
            return CaseFolded(s.name) == CaseFolded(edit.section);
        });
        if (section == sections.end() || !HoldsWrites(section->keys, edit)) return false;
    }
    return true;
}

// Waits a moment for a program that holds the file without letting it be
// replaced or removed (a virus scanner, an indexer, a backup tool looks at a
// file just written); false when it still holds it after about half a second.
bool WaitUntilReplaceable(const std::wstring& file) noexcept {
    for (int attempt = 0;; ++attempt) {
        UniqueFile probe(::CreateFileW(file.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (probe) return true;
        const DWORD error = ::GetLastError();
        if (attempt == 4 || (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)) return false;
        ::Sleep(120);
    }
}

// What the user set on the file itself, which its copy takes on before it
// takes the file's place: the attributes (hidden, system, ...), the creation
// time and the access list.
struct FileProperties {
    FILE_BASIC_INFO basic{};
    UniqueLocal security;  // holds dacl
    PACL dacl = nullptr;
    bool protectedDacl = false;
};

FileProperties PropertiesOf(HANDLE file, const FILE_BASIC_INFO& basic) noexcept {
    FileProperties properties;
    properties.basic = basic;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &properties.dacl,
                          nullptr, &descriptor) != ERROR_SUCCESS)
        return properties;
    properties.security.reset(descriptor);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!::GetSecurityDescriptorControl(descriptor, &control, &revision)) properties.dacl = nullptr;
    properties.protectedDacl = (control & SE_DACL_PROTECTED) != 0;
    return properties;
}

bool SameAccessList(PACL a, PACL b) noexcept {
    if (!a || !b || a->AceCount != b->AceCount) return false;
    for (WORD i = 0; i < a->AceCount; ++i) {
        void* aceA = nullptr;
        void* aceB = nullptr;
        if (!::GetAce(a, i, &aceA) || !::GetAce(b, i, &aceB)) return false;
        const WORD size = static_cast<const ACE_HEADER*>(aceA)->AceSize;
        if (size != static_cast<const ACE_HEADER*>(aceB)->AceSize || std::memcmp(aceA, aceB, size) != 0) return false;
    }
    return true;
}

// The copy (opened with read and write access) takes on the file's
// properties. An access list the copy already has from its folder is not
// set again: the file's own entries are what setting it would add. Failures
// are ignored: they lose a mark, never the settings.
void CarryProperties(const FileProperties& file, HANDLE copy, const std::wstring& copyName) noexcept {
    if (file.dacl) {
        const FileProperties own = PropertiesOf(copy, {});
        if (own.protectedDacl != file.protectedDacl || !SameAccessList(own.dacl, file.dacl)) {
            // Inherited entries are left out and taken from the folder again.
            const SECURITY_INFORMATION what =
                DACL_SECURITY_INFORMATION |
                (file.protectedDacl ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
            ::SetNamedSecurityInfoW(const_cast<wchar_t*>(copyName.c_str()), SE_FILE_OBJECT, what, nullptr, nullptr,
                                    file.dacl, nullptr);
        }
    }
    constexpr DWORD kKept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO basic{};  // times of 0 and attributes of 0 stay as they are
    basic.CreationTime = file.basic.CreationTime;
    basic.FileAttributes = file.basic.FileAttributes & kKept;
    ::SetFileInformationByHandle(copy, FileBasicInfo, &basic, sizeof basic);
}

// A new file beside the settings file, opened for reading and writing and
// shared with nobody; nothing when the folder takes no new files.
UniqueFile CreateCopyBeside(const std::wstring& folder, std::wstring& name) {
    static std::atomic<DWORD> next = ::GetTickCount() ^ ::GetCurrentProcessId();
    const std::wstring prefix = folder + (folder.empty() || folder.back() == L'\\' ? L"" : L"\\") + L"tdx";
    for (int attempt = 0; attempt < 0x10000; ++attempt) {
        const DWORD unique = next++;
        name = prefix;
        for (int shift = 12; shift >= 0; shift -= 4) name += L"0123456789ABCDEF"[(unique >> shift) & 0xF];
        name += L".tmp";
        UniqueFile file(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || ::GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return UniqueFile();
}

// The copy takes the file's place in one rename, so that a reader sees the old
// file or the new one and never none. (ReplaceFileW would carry the properties
// itself, but Wine's moves the file away and deletes it before the copy comes.)
// False when the file is held by a program that does not let it be replaced.
bool ReplaceWithCopy(const std::wstring& file, const std::wstring& copy) {
    const auto move = [&] {
        return ::MoveFileExW(copy.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    };
    // Nearly always free: the wait is for when it is not.
    return move() || (WaitUntilReplaceable(file) && move());
}

// Writes the file where it is (see WriteInPlace); name is the one a failure reports.
void SaveInPlace(const std::wstring& name, const std::wstring& file, const std::string& old,
                 const std::optional<std::string>& edited, const std::vector<SectionEdit>& edits, bool fits) {
    const bool written = edited ? WriteInPlace(file, *edited) : EditThroughProfileFunctions(file, edits, fits);
    const std::optional<bool> readBack = edited ? BytesReadBack(*edited, edits) : std::nullopt;
    if (written && (readBack ? *readBack : ReadsBack(file, edits))) return;
    // Best effort: the file as it was, rather than half a save.
    WriteInPlace(file, old);
    ForgetCachedProfile(file);
    throw SettingsWriteError(name);
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

const ReadSection* ProfileFile::SectionNamed(std::wstring_view section) const {
    if (!snapshot_) snapshot_ = CurrentSnapshot(fileName_, section);
    if (!snapshot_->throughProfileFunctions) {
        const ReadSection* found = snapshot_->Find(section);
        if (!found || found->read) return found;
        // A section no reader asked for before.
        snapshot_ = CurrentSnapshot(fileName_, section);
        if (!snapshot_->throughProfileFunctions) return snapshot_->Find(section);
    }
    for (const ReadSection& known : sections_)
        if (SameProfileName(known.name, section)) return &known;
    ReadSection& read = sections_.emplace_back();
    read.name = section;
    read.read = true;
    for (const std::wstring& line : SectionLines(read.name, fileName_)) {
        const auto equals = line.find(L'=');
        if (equals == std::wstring::npos) AddReadKey(read, line, std::nullopt);
        else AddReadKey(read, std::wstring_view(line).substr(0, equals), std::wstring_view(line).substr(equals + 1));
    }
    return &read;
}

std::optional<std::wstring> ProfileFile::ReadString(std::wstring_view section,
                                                    std::wstring_view key) const {
    // Names are looked up without the blanks around them.
    const ReadSection* found = SectionNamed(WithoutBlanks(section));
    if (!found) return std::nullopt;
    const auto value = found->values.find(CaseFolded(WithoutBlanks(key)));
    if (value == found->values.end()) return std::nullopt;
    return value->second;
}

void ProfileTransaction::WriteString(std::wstring_view section, std::wstring_view key,
                                     std::wstring_view value) {
    std::wstring stored = StoredProfileValue(value);
    pending_.fits = pending_.fits && FitsCodePage(section) && FitsCodePage(key) && FitsCodePage(stored);
    pending_.written = true;
    pending_.edits.Write(section, key, std::move(stored));
}

void ProfileTransaction::EraseSection(std::wstring_view section) {
    pending_.fits = pending_.fits && FitsCodePage(section);
    pending_.edits.Erase(section);
}

void ProfileTransaction::Commit() {
    const Pending changes = std::exchange(pending_, Pending());
    if (!changes.edits.Edits().empty()) Apply(changes);
}

void ProfileTransaction::Apply(const Pending& changes) {
    // One handle tells whether the file is there, what it is, where a link
    // leads and what the copy must take on, and reads it. It shares what the
    // profile functions share: a program that holds the file open for writing
    // (an editor, a sync tool) does not stop a save, one that shares nothing does.
    UniqueFile in(::CreateFileW(fileName_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool exists = static_cast<bool>(in);
    if (!exists) {
        const DWORD error = ::GetLastError();
        // A folder in the file's place, or a file held by a program that shares
        // nothing. A missing folder fails below, when the copy cannot be made in it.
        if ((error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) ||
            ::GetFileAttributesW(fileName_.c_str()) != INVALID_FILE_ATTRIBUTES)
            throw SettingsWriteError(fileName_);
        // Erasing sections of a file that does not exist changes nothing.
        if (!changes.written) return;
    }
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    if (exists && (!::GetFileInformationByHandleEx(in.get(), FileBasicInfo, &basic, sizeof basic) ||
                   !::GetFileInformationByHandleEx(in.get(), FileStandardInfo, &standard, sizeof standard)))
        throw SettingsWriteError(fileName_);
    // A file the user made read-only: the profile functions refuse those on
    // Windows, whatever Wine does as root.
    if (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) throw SettingsWriteError(fileName_);
    const std::wstring target = exists ? LinkTarget(in.get(), fileName_) : fileName_;
    const wchar_t* file = target.c_str();

    const SectionEdits& edits = changes.edits;
    const bool fits = changes.fits;
    // The file is edited in memory and written once: the profile functions
    // would rewrite all of it on every call.
    ForgetSnapshot(fileName_);
    std::optional<FileBytes> source;
    FileProperties properties;
    if (exists) {
        source = FileBytes::Of(in.get(), static_cast<ULONGLONG>(standard.EndOfFile.QuadPart));
        if (!source) throw SettingsWriteError(fileName_);
        properties = PropertiesOf(in.get(), basic);
    }
    const std::string_view bytes = source ? source->View() : std::string_view();
    std::optional<EditedFile> edited = EditedBytes(bytes, edits.Edits(), fits);
    // Checked before anything is written. A small file is put together once
    // and written in one call.
    std::optional<bool> readBack;
    if (edited) {
        readBack = BytesReadBack(edited->ReadBackText(), edits.Edits());
        if (readBack == false) throw SettingsWriteError(fileName_);
        if (edited->Size() < kJoinedBelow) {
            auto joined = std::make_unique<std::string>(edited->Joined());
            edited->runs.assign(1, *joined);
            edited->made.push_back(std::move(joined));
        }
    }

    // A second name of the file (a hard link) would keep the old text if a copy
    // took this name's place, and a folder where the user may change the file
    // but not add one leaves no room for a copy: such a file is rewritten where
    // it is, as the profile functions rewrite it.
    std::wstring folder = FolderOfFile(target);
    if (folder.empty()) folder = L".";
    std::wstring tempName;
    UniqueFile out = standard.NumberOfLinks > 1 ? UniqueFile() : CreateCopyBeside(folder, tempName);
    if (!out) {
        if (!exists) throw SettingsWriteError(fileName_);
        std::string old(bytes);
        const std::optional<std::string> joined = edited ? std::optional(edited->Joined()) : std::nullopt;
        // A file mapped or open here could not be cut short.
        edited.reset();
        source.reset();
        in.reset();
        SaveInPlace(fileName_, target, old, joined, edits.Edits(), fits);
        return;
    }
    TempFile temp(tempName);
    if (edited) {
        // Never opened by the profile functions: nothing of it is in their cache.
        if (!WriteRuns(out.get(), *edited)) throw SettingsWriteError(fileName_);
        if (exists) CarryProperties(properties, out.get(), temp.path());
        // The copy must be on the disk before it takes the file's place, or a
        // power loss right after a save could leave an empty file where the
        // settings were.
        if (!::FlushFileBuffers(out.get())) throw SettingsWriteError(fileName_);
        out.reset();
    } else {
        out.reset();
        if (!::CopyFileW(file, temp.path().c_str(), FALSE) ||
            !EditThroughProfileFunctions(temp.path(), edits.Edits(), fits))
            throw SettingsWriteError(fileName_);
        // The profile functions have closed the copy they edited; scanners may
        // already look at it, so it is opened sharing.
        UniqueFile copy(::CreateFileW(temp.path().c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!copy) throw SettingsWriteError(fileName_);
        if (exists) CarryProperties(properties, copy.get(), temp.path());
        if (!::FlushFileBuffers(copy.get())) throw SettingsWriteError(fileName_);
    }
    // Nothing of ours may hold the file (open or mapped) when it is replaced.
    edited.reset();
    source.reset();
    in.reset();
    if (!readBack && !ReadsBack(temp.path(), edits.Edits())) throw SettingsWriteError(fileName_);

    if (!exists) {
        if (!::MoveFileExW(temp.path().c_str(), file, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            throw SettingsWriteError(fileName_);
        temp.Keep();
        return;
    }
    if (ReplaceWithCopy(target, temp.path())) {
        temp.Keep();
        // The profile functions see the new file by its write time; dropping
        // their cache here would only make them read all of it at once.
        return;
    }
    // Held by a program that lets others write but not replace it: the
    // profile functions would write it in place, and so does this.
    std::string old, copied;
    DWORD oldLinks = 1, copyLinks = 1;
    if (!ReadAll(target, old, oldLinks) || !ReadAll(temp.path(), copied, copyLinks))
        throw SettingsWriteError(fileName_);
    SaveInPlace(fileName_, target, old, copied, edits.Edits(), fits);
}

}  // namespace tdx
