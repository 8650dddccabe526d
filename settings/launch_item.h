// One entry of any tray, and the encoding of its Status value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tdx {

// Platform handles as the portable core sees them: opaque.
using WindowHandle = void*;
using IconHandle = void*;

// The trays, numbered as they stand in the popup. The Program and System lists
// are stored in the settings files; the Task list is the open windows.
inline constexpr std::int32_t kProgramTray = 0;
inline constexpr std::int32_t kTaskTray = 1;
inline constexpr std::int32_t kSystemTray = 2;

namespace ItemStatus {
inline constexpr std::uint32_t BuiltIn = 0x01;
inline constexpr std::uint32_t InternalCommand = 0x02;
inline constexpr std::uint32_t NotInUse = 0x04;
inline constexpr std::uint32_t SpecialFolder = 0x08;
inline constexpr std::uint32_t DirectKeyMask = 0xFF00;
}  // namespace ItemStatus

struct LaunchItem {
    // Defined out of line: every list algorithm over entries (sorting, moving,
    // rotating, copying a list) otherwise carried its own inlined copy of five
    // string moves per step, many kilobytes each in the program's file.
    LaunchItem() noexcept = default;
    LaunchItem(const LaunchItem& other);
    LaunchItem(LaunchItem&& other) noexcept;
    LaunchItem& operator=(const LaunchItem& other);
    LaunchItem& operator=(LaunchItem&& other) noexcept;
    ~LaunchItem();

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

// A path as the shell's "copy as path" gives it, in one pair of double quotes,
// names the same file without them: one surrounding pair is removed.
inline std::wstring WithoutSurroundingQuotes(std::wstring_view path) {
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    return std::wstring(path);
}

}  // namespace tdx
