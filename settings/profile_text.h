// The text of a settings file edited the way the profile functions edit it,
// in memory: the whole file is then written once, instead of once per call.
// Lines no change touches keep their text and their line ends, and are never
// converted: they are copied as the units they were stored in.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
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
    void Write(std::wstring_view section, std::wstring_view key, std::wstring value);
    void Erase(std::wstring_view section);
    const std::vector<SectionEdit>& Edits() const noexcept { return edits_; }

private:
    std::size_t Of(std::wstring_view section);
    std::vector<SectionEdit> edits_;
    // Per section, where each key's write is, by its folded name: a list save
    // writes 700 keys, and looking each up among the others cost a quarter of a million comparisons.
    std::vector<std::unordered_map<std::wstring, std::size_t>> keys_;
};

// Section and key names compare without regard to case and to blanks around them.
bool SameProfileName(std::wstring_view a, std::wstring_view b) noexcept;
// The form of a name two SameProfileName names share (trimmed, upper case).
std::wstring FoldedProfileName(std::wstring_view name);
// The character in upper case, as the runtime's towupper gives it.
wchar_t UpperCase(wchar_t c) noexcept;

// A settings file's text as stored: UTF-16 units as they are, or bytes of the
// system code page with the function that decodes them. The bytes must decode
// cleanly: then a byte below 0x80 is a character of its own (no code page the
// files are kept in uses one as the second byte of a character), so lines,
// blanks and brackets are found in the bytes themselves, and only the lines an
// edit or a read looks into are decoded.
class StoredText {
public:
    using Decoder = std::function<std::wstring(std::string_view)>;
    explicit StoredText(std::wstring_view units) noexcept : wide_(units) {}
    StoredText(std::string_view bytes, Decoder decode) : bytes_(bytes), decode_(std::move(decode)), narrow_(true) {}

    bool Narrow() const noexcept { return narrow_; }
    std::size_t Size() const noexcept { return narrow_ ? bytes_.size() : wide_.size(); }
    std::string_view Bytes() const noexcept { return bytes_; }
    std::wstring_view Units() const noexcept { return wide_; }
    // The unit at i as a character when it is one of its own (below 0x80 in bytes), otherwise 0xFFFF.
    wchar_t At(std::size_t i) const noexcept;
    // The end of the line that starts at or before from: just after its CR, LF or CR LF.
    std::size_t LineEnd(std::size_t from) const noexcept;
    // The start of the first line at or after the line start from whose first
    // character that is not blank is '[' (Size() when there is none): headers
    // are found without looking at every line of a large file.
    std::size_t NextBracketLine(std::size_t from) const noexcept;
    // The text of [begin, end), which starts and ends between characters.
    std::wstring Text(std::size_t begin, std::size_t end) const;

private:
    std::wstring_view wide_;
    std::string_view bytes_;
    Decoder decode_;
    bool narrow_ = false;
};

// One run of the edited text: stored units [begin, end) kept as they are, or new text.
struct TextPiece {
    std::size_t begin = 0, end = 0;
    std::wstring text;  // new text when not empty
    // Stored lines of a section no edit writes, after its header line: a
    // read of the written sections never looks into them, so a check that
    // the edited text reads back as written passes over them.
    bool unread = false;
};

// The file's text after the edits: a known key keeps its line and takes the
// new value, a new key follows the last line of its section, a new section or
// one erased and written again goes to the end, an erased one is removed
// (every copy of it).
std::vector<TextPiece> EditStoredText(const StoredText& stored, const std::vector<SectionEdit>& edits);
std::wstring ApplySectionEdits(std::wstring_view text, const std::vector<SectionEdit>& edits);

// The pieces put together: stored units copied, new text through encode.
std::wstring JoinPieces(std::wstring_view stored, const std::vector<TextPiece>& pieces);
std::string JoinPieces(std::string_view stored, const std::vector<TextPiece>& pieces,
                       const std::function<std::string(std::wstring_view)>& encode);

}  // namespace tdx
