// The popup's key combination as the user reads it: "Shift + Ctrl + Alt + F5".
#pragma once

#include <cstdint>
#include <string>

namespace tdx {

// VkMod bits: 1 Alt, 2 Ctrl, 4 Shift; VkKey a virtual-key code.
std::wstring HotKeyText(std::int32_t vkMod, std::int32_t vkKey);

}  // namespace tdx
