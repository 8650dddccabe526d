// The texts the user sees, looked up by id in the string tables of the
// program's resources (resources/strings.rc), in the language of the user.
// Portable: the Win32 layer installs the lookup (winbase/ui_text_win.h), tests
// may install their own, so that the portable code names its texts by id.
#pragma once

#include <string>
#include <string_view>

#include "winbase/text_ids.h"

namespace tdx {

// The values of the "Language" key of the Option section.
enum class UiLanguage : int { System = 0, Japanese = 1, English = 2 };

// The text of `id` in `language` (Japanese or English); empty when it has none.
using TextLookup = std::wstring (*)(UiLanguage language, int id);

// From now on Text() answers in `language` (Japanese or English) through `lookup`.
void UseTexts(TextLookup lookup, UiLanguage language) noexcept;
UiLanguage TextLanguage() noexcept;

// The text of `id` in the language in use. The pointer stays valid for the
// process's life, so that tables and windows may keep it. Empty when no lookup
// is installed or the table has no such text.
const wchar_t* Text(int id);

// The text of `id` with its "%1" replaced by `argument`.
std::wstring FormatText(int id, std::wstring_view argument);

}  // namespace tdx
