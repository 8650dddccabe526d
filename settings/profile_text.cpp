#include "settings/profile_text.h"

#include <algorithm>
#include <cwctype>
#include <optional>

namespace tdx {
namespace {

constexpr std::wstring_view kLineEnd = L"\r\n";

// What the profile functions take for blanks around names, values and lines:
// the C white space, and ^Z (a DOS end of file, found in files from old media).
bool IsProfileBlank(wchar_t c) noexcept { return (c >= L'\t' && c <= L'\r') || c == L'\x1A' || c == L' '; }

std::wstring_view Trimmed(std::wstring_view text) noexcept {
    while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A line without its line end.
std::wstring_view Content(const std::wstring& line) noexcept {
    std::wstring_view view(line);
    while (!view.empty() && (view.back() == L'\n' || view.back() == L'\r')) view.remove_suffix(1);
    return view;
}

// The section a header line opens, or nothing for other lines. A header
// needs its closing bracket; the name is what stands before the last one
// ("[a]b]" opens "a]b"). "[Program" alone is a key line of the section before.
std::optional<std::wstring_view> HeaderName(const std::wstring& line) noexcept {
    const std::wstring_view content = Trimmed(Content(line));
    if (content.empty() || content.front() != L'[') return std::nullopt;
    const auto close = content.rfind(L']');
    if (close == std::wstring_view::npos || close == 0) return std::nullopt;
    return Trimmed(content.substr(1, close - 1));
}

// The key a line that is not a header names: what stands before its first
// '=', or the whole line when it has none. The profile functions find such a
// bare line by its name (and read it as missing), so a write takes its place.
std::optional<std::wstring_view> KeyName(const std::wstring& line) noexcept {
    const std::wstring_view content = Trimmed(Content(line));
    if (content.empty()) return std::nullopt;
    return Trimmed(content.substr(0, content.find(L'=')));
}

bool HasLineEnd(const std::wstring& line) noexcept {
    return !line.empty() && (line.back() == L'\n' || line.back() == L'\r');
}

class Lines {
public:
    // A line ends at CR, LF or CR LF: files from old editors and other
    // systems end lines with a bare CR, and one stray CR still starts a line.
    explicit Lines(std::wstring_view text) {
        for (std::size_t at = 0; at < text.size();) {
            auto end = text.find_first_of(L"\r\n", at);
            if (end == std::wstring_view::npos) end = text.size();
            else if (text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') end += 2;
            else ++end;
            lines_.emplace_back(text.substr(at, end - at));
            at = end;
        }
    }

    // [header, end) of the first copy of the section at or after from.
    std::optional<std::pair<std::size_t, std::size_t>> Find(std::wstring_view section, std::size_t from = 0) const {
        for (std::size_t i = from; i < lines_.size(); ++i) {
            const auto name = HeaderName(lines_[i]);
            if (!name || !SameProfileName(*name, section)) continue;
            std::size_t end = i + 1;
            while (end < lines_.size() && !HeaderName(lines_[end])) ++end;
            return std::make_pair(i, end);
        }
        return std::nullopt;
    }

    void Erase(std::wstring_view section) {
        std::size_t from = 0;
        while (const auto range = Find(section, from)) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range->first),
                         lines_.begin() + static_cast<std::ptrdiff_t>(range->second));
            from = range->first;
        }
    }

    void Append(const SectionEdit& edit) {
        if (!lines_.empty() && !HasLineEnd(lines_.back())) lines_.back() += kLineEnd;
        lines_.push_back(L"[" + edit.section + L"]" + std::wstring(kLineEnd));
        for (const auto& [key, value] : edit.writes) lines_.push_back(key + L"=" + value + std::wstring(kLineEnd));
    }

    void Merge(const SectionEdit& edit, std::pair<std::size_t, std::size_t> range) {
        // New keys go after the section's last line that is not blank.
        std::size_t insertAt = range.second;
        while (insertAt > range.first + 1 && Trimmed(Content(lines_[insertAt - 1])).empty()) --insertAt;
        std::vector<std::wstring> added;
        for (const auto& [key, value] : edit.writes) {
            std::wstring line = key + L"=" + value;
            bool replaced = false;
            for (std::size_t i = range.first + 1; i < range.second; ++i) {
                const auto name = KeyName(lines_[i]);
                if (!name || !SameProfileName(*name, key)) continue;
                lines_[i] = line + lines_[i].substr(Content(lines_[i]).size());
                replaced = true;
                break;
            }
            if (!replaced) added.push_back(std::move(line) + std::wstring(kLineEnd));
        }
        if (added.empty()) return;
        if (!HasLineEnd(lines_[insertAt - 1])) lines_[insertAt - 1] += kLineEnd;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), added.begin(), added.end());
    }

    std::wstring Text() const {
        std::size_t size = 0;
        for (const std::wstring& line : lines_) size += line.size();
        std::wstring text;
        text.reserve(size);
        for (const std::wstring& line : lines_) text += line;
        return text;
    }

private:
    std::vector<std::wstring> lines_;
};

}  // namespace

bool SameProfileName(std::wstring_view a, std::wstring_view b) noexcept {
    a = Trimmed(a);
    b = Trimmed(b);
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return x == y || std::towupper(static_cast<wint_t>(x)) == std::towupper(static_cast<wint_t>(y));
           });
}

SectionEdit& SectionEdits::Of(std::wstring_view section) {
    for (SectionEdit& edit : edits_)
        if (SameProfileName(edit.section, section)) return edit;
    return edits_.emplace_back(SectionEdit{std::wstring(section), false, {}});
}

void SectionEdits::Write(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    SectionEdit& edit = Of(section);
    for (auto& [known, stored] : edit.writes) {
        if (SameProfileName(known, key)) {
            stored = value;
            return;
        }
    }
    edit.writes.emplace_back(std::wstring(key), std::wstring(value));
}

void SectionEdits::Erase(std::wstring_view section) {
    SectionEdit& edit = Of(section);
    edit.erased = true;
    edit.writes.clear();
}

std::wstring ApplySectionEdits(std::wstring_view text, const std::vector<SectionEdit>& edits) {
    Lines lines(text);
    for (const SectionEdit& edit : edits) {
        if (edit.erased) lines.Erase(edit.section);
        if (edit.writes.empty()) continue;
        if (const auto range = edit.erased ? std::nullopt : lines.Find(edit.section)) lines.Merge(edit, *range);
        else lines.Append(edit);
    }
    return lines.Text();
}

}  // namespace tdx
