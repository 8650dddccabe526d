#include "settings/profile_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <optional>

namespace tdx {
namespace {

constexpr std::wstring_view kLineEnd = L"\r\n";
constexpr wchar_t kNotOwnCharacter = 0xFFFF;

// What the profile functions take for blanks around names, values and lines:
// the C white space, and ^Z (a DOS end of file, found in files from old media).
bool IsProfileBlank(wchar_t c) noexcept { return (c >= L'\t' && c <= L'\r') || c == L'\x1A' || c == L' '; }
bool IsLineEnd(wchar_t c) noexcept { return c == L'\r' || c == L'\n'; }

std::wstring_view Trimmed(std::wstring_view text) noexcept {
    while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsBlankInLine(wchar_t c) noexcept { return IsProfileBlank(c) && !IsLineEnd(c); }

// The first '[' at or after from, eight bytes at a time.
std::size_t FindBracket(std::string_view bytes, std::size_t from) noexcept {
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u, kBrackets = kOnes * '[';
    std::size_t i = from;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        word ^= kBrackets;
        if ((word - kOnes) & ~word & kHighs) break;
    }
    for (; i < bytes.size(); ++i)
        if (bytes[i] == '[') return i;
    return bytes.size();
}

std::size_t FindBracket(std::wstring_view units, std::size_t from) noexcept {
    const std::size_t at = units.find(L'[', from);
    return at == std::wstring_view::npos ? units.size() : at;
}

template <class Unit>
std::size_t LineEndIn(std::basic_string_view<Unit> units, std::size_t from) noexcept {
    const std::size_t size = units.size();
    std::size_t i = from;
    while (i < size && units[i] != Unit('\n') && units[i] != Unit('\r')) ++i;
    if (i == size) return size;
    if (units[i] == Unit('\r') && i + 1 < size && units[i + 1] == Unit('\n')) return i + 2;
    return i + 1;
}

// One stored line: [begin, content) its text, [content, end) its line end.
struct Line {
    std::size_t begin, content, end;
};

Line LineAt(const StoredText& stored, std::size_t begin) noexcept {
    const std::size_t end = stored.LineEnd(begin);
    std::size_t content = end;
    while (content > begin && IsLineEnd(stored.At(content - 1))) --content;
    return {begin, content, end};
}

bool IsBlankLine(const StoredText& stored, const Line& line) noexcept {
    for (std::size_t i = line.begin; i < line.content; ++i)
        if (!IsProfileBlank(stored.At(i))) return false;
    return true;
}

// The section a header line opens, trimmed and folded, or nothing for other
// lines. A header needs its closing bracket; the name is what stands before
// the last one ("[a]b]" opens "a]b"). "[Program" alone is a key line of the
// section before. Only lines that start with '[' are decoded.
std::optional<std::wstring> HeaderName(const StoredText& stored, const Line& line) {
    std::size_t first = line.begin;
    while (first < line.content && IsProfileBlank(stored.At(first))) ++first;
    if (first == line.content || stored.At(first) != L'[') return std::nullopt;
    const std::wstring text = stored.Text(first, line.content);
    const std::wstring_view content = Trimmed(text);
    const auto close = content.rfind(L']');
    if (close == std::wstring_view::npos || close == 0) return std::nullopt;
    return FoldedProfileName(content.substr(1, close - 1));
}

// The key a line that is not a header names, folded: what stands before its
// first '=', or the whole line when it has none. The profile functions find
// such a bare line by its name (and read it as missing), so a write takes its place.
std::optional<std::wstring> KeyName(const StoredText& stored, const Line& line) {
    if (IsBlankLine(stored, line)) return std::nullopt;
    const std::wstring text = stored.Text(line.begin, line.content);
    const std::wstring_view content = Trimmed(text);
    return FoldedProfileName(content.substr(0, content.find(L'=')));
}

bool EndsWithLineEnd(const StoredText& stored, const TextPiece& piece) noexcept {
    if (!piece.text.empty()) return IsLineEnd(piece.text.back());
    return piece.end > piece.begin && IsLineEnd(stored.At(piece.end - 1));
}

// A section from its header line up to the next one (the first holds the
// lines before any header), kept as stored until an edit touches it.
struct Block {
    Block(std::size_t first, std::optional<std::wstring> folded, bool isNew = false)
        : begin(first), end(first), name(std::move(folded)), edited(isNew) {}
    std::size_t begin, end;
    std::optional<std::wstring> name;  // folded; none for the lines before any header
    bool edited = false;
    bool removed = false;
    bool lineEndAdded = false;  // its last line ended, before a section that follows it was added
    std::vector<TextPiece> pieces;  // what it became, when edited
};

class Blocks {
public:
    explicit Blocks(const StoredText& stored) : stored_(stored) {
        blocks_.emplace_back(0, std::nullopt);
        for (std::size_t at = 0; (at = stored.NextBracketLine(at)) < stored.Size();) {
            const Line line = LineAt(stored, at);
            if (auto name = HeaderName(stored, line)) {
                blocks_.back().end = at;
                blocks_.emplace_back(at, std::move(name));
            }
            at = line.end;
        }
        blocks_.back().end = stored.Size();
    }

