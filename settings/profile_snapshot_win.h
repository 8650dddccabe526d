// What the program's own reader read of a settings file, kept for the next
// reader while the file stays as it was: start-up reads the language, the
// environments, the lists and the options one after another, and a damaged
// file of 15 MB was read and parsed again for every one of them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tdx {

// The keys of one section as a read returns them.
struct ReadSection {
    std::wstring name;  // as written
    // The keys below are the section's. The sections the program reads at
    // every start, and those asked for, are read; the others are only named.
    bool read = false;
    // By key in upper case. A key line without '=' reads as missing, and so
    // does every later line of the same key: the profile functions stop at the first.
    std::unordered_map<std::wstring, std::optional<std::wstring>> values;
};

// Adds a key line: a value is taken as a single read returns it (no blanks
// around it, one pair of quotes dropped, at most kMaxStringValue characters);
// the first of two equal keys counts.
void AddReadKey(ReadSection& section, std::wstring_view name, std::optional<std::wstring_view> value);

struct ProfileSnapshot {
    // The file is in a form only the profile functions read (see ReadableText).
    bool throughProfileFunctions = false;
    std::vector<ReadSection> sections;
    std::unordered_map<std::wstring, std::size_t> named;  // by CaseFolded name
    // The section a read of that name reads (the first copy), or nothing.
    const ReadSection* Find(std::wstring_view section) const;
};

// The file as it is now, with the section among those read: what was read of
// it before when it has not changed since, otherwise what it holds now. A
// missing file, or one that cannot be opened, holds no sections.
std::shared_ptr<const ProfileSnapshot> CurrentSnapshot(const std::wstring& file, std::wstring_view section);

// Drops what was read of the file: it is being written.
void ForgetSnapshot(const std::wstring& file);

}  // namespace tdx
