// One entry of any tray, and the encoding of its Status value.
#pragma once

#include <cstdint>
#include <string>

namespace tdx {

// Platform handles as the portable core sees them: opaque.
using WindowHandle = void*;
using IconHandle = void*;

namespace ItemStatus {
inline constexpr std::uint32_t BuiltIn = 0x01;
inline constexpr std::uint32_t InternalCommand = 0x02;
inline constexpr std::uint32_t NotInUse = 0x04;
inline constexpr std::uint32_t SpecialFolder = 0x08;
inline constexpr std::uint32_t DirectKeyMask = 0xFF00;
}  // namespace ItemStatus

struct LaunchItem {
    WindowHandle Window = nullptr;
    IconHandle Icon = nullptr;
    std::int32_t IconIndex = 0;
    std::uint32_t Status = 0;
    bool NetworkDrive = false;
    std::wstring Title;
    std::wstring ExeFileName;
    std::wstring IconFileName;
    std::wstring ArgumentName;
    std::wstring DirectoryName;

    bool Has(std::uint32_t flag) const noexcept { return (Status & flag) != 0; }
    std::uint8_t DirectKey() const noexcept { return static_cast<std::uint8_t>((Status >> 8) & 0xFF); }
    void SetDirectKey(std::uint8_t code) noexcept {
        Status = (Status & ~ItemStatus::DirectKeyMask) | (static_cast<std::uint32_t>(code) << 8);
    }
};

}  // namespace tdx
