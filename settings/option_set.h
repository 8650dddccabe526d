// The option values of one environment, named after their keys in the Option
// section of its settings file.
#pragma once

#include <cstdint>

namespace tdx {

// Colours: top bit clear = RGB 0x00BBGGRR; top bit set = system colour (low byte).
using ColorValue = std::uint32_t;
inline constexpr ColorValue kSystemColorFlag = 0x80000000u;

struct OptionSet {
    std::int32_t VkKey = 74;  // J
    std::int32_t VkMod = 3;   // Alt + Ctrl
    std::int32_t MouseFlag = 1;
    bool KeyPositionFlag = false;
    bool KeyOnlyFlag = false;
    std::int32_t MousePositionFlag = 0;
    std::int32_t KeyCursorFlag = 0;
    std::int32_t RightClickFlag = 0;
    bool MoveCursorFlag = true;
    bool DirectMoveOnlyFlag = false;
    std::int32_t DosFlag = 1;
    bool KeyNumberFlag = false;
    std::int32_t ColMax = 7;
    std::int32_t RowMax = 3;
    std::int32_t FrameFlag = 1;
    ColorValue TextColor = 0x80000009u;
    ColorValue BackColor = 0x80000002u;
    // The language of the program's texts, one for every environment: it lives
    // in tiledex.ini only ("Language" of the Option section, options_io.h) and
    // is read once at start.
    std::int32_t Language = 0;

    bool operator==(const OptionSet&) const = default;
};

}  // namespace tdx
