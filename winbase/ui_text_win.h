// The Win32 side of the program's texts: the language chosen for this run and
// the string tables of the running module.
#pragma once

#include <windows.h>

#include <string>

#include "winbase/ui_text.h"

namespace tdx {

// A text named by id where a table of controls wants a string: resolved when
// the control is made (ResolveText), so that tables may be built before the
// language is known. The same encoding as MAKEINTRESOURCE.
inline const wchar_t* TextRef(int id) noexcept { return MAKEINTRESOURCEW(id); }

// The string itself, or the text a TextRef names.
const wchar_t* ResolveText(const wchar_t* text);

// Japanese when the user's Windows speaks Japanese, English otherwise.
UiLanguage SystemUiLanguage() noexcept;

// What the "Language" option value means on this system (0 or out of range:
// the system's language).
UiLanguage ChosenUiLanguage(int optionValue) noexcept;

// The text of `id` in the table of `language` in the running module; the
// Japanese table's when that language has none.
std::wstring ResourceText(UiLanguage language, int id);

// Makes Text() answer from this module's tables in the chosen language.
void UseUiLanguage(int optionValue) noexcept;

}  // namespace tdx
