// The direct-key rules of the item editor: what the key box shows for a stored
// code, what a typed character or function key becomes, what Shift does to the
// text, and the code OK stores. Character codes are code-page-932 bytes; the
// half-width katakana among them are shown as their Unicode characters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tdx {

// The text shown for a stored code: "F1".."F12", "f1".."f12", a letter, a digit
// or a shifted digit symbol; empty for no key and for codes outside the encoding.
std::wstring DirectEditText(std::uint8_t code, bool usKeyboard);

// Whether the Shift box starts checked for a stored code.
bool DirectKeyShifted(std::uint8_t code, bool usKeyboard);

// A character typed into the key box: the text it leaves there, or nothing when
// it is refused (the box then stays empty).
std::optional<std::wstring> TypedDirectKey(wchar_t typed, bool shift, bool keyNumberFlag,
                                           bool usKeyboard);

// F1..F12 pressed: "F5", or "f5" with Shift checked.
std::wstring FunctionKeyText(int number, bool shift);

// The key box's text after the Shift box was switched to `checked`.
std::wstring ShiftToggledText(std::wstring_view text, bool checked, bool usKeyboard);

// The code OK stores for the key box's text: 0 for an empty box; nothing when
// the text is not one key (pasted text, say).
std::optional<std::uint8_t> DirectKeyCodeOf(std::wstring_view text, bool usKeyboard);

// Whether the text may stand in the key box as it is: nothing, or one key
// exactly as typing or a function key would show it with the Shift box as it
// is ("a" only with Shift, a digit only with KeyNumberFlag). Pasted text that
// is not is refused, so OK stores only what the box shows.
bool IsDirectKeyText(std::wstring_view text, bool shift, bool keyNumberFlag, bool usKeyboard);

}  // namespace tdx
