#include "settings/hotkey_text.h"

#include "winbase/decimal_text.h"

namespace tdx {

std::wstring HotKeyText(std::int32_t vkMod, std::int32_t vkKey) {
    std::wstring text;
    if (vkMod & 4) text += L"Shift + ";
    if (vkMod & 2) text += L"Ctrl + ";
    if (vkMod & 1) text += L"Alt + ";
    if ((vkKey >= 'A' && vkKey <= 'Z') || (vkKey >= '0' && vkKey <= '9')) text += static_cast<wchar_t>(vkKey);
    else if (vkKey >= 0x70 && vkKey <= 0x87) text += L"F" + DecimalText(vkKey - 0x70 + 1);
    else if (vkKey == 0x25) text += L"←";
    else if (vkKey == 0x26) text += L"↑";
    else if (vkKey == 0x27) text += L"→";
    else if (vkKey == 0x28) text += L"↓";
    else text += L"(" + DecimalText(vkKey) + L")";
    return text;
}

}  // namespace tdx
