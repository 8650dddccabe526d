#include "settings/ini_values.h"

#include "winbase/decimal_text.h"

#include <cwctype>

namespace tdx {
namespace {

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

std::optional<std::int32_t> ParseHex(std::wstring_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (wchar_t c : digits) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<std::int32_t> ParseInteger(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    if (text.front() == L'$') return ParseHex(text.substr(1));
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X'))
        return ParseHex(text.substr(2));

    bool negative = false;
    if (text.front() == L'+' || text.front() == L'-') {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + (c - L'0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::wstring FormatInteger(std::int32_t value) { return DecimalText(value); }

std::wstring NumberedKey(std::wstring_view name, int n) {
    std::wstring key(name);
    key += DecimalText(n);
    return key;
}

std::int32_t ReadInteger(const SettingsReader& store, std::wstring_view section,
                         std::wstring_view key, std::int32_t defaultValue) {
    const auto text = store.ReadString(section, key);
    if (!text) return defaultValue;
    return ParseInteger(*text).value_or(defaultValue);
}

bool ReadBoolean(const SettingsReader& store, std::wstring_view section, std::wstring_view key,
                 bool defaultValue) {
    return ReadInteger(store, section, key, defaultValue ? 1 : 0) != 0;
}

std::wstring ReadText(const SettingsReader& store, std::wstring_view section,
                      std::wstring_view key, std::wstring_view defaultValue) {
    auto text = store.ReadString(section, key);
    if (!text) return std::wstring(defaultValue);
    if (text->size() > kMaxStringValue) text->resize(kMaxStringValue);
    return *text;
}

void WriteInteger(SettingsWriter& store, std::wstring_view section, std::wstring_view key,
                  std::int32_t value) {
    store.WriteString(section, key, FormatInteger(value));
}

void WriteBoolean(SettingsWriter& store, std::wstring_view section, std::wstring_view key,
                  bool value) {
    store.WriteString(section, key, value ? L"1" : L"0");
}

void WriteText(SettingsWriter& store, std::wstring_view section, std::wstring_view key,
               std::wstring_view value) {
    store.WriteString(section, key, value);
}

}  // namespace tdx
