// Which shifted-digit row the keyboard in use types (keyboard_digits.h).
#pragma once

namespace tdx {

// Sets UsKeyboard from the keyboard type; called once at start-up.
void InitUsKeyboard() noexcept;

}  // namespace tdx
