// The text of a settings file edited the way the profile functions edit it,
// in memory: the whole file is then written once, instead of once per call.
// Lines no change touches keep their text and their line ends.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tdx {

// What a set of writes does to one section.
struct SectionEdit {
    std::wstring section;
    bool erased = false;  // the old section goes; writes are all it holds afterwards
    std::vector<std::pair<std::wstring, std::wstring>> writes;  // key, stored value; last value wins
};

// Groups key writes and section erasures by section, in the order each
// section is first named. A write before an erasure of its section is lost,
// as it would be in the file.
class SectionEdits {
public:
    void Write(std::wstring_view section, std::wstring_view key, std::wstring_view value);
    void Erase(std::wstring_view section);
    const std::vector<SectionEdit>& Edits() const noexcept { return edits_; }

private:
    SectionEdit& Of(std::wstring_view section);
    std::vector<SectionEdit> edits_;
};

// Section and key names compare without regard to case and to blanks around them.
bool SameProfileName(std::wstring_view a, std::wstring_view b) noexcept;

// The file's text after the edits: a known key keeps its line and takes the
// new value, a new key follows the last line of its section, a new section or
// one erased and written again goes to the end, an erased one is removed
// (every copy of it).
std::wstring ApplySectionEdits(std::wstring_view text, const std::vector<SectionEdit>& edits);

}  // namespace tdx
