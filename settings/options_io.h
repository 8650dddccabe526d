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

}  // namespace tdx