    // The first copy of the section still in the text.
    Block* Find(const std::wstring& folded) {
        for (Block& block : blocks_)
            if (!block.removed && block.name && *block.name == folded) return &block;
        return nullptr;
    }

    void Erase(const std::wstring& folded) {
        for (Block& block : blocks_)
            if (block.name && *block.name == folded) block.removed = true;
    }

    void Append(const SectionEdit& edit) {
        // The last line so far must end before the new section starts.
        for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block) {
            if (block->removed || (!block->edited && block->begin == block->end)) continue;
            if (block->edited && !EndsWithLineEnd(stored_, block->pieces.back()))
                block->pieces.push_back({0, 0, std::wstring(kLineEnd)});
            else if (!block->edited && !IsLineEnd(stored_.At(block->end - 1)))
                block->lineEndAdded = true;
            break;
        }
        Block added(0, FoldedProfileName(edit.section), true);
        // Put together in one string: a list save writes 840 keys.
        std::size_t size = edit.section.size() + 2 + kLineEnd.size();
        for (const auto& [key, value] : edit.writes) size += key.size() + 1 + value.size() + kLineEnd.size();
        std::wstring text;
        text.reserve(size);
        text.append(L"[").append(edit.section).append(L"]").append(kLineEnd);
        for (const auto& [key, value] : edit.writes) text.append(key).append(L"=").append(value).append(kLineEnd);
        added.pieces.push_back({0, 0, std::move(text)});
        blocks_.push_back(std::move(added));
    }

    void Merge(const SectionEdit& edit, Block& block) {
        std::vector<Line> lines;  // the header line, then the section's lines
        for (std::size_t at = block.begin; at < block.end; at = lines.back().end) lines.push_back(LineAt(stored_, at));
        // New keys go after the section's last line that is not blank.
        std::size_t insertAt = lines.size();
        while (insertAt > 1 && IsBlankLine(stored_, lines[insertAt - 1])) --insertAt;
        std::unordered_map<std::wstring, std::size_t> known;  // first line of each key
        for (std::size_t i = 1; i < lines.size(); ++i)
            if (auto name = KeyName(stored_, lines[i])) known.emplace(std::move(*name), i);
        std::vector<std::wstring> replaced(lines.size());
        std::vector<TextPiece> added;
        for (const auto& [key, value] : edit.writes) {
            std::wstring line = key + L"=" + value;
            if (const auto found = known.find(FoldedProfileName(key)); found != known.end())
                replaced[found->second] = std::move(line);
            else
                added.push_back({0, 0, std::move(line) + std::wstring(kLineEnd)});
        }
        block.edited = true;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Line& line = lines[i];
            if (!replaced[i].empty()) {
                block.pieces.push_back({0, 0, std::move(replaced[i])});
                if (line.end > line.content) block.pieces.push_back({line.content, line.end, {}});
            } else {
                block.pieces.push_back({line.begin, line.end, {}});
            }
            // The line end a section added after this one gave the last line,
            // or the one new keys after the line need.
            if (line.end == line.content &&
                ((i + 1 == lines.size() && block.lineEndAdded) || (i + 1 == insertAt && !added.empty())))
                block.pieces.push_back({0, 0, std::wstring(kLineEnd)});
            if (i + 1 == insertAt) block.pieces.insert(block.pieces.end(), added.begin(), added.end());
        }
    }

    // written: the folded names of the sections the edits write. The edited
    // blocks give up their pieces: a list save's new section is one long text.
    std::vector<TextPiece> TakePieces(const std::vector<std::wstring>& written) {
        std::vector<TextPiece> pieces;
        // Runs that meet become one: new text is then converted at once.
        const auto add = [&pieces](TextPiece piece) {
            if (piece.text.empty() && piece.end == piece.begin) return;
            TextPiece* last = pieces.empty() ? nullptr : &pieces.back();
            if (last && piece.text.empty() && last->text.empty() && last->end == piece.begin &&
                last->unread == piece.unread)
                last->end = piece.end;
            else if (last && !piece.text.empty() && !last->text.empty())
                last->text += piece.text;
            else
                pieces.push_back(std::move(piece));
        };
        for (Block& block : blocks_) {
            if (block.removed) continue;
            if (!block.edited) {
                // The lines before any header are read as the section "".
                const std::wstring& name = block.name ? *block.name : std::wstring();
                std::size_t read = block.end;
                if (std::find(written.begin(), written.end(), name) == written.end())
                    read = block.name ? std::min(LineAt(stored_, block.begin).end, block.end) : block.begin;
                add({block.begin, read, {}});
                add({read, block.end, {}, true});
                if (block.lineEndAdded) add({0, 0, std::wstring(kLineEnd)});
                continue;
            }
            for (TextPiece& piece : block.pieces) add(std::move(piece));
        }
        return pieces;
    }

private:
    const StoredText& stored_;
    std::vector<Block> blocks_;
};

}  // namespace

