#include "dialogs/setting_model.h"

#include "settings/keyboard_digits.h"
#include "winbase/decimal_text.h"

namespace tdx {
namespace {

constexpr std::uint8_t kFirstFunctionKey = 0xC0;
constexpr std::uint8_t kFirstShiftedFunctionKey = 0xE0;
constexpr int kFunctionKeyCount = 12;

// Code-page-932 byte and the character shown for it.
wchar_t CharacterOfCode(std::uint8_t code) {
    if (code >= 0xA1 && code <= 0xDF) return static_cast<wchar_t>(0xFF61 + (code - 0xA1));
    return static_cast<wchar_t>(code);
}

std::optional<std::uint8_t> CodeOfCharacter(wchar_t c) {
    if (c >= 0xFF61 && c <= 0xFF9F) return static_cast<std::uint8_t>(0xA1 + (c - 0xFF61));
    if (c > 0 && c < 0x80) return static_cast<std::uint8_t>(c);
    return std::nullopt;
}

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

wchar_t DigitForShiftedCode(std::uint8_t code, bool usKeyboard) {
    return code == 0 ? 0 : DigitForShiftedChar(static_cast<wchar_t>(code), usKeyboard);
}

wchar_t ShiftedDigitShown(wchar_t digit, bool usKeyboard) {
    const wchar_t code = ShiftedDigitChar(digit, usKeyboard);
    return code == 0 ? 0 : CharacterOfCode(static_cast<std::uint8_t>(code));
}

wchar_t DigitForShown(wchar_t shown, bool usKeyboard) {
    const std::optional<std::uint8_t> code = CodeOfCharacter(shown);
    return code ? DigitForShiftedCode(*code, usKeyboard) : 0;
}

bool IsFunctionCode(std::uint8_t code, std::uint8_t first) {
    return code >= first && code < first + kFunctionKeyCount;
}

std::wstring Lower(std::wstring_view t) {
    std::wstring s(t);
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return s;
}

std::wstring Upper(std::wstring_view t) {
    std::wstring s(t);
    for (wchar_t& c : s)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return s;
}

}  // namespace

std::wstring DirectEditText(std::uint8_t code, bool usKeyboard) {
    if (IsFunctionCode(code, kFirstFunctionKey))
        return L"F" + DecimalText(code - kFirstFunctionKey + 1);
    if (IsFunctionCode(code, kFirstShiftedFunctionKey))
        return L"f" + DecimalText(code - kFirstShiftedFunctionKey + 1);
    const wchar_t c = static_cast<wchar_t>(code);
    if (code < 0x80 && (IsAsciiLetter(c) || IsAsciiDigit(c))) return std::wstring(1, c);
    if (DigitForShiftedCode(code, usKeyboard) != 0) return std::wstring(1, CharacterOfCode(code));
    return {};
}

bool DirectKeyShifted(std::uint8_t code, bool usKeyboard) {
    return (code >= 'a' && code <= 'z') || DigitForShiftedCode(code, usKeyboard) != 0 ||
           IsFunctionCode(code, kFirstShiftedFunctionKey);
}

std::optional<std::wstring> TypedDirectKey(wchar_t typed, bool shift, bool keyNumberFlag,
                                           bool usKeyboard) {
    if (IsAsciiLetter(typed)) {
        return shift ? Lower(std::wstring(1, typed)) : Upper(std::wstring(1, typed));
    }
    if (IsAsciiDigit(typed) && keyNumberFlag) {
        if (!shift) return std::wstring(1, typed);
        const wchar_t shifted = ShiftedDigitShown(typed, usKeyboard);
        if (shifted != 0) return std::wstring(1, shifted);
    }
    return std::nullopt;
}

std::wstring FunctionKeyText(int number, bool shift) {
    return (shift ? L"f" : L"F") + DecimalText(number);
}

std::wstring ShiftToggledText(std::wstring_view text, bool checked, bool usKeyboard) {
    if (text.empty()) return {};
    if (checked) {
        if (IsAsciiDigit(text[0])) {
            const wchar_t shifted = ShiftedDigitShown(text[0], usKeyboard);
            return shifted ? std::wstring(1, shifted) : std::wstring(text);
        }
        return Lower(text);
    }
    const wchar_t digit = DigitForShown(text[0], usKeyboard);
    if (digit != 0) return std::wstring(1, digit);
    return Upper(text);
}

std::optional<std::uint8_t> DirectKeyCodeOf(std::wstring_view text, bool usKeyboard) {
    if (text.empty()) return std::uint8_t{0};
    if (text.size() == 1) {
        const wchar_t c = text[0];
        if (IsAsciiLetter(c) || IsAsciiDigit(c)) return static_cast<std::uint8_t>(c);
        const std::optional<std::uint8_t> code = CodeOfCharacter(c);
        if (code && DigitForShiftedCode(*code, usKeyboard) != 0) return code;
        return std::nullopt;
    }
    if (text.size() <= 3 && (text[0] == L'F' || text[0] == L'f')) {
        int number = 0;
        for (wchar_t c : text.substr(1)) {
            if (!IsAsciiDigit(c)) return std::nullopt;
            number = number * 10 + (c - L'0');
        }
        if (number < 1 || number > kFunctionKeyCount || text[1] == L'0') return std::nullopt;
        const std::uint8_t first = text[0] == L'f' ? kFirstShiftedFunctionKey : kFirstFunctionKey;
        return static_cast<std::uint8_t>(first + number - 1);
    }
    return std::nullopt;
}

bool IsDirectKeyText(std::wstring_view text, bool shift, bool keyNumberFlag, bool usKeyboard) {
    if (text.empty()) return true;
    const std::optional<std::uint8_t> code = DirectKeyCodeOf(text, usKeyboard);
    if (!code || DirectEditText(*code, usKeyboard) != text) return false;
    if (DirectKeyShifted(*code, usKeyboard) != shift) return false;
    const bool number = IsAsciiDigit(static_cast<wchar_t>(*code)) || DigitForShiftedCode(*code, usKeyboard) != 0;
    return keyNumberFlag || !number;
}

}  // namespace tdx
