#include "settings/profile_sections.h"

#include <cwctype>
#include <unordered_set>

namespace tdx {
namespace {

bool IsProfileBlank(wchar_t c) noexcept { return (c >= L'\t' && c <= L'\r') || c == L'\x1A' || c == L' '; }

std::wstring_view TrimmedFront(std::wstring_view text) noexcept {
    while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::wstring_view TrimmedBack(std::wstring_view text) noexcept {
    while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The header line's section name, without the blanks around it, or nothing
// for other lines.
std::optional<std::wstring_view> HeaderName(std::wstring_view line) noexcept {
    line = TrimmedBack(TrimmedFront(line));
    if (line.empty() || line.front() != L'[') return std::nullopt;
    const auto close = line.rfind(L']');
    if (close == std::wstring_view::npos || close == 0) return std::nullopt;
    return TrimmedBack(TrimmedFront(line.substr(1, close - 1)));
}

// The keys of a section's lines (the header line not among them).
std::vector<StoredKey> ReadKeys(std::wstring_view text) {
    std::vector<StoredKey> keys;
    // A line without a name ("=x") is dropped right after another one: the
    // profile functions hold the two as one.
    bool anyBefore = false, nameless = false;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find_first_of(L"\r\n", at);
        if (end == std::wstring_view::npos) end = text.size();
        const std::wstring_view line = TrimmedBack(TrimmedFront(text.substr(at, end - at)));
        at = end + 1;
        if (line.empty()) continue;
        StoredKey key;
        if (const auto equals = line.find(L'='); equals != std::wstring_view::npos) {
            key.name = TrimmedBack(line.substr(0, equals));
            key.value = TrimmedFront(line.substr(equals + 1));
        } else {
            key.name = line;
        }
        if (key.name.empty() && anyBefore && nameless) continue;
        anyBefore = true;
        nameless = key.name.empty();
        // A read of the whole section passes over comments.
        if (!key.name.empty() && key.name.front() == L';') continue;
        keys.push_back(key);
    }
    return keys;
}

}  // namespace

std::wstring CaseFolded(std::wstring_view name) {
    std::wstring folded(name);
    for (wchar_t& c : folded) c = UpperCase(c);
    return folded;
}

std::vector<StoredSection> ReadStoredSections(const StoredText& stored,
                                              const std::function<bool(std::wstring_view)>& wanted) {
    std::vector<StoredSection> sections;
    std::unordered_set<std::wstring> named;
    // The section that [begin, end) of the text belongs to, once its end is known.
    auto close = [&](std::optional<std::wstring> name, std::size_t begin, std::size_t end) {
        if (!name) return;
        if (!named.insert(CaseFolded(*name)).second) return;  // a later copy
        StoredSection& section = sections.emplace_back();
        section.name = std::move(*name);
        section.read = wanted(section.name);
        if (section.read) {
            section.text = std::make_unique<const std::wstring>(stored.Text(begin, end));
            section.keys = ReadKeys(*section.text);
        }
    };
    std::optional<std::wstring> name = std::wstring();  // the lines before any header
    std::size_t body = 0;
    for (std::size_t at = 0; (at = stored.NextBracketLine(at)) < stored.Size();) {
        const std::size_t end = stored.LineEnd(at);
        const std::wstring line = stored.Text(at, end);
        if (const auto header = HeaderName(line)) {
            close(std::move(name), body, at);
            name = std::wstring(*header);
            body = end;
        }
        at = end;
    }
    close(std::move(name), body, stored.Size());
    return sections;
}

}  // namespace tdx
