// Whole numbers as the user and the settings files see them: decimal digits,
// a minus sign when negative, nothing else.
#pragma once

#include <string>

namespace tdx {

// The same text as std::to_wstring, without going through the C library's
// wide formatted output: with the runtime linked statically, that alone
// brought about 20 KB of floating-point formatting into the program's file.
inline std::wstring DecimalText(long long value) {
    wchar_t digits[24];
    wchar_t* first = digits + 24;
    // Negated digit by digit, so that the smallest value needs no larger type.
    const bool negative = value < 0;
    do {
        const int digit = static_cast<int>(value % 10);
        *--first = static_cast<wchar_t>(L'0' + (negative ? -digit : digit));
        value /= 10;
    } while (value != 0);
    if (negative) *--first = L'-';
    return std::wstring(first, digits + 24);
}

}  // namespace tdx
