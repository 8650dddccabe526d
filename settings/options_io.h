// The Option section of a settings file as an OptionSet.
#pragma once

#include "settings/option_set.h"
#include "settings/settings_store.h"

namespace tdx {

inline constexpr wchar_t kOptionSection[] = L"Option";

// Reads the 17 option keys; a missing or unreadable key keeps its default. Values
// are taken as stored, whatever their range: users go through option_limits.h.
void ReadOptions(const SettingsReader& store, OptionSet& options);

// Queues the 17 option keys in the order ReadOptions reads them, integers and
// colours in signed decimal, booleans as "1"/"0". The caller commits, so that
// options and lists written together land together.
void WriteOptions(SettingsWriter& store, const OptionSet& options);

// The "Language" key (0 or missing: the system's language, 1 Japanese, 2
// English). Not one of the 17: it is the whole program's, kept in tiledex.ini
// alone, and written only when the user changes it.
inline constexpr wchar_t kLanguageKey[] = L"Language";
std::int32_t ReadLanguage(const SettingsReader& file1);
void WriteLanguage(SettingsWriter& file1, std::int32_t language);

}  // namespace tdx
