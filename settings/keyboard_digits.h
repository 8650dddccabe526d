// The characters that Shift + a digit key types, on the two keyboard layouts
// the program tells apart. Direct keys store such a character (one byte of
// Status) for "Shift + digit".
#pragma once

namespace tdx {

// The Japanese layout's Shift + 0 is the code-page-932 byte 0xA6 (half-width
// katakana WO, U+FF66); every other character of both rows is ASCII.
inline constexpr wchar_t kJapaneseShiftedZero = 0xA6;

// Set once at start-up from the keyboard type (keyboard_digits_win.h);
// selects the row used by the one-argument functions below.
inline bool UsKeyboard = true;

// True unless the keyboard is Japanese (type 7) with a subtype other than 0 and 1.
constexpr bool UsKeyboardForType(int type, int subtype) noexcept {
    return !(type == 7 && subtype != 0 && subtype != 1);
}

// The character Shift + digit c gives, or 0 when c is not an ASCII digit.
wchar_t ShiftedDigitChar(wchar_t c, bool usKeyboard) noexcept;
// The digit ('0'..'9') whose shifted character c is, or 0.
wchar_t DigitForShiftedChar(wchar_t c, bool usKeyboard) noexcept;

inline wchar_t ShiftedDigitChar(wchar_t c) noexcept { return ShiftedDigitChar(c, UsKeyboard); }
inline wchar_t DigitForShiftedChar(wchar_t c) noexcept { return DigitForShiftedChar(c, UsKeyboard); }

}  // namespace tdx
