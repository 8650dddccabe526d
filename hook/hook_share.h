// The block that the hook library shares between the main program and every
// process its hooks run in. Its name, size and layout are fixed: an older or
// newer library in another process must read the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tdx::hook {

inline constexpr char kHookShareName[] = "TdxKeyHookShareMem";
inline constexpr std::uint32_t kHookShareSize = 32;

// All fields are single aligned 32-bit values, read and written whole and
// without locks; handles are kept as their 32-bit values (user handles are
// 32-bit significant on 64-bit Windows as well).
struct HookShare {
    std::uint32_t getMsgHook;     // handle of the WH_GETMESSAGE hook
    std::uint32_t callWndHook;    // handle of the WH_CALLWNDPROC hook
    std::uint32_t targetWindow;   // window that receives the notifications
    std::uint32_t notifyMessage;  // message number of the notifications
    std::int32_t mouseMode;       // 0 none, 1 left+right, 2 right+left, 3 middle
    std::uint32_t dosKeyEnabled;  // 0: report activations
    std::uint32_t buttonHeld;     // first button of a non-client gesture is down
    std::uint32_t swallowUp;      // next button-up of a completed gesture is eaten
};

static_assert(sizeof(HookShare) == kHookShareSize);
static_assert(offsetof(HookShare, getMsgHook) == 0);
static_assert(offsetof(HookShare, callWndHook) == 4);
static_assert(offsetof(HookShare, targetWindow) == 8);
static_assert(offsetof(HookShare, notifyMessage) == 12);
static_assert(offsetof(HookShare, mouseMode) == 16);
static_assert(offsetof(HookShare, dosKeyEnabled) == 20);
static_assert(offsetof(HookShare, buttonHeld) == 24);
static_assert(offsetof(HookShare, swallowUp) == 28);

// The other processes see the block change under them: every access goes to memory.
using SharedBlock = volatile HookShare;

// Handles travel through the block as 32-bit values; widening sign-extends,
// as the system does for handles passed between 32- and 64-bit code.
inline constexpr std::uint32_t HandleToField(std::uintptr_t handle) noexcept {
    return static_cast<std::uint32_t>(handle);
}
inline constexpr std::uintptr_t FieldToHandle(std::uint32_t field) noexcept {
    return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<std::int32_t>(field)));
}

// wParam values of the notifications.
inline constexpr std::uintptr_t kNotifyGesture = 0;
inline constexpr std::uintptr_t kNotifyConsoleActive = 1;
inline constexpr std::uintptr_t kNotifyOtherActive = 2;

// The extra-info value (mouse_event/SendInput) that marks the main program's
// own synthetic mouse input, so that the hooks can tell it from the user's.
inline constexpr std::uintptr_t kSyntheticInputMark = 0x54445821;

}  // namespace tdx::hook
