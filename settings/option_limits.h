// Option values as their users may safely take them. The stored values stay as
// they were read (and are written back unchanged); code that divides by, sizes
// windows with or indexes arrays with an option asks here instead, so a
// hand-edited settings file cannot crash or distort the popup.
#pragma once

#include <algorithm>
#include <cstdint>

#include "settings/option_set.h"

namespace tdx {

// Icons per row. Below 1 the row arithmetic divides by zero. The registration
// dialog offers 3 to 15; a hand-edited file may hold anything. 64 columns of
// 40-pixel cells are 2,578 pixels wide with the window frame: the width of a
// 4K screen at twice the dialog's widest choice, and far from any overflow of
// the int arithmetic that sizes the windows (rows x columns x 40).
inline constexpr std::int32_t kMinColMax = 1;
inline constexpr std::int32_t kMaxColMax = 64;

inline std::int32_t EffectiveColMax(const OptionSet& options) noexcept {
    return std::clamp(options.ColMax, kMinColMax, kMaxColMax);
}

// The three trays, as option values name them.
inline constexpr std::int32_t kTrayCount = 3;

// A tray number from an option, as the popup indexes its trays with it: a value
// outside 0..2 becomes 0, the Program tray.
inline std::int32_t EffectiveTray(std::int32_t value) noexcept {
    return value >= 0 && value < kTrayCount ? value : 0;
}

// The tray that holds the cursor when the hotkey shows the popup.
inline std::int32_t EffectiveKeyCursorTray(const OptionSet& options) noexcept {
    return EffectiveTray(options.KeyCursorFlag);
}

// The tray that holds the cursor when a gesture shows the popup (-1 and 3 are
// placement choices, not trays: both start in the Program tray).
inline std::int32_t EffectiveMouseCursorTray(const OptionSet& options) noexcept {
    return EffectiveTray(options.MousePositionFlag);
}

}  // namespace tdx
