// PopupMode: whether the popup is shown and what showed it.
#pragma once

#include <cstdint>

namespace tdx {

inline constexpr std::int32_t kPopupHidden = 0;
inline constexpr std::int32_t kPopupByHotkey = 1;
inline constexpr std::int32_t kPopupByGesture = 2;

}  // namespace tdx