bool SameProfileName(std::wstring_view a, std::wstring_view b) noexcept {
    a = Trimmed(a);
    b = Trimmed(b);
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return x == y || UpperCase(x) == UpperCase(y);
           });
}

wchar_t UpperCase(wchar_t c) noexcept {
    // Names are ASCII nearly always: the runtime's call is left for the rest.
    if (c < 0x80) return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
}

std::wstring FoldedProfileName(std::wstring_view name) {
    std::wstring folded(Trimmed(name));
    for (wchar_t& c : folded) c = UpperCase(c);
    return folded;
}

std::size_t SectionEdits::Of(std::wstring_view section) {
    for (std::size_t i = 0; i < edits_.size(); ++i)
        if (SameProfileName(edits_[i].section, section)) return i;
    edits_.push_back(SectionEdit{std::wstring(section), false, {}});
    keys_.emplace_back();
    return edits_.size() - 1;
}

void SectionEdits::Write(std::wstring_view section, std::wstring_view key, std::wstring value) {
    const std::size_t at = Of(section);
    SectionEdit& edit = edits_[at];
    const auto [known, added] = keys_[at].emplace(FoldedProfileName(key), edit.writes.size());
    if (!added) {
        edit.writes[known->second].second = std::move(value);
        return;
    }
    edit.writes.emplace_back(std::wstring(key), std::move(value));
}

void SectionEdits::Erase(std::wstring_view section) {
    const std::size_t at = Of(section);
    edits_[at].erased = true;
    edits_[at].writes.clear();
    keys_[at].clear();
}

wchar_t StoredText::At(std::size_t i) const noexcept {
    if (!narrow_) return wide_[i];
    const auto byte = static_cast<unsigned char>(bytes_[i]);
    return byte < 0x80 ? static_cast<wchar_t>(byte) : kNotOwnCharacter;
}

std::size_t StoredText::LineEnd(std::size_t from) const noexcept {
    return narrow_ ? LineEndIn(bytes_, from) : LineEndIn(wide_, from);
}

std::size_t StoredText::NextBracketLine(std::size_t from) const noexcept {
    for (std::size_t at = from;; ++at) {
        at = narrow_ ? FindBracket(bytes_, at) : FindBracket(wide_, at);
        if (at == Size()) return at;
        std::size_t start = at;
        while (start > from && IsBlankInLine(At(start - 1))) --start;
        if (start == from || IsLineEnd(At(start - 1))) return start;
    }
}

std::wstring StoredText::Text(std::size_t begin, std::size_t end) const {
    if (!narrow_) return std::wstring(wide_.substr(begin, end - begin));
    const std::string_view bytes = bytes_.substr(begin, end - begin);
    if (std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return decode_(bytes);
    return std::wstring(bytes.begin(), bytes.end());
}

std::vector<TextPiece> EditStoredText(const StoredText& stored, const std::vector<SectionEdit>& edits) {
    Blocks blocks(stored);
    std::vector<std::wstring> written;
    for (const SectionEdit& edit : edits) {
        std::wstring folded = FoldedProfileName(edit.section);
        if (edit.erased) blocks.Erase(folded);
        if (edit.writes.empty()) continue;
        if (Block* block = edit.erased ? nullptr : blocks.Find(folded)) blocks.Merge(edit, *block);
        else blocks.Append(edit);
        written.push_back(std::move(folded));
    }
    return blocks.TakePieces(written);
}

std::wstring ApplySectionEdits(std::wstring_view text, const std::vector<SectionEdit>& edits) {
    return JoinPieces(text, EditStoredText(StoredText(text), edits));
}

std::wstring JoinPieces(std::wstring_view stored, const std::vector<TextPiece>& pieces) {
    std::size_t size = 0;
    for (const TextPiece& piece : pieces) size += piece.text.empty() ? piece.end - piece.begin : piece.text.size();
    std::wstring text;
    text.reserve(size);
    for (const TextPiece& piece : pieces) {
        if (piece.text.empty()) text.append(stored.substr(piece.begin, piece.end - piece.begin));
        else text += piece.text;
    }
    return text;
}

std::string JoinPieces(std::string_view stored, const std::vector<TextPiece>& pieces,
                       const std::function<std::string(std::wstring_view)>& encode) {
    std::vector<std::string> encoded;
    std::size_t size = 0;
    for (const TextPiece& piece : pieces) {
        if (!piece.text.empty()) size += encoded.emplace_back(encode(piece.text)).size();
        else size += piece.end - piece.begin;
    }
    std::string bytes;
    bytes.reserve(size);
    auto next = encoded.begin();
    for (const TextPiece& piece : pieces) {
        if (piece.text.empty()) bytes.append(stored.substr(piece.begin, piece.end - piece.begin));
        else bytes += *next++;
    }
    return bytes;
}

}  // namespace tdx
