// Points, sizes and rectangles in pixels, as the portable popup rules see them.
// The Win32 layer converts to and from POINT and RECT at its edge.
#pragma once

#include <cstdint>

namespace tdx {

struct PixelPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;

    bool operator==(const PixelPoint&) const = default;
};

struct PixelSize {
    std::int32_t Width = 0;
    std::int32_t Height = 0;

    bool operator==(const PixelSize&) const = default;
};

// Left and top inclusive; whether right and bottom are is up to the use (a screen
// rectangle excludes them, the corners handed to a drawing call include them).
struct PixelRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    std::int32_t Width() const noexcept { return Right - Left; }
    std::int32_t Height() const noexcept { return Bottom - Top; }
    bool operator==(const PixelRect&) const = default;
};

}  // namespace tdx
