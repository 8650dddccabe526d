// A settings file read as the platform's profile functions read it and written
// as they would write it: in the encoding it already has (the ANSI code page,
// or UTF-16 when it starts with a byte-order mark), new files in the ANSI code
// page. Files that systems read differently (UTF-16 big-endian, UTF-8 with a
// mark) are stored in a form all of them read alike at their first save.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings/profile_snapshot_win.h"
#include "settings/profile_text.h"
#include "settings/settings_store.h"

namespace tdx {

// The text stored for a value, so that the profile functions read back exactly
// the value (they drop blanks at both ends and one pair of quotes).
std::wstring StoredProfileValue(std::wstring_view value);

class ProfileFile final : public SettingsReader {
public:
    explicit ProfileFile(std::wstring fileName) : fileName_(std::move(fileName)) {}
    const std::wstring& FileName() const noexcept { return fileName_; }

    // At most kMaxStringValue characters (the read buffer holds 1,024).
    std::optional<std::wstring> ReadString(std::wstring_view section,
                                           std::wstring_view key) const override;

private:
    // The file is read once, by the program's own reader, which reads as the
    // profile functions read: they look at the file again on every call, and
    // parse all of it again when it was written in the last two seconds. A
    // file in a form only they read is read through them, a section at a time.
    const ReadSection* SectionNamed(std::wstring_view section) const;

    std::wstring fileName_;
    mutable std::shared_ptr<const ProfileSnapshot> snapshot_;
    mutable std::vector<ReadSection> sections_;  // read through the profile functions
};

// Collects writes and section erasures and applies them in Commit, all or
// nothing: the changes go to a copy of the file in the same folder, which then
// replaces the file in one move, keeping its attributes and security. A file
// with a second name (a hard link), one in a folder that takes no new files,
// and one held by a program that lets others write but not replace it are
// written in place instead, as the profile functions write them. A save that
// would not read back as written fails. On any failure the stored file is
// left as it was and SettingsWriteError names it. Changes not committed when
// the transaction ends are dropped.
class ProfileTransaction final : public SettingsWriter {
public:
    explicit ProfileTransaction(std::wstring fileName) : fileName_(std::move(fileName)) {}
    const std::wstring& FileName() const noexcept { return fileName_; }

    void WriteString(std::wstring_view section, std::wstring_view key,
                     std::wstring_view value) override;
    void EraseSection(std::wstring_view section) override;
    // Also drops the pending changes when it throws.
    void Commit() override;

private:
    // The pending changes, grouped as they will be applied.
    struct Pending {
        SectionEdits edits;
        bool written = false;  // a key was written (not only sections erased)
        bool fits = true;      // the code page holds every name and value
    };
    void Apply(const Pending& changes);

    std::wstring fileName_;
    Pending pending_;
};

}  // namespace tdx
