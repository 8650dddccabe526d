#include "settings/keyboard_digits_win.h"

#include <windows.h>

#include "settings/keyboard_digits.h"

namespace tdx {

void InitUsKeyboard() noexcept { UsKeyboard = UsKeyboardForType(::GetKeyboardType(0), ::GetKeyboardType(1)); }

}  // namespace tdx
