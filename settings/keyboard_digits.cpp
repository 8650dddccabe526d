#include "settings/keyboard_digits.h"

namespace tdx {

namespace {

// Indexed by the digit.
constexpr wchar_t kUsRow[10] = {L')', L'!', L'@', L'#', L'$', L'%', L'^', L'&', L'*', L'('};
constexpr wchar_t kJapaneseRow[10] = {kJapaneseShiftedZero, L'!', L'"', L'#', L'$',
                                      L'%', L'&', L'\'', L'(', L')'};

const wchar_t* Row(bool usKeyboard) noexcept { return usKeyboard ? kUsRow : kJapaneseRow; }

}  // namespace

wchar_t ShiftedDigitChar(wchar_t c, bool usKeyboard) noexcept {
    if (c < L'0' || c > L'9') return 0;
    return Row(usKeyboard)[c - L'0'];
}

wchar_t DigitForShiftedChar(wchar_t c, bool usKeyboard) noexcept {
    if (c == 0) return 0;
    const wchar_t* row = Row(usKeyboard);
    for (int d = 0; d < 10; ++d) {
        if (row[d] == c) return static_cast<wchar_t>(L'0' + d);
    }
    return 0;
}

}  // namespace tdx
