// How values are spelled in the settings files: integers in signed decimal
// (read also as "$1F" or "0x1F"), booleans as "1"/"0", strings as they are.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_store.h"

namespace tdx {

// Longest string value that a read returns (the read buffer holds one more).
inline constexpr std::size_t kMaxStringValue = 1023;

// Parses an integer the way the settings files have always been read; nothing on
// any other text. Hex values wrap into 32 bits ("$FFFFFFFF" is -1).
std::optional<std::int32_t> ParseInteger(std::wstring_view text);
std::wstring FormatInteger(std::int32_t value);

// A key of a numbered family: "Title" and 3 give "Title3".
std::wstring NumberedKey(std::wstring_view name, int n);

std::int32_t ReadInteger(const SettingsReader& store, std::wstring_view section,
                         std::wstring_view key, std::int32_t defaultValue);
bool ReadBoolean(const SettingsReader& store, std::wstring_view section,
                 std::wstring_view key, bool defaultValue);
std::wstring ReadText(const SettingsReader& store, std::wstring_view section,
                      std::wstring_view key, std::wstring_view defaultValue = {});

void WriteInteger(SettingsWriter& store, std::wstring_view section, std::wstring_view key,
                  std::int32_t value);
void WriteBoolean(SettingsWriter& store, std::wstring_view section, std::wstring_view key,
                  bool value);
void WriteText(SettingsWriter& store, std::wstring_view section, std::wstring_view key,
               std::wstring_view value);

}  // namespace tdx
