// A settings file read the way the profile functions read it, from its stored
// text: lines end at CR, LF or CR LF; blanks around lines, names and values
// are dropped; a header is a line that starts with '[' and names what stands
// before its last ']'; a key line without '=' is a key without a
// value; of two sections of one name, only the first is ever read.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/profile_text.h"

namespace tdx {

// One key line of a section: its name, and its value as stored (quotes and
// all); nothing for a line without '='. Both refer to the text they were read from.
struct StoredKey {
    std::wstring_view name;
    std::optional<std::wstring_view> value;
};

// A section as a read of the whole section returns it: its key lines in
// order, without comment lines (';' first).
struct StoredSection {
    std::wstring name;  // "" for the lines before the first header
    bool read = false;  // keys holds the section's keys (only wanted sections are read)
    // The section's text, which the keys refer to (kept where it is when the section moves).
    std::unique_ptr<const std::wstring> text;
    std::vector<StoredKey> keys;
};

// Every section the text names, the first copy of each name, in the order of
// the text; the keys of those the predicate wants.
std::vector<StoredSection> ReadStoredSections(const StoredText& stored,
                                              const std::function<bool(std::wstring_view)>& wanted);

// A name as the profile functions look a section or key up, without regard to case.
std::wstring CaseFolded(std::wstring_view name);

}  // namespace tdx
