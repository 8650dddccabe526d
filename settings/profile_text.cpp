#include "settings/profile_text.h"

#include <algorithm>
#include <cwctype>
#include <optional>

namespace tdx {
namespace {

constexpr std::wstring_view kBlanks = L" \t";
constexpr std::wstring_view kLineEnd = L"\r\n";

std::wstring_view Trimmed(std::wstring_view text) noexcept {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::wstring_view::npos) return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// A line without its line end.
std::wstring_view Content(const std::wstring& line) noexcept {
    std::wstring_view view(line);
    while (!view.empty() && (view.back() == L'\n' || view.back() == L'\r')) view.remove_suffix(1);
    return view;
}

// The section a header line opens, or nothing for other lines.
std::optional<std::wstring_view> HeaderName(const std::wstring& line) noexcept {
    const std::wstring_view content = Trimmed(Content(line));
    if (content.empty() || content.front() != L'[') return std::nullopt;
    const auto close = content.find(L']');
    return Trimmed(content.substr(1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1));
}

std::optional<std::wstring_view> KeyName(const std::wstring& line) noexcept {
    const std::wstring_view content = Content(line);
    const auto equals = content.find(L'=');
    if (equals == std::wstring_view::npos) return std::nullopt;
    return Trimmed(content.substr(0, equals));
}

class Lines {
public:
    explicit Lines(std::wstring_view text) {
        for (std::size_t at = 0; at < text.size();) {
            auto end = text.find(L'\n', at);
            end = end == std::wstring_view::npos ? text.size() : end + 1;
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
        if (!lines_.empty() && lines_.back().back() != L'\n') lines_.back() += kLineEnd;
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
                const std::wstring_view content = Content(lines_[i]);
                lines_[i] = line + lines_[i].substr(content.size());
                replaced = true;
                break;
            }
            if (!replaced) added.push_back(std::move(line) + std::wstring(kLineEnd));
        }
        if (added.empty()) return;
        if (lines_[insertAt - 1].back() != L'\n') lines_[insertAt - 1] += kLineEnd;
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
