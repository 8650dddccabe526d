// Recognition of the mouse gestures and of window activations, on the fields
// of the shared block. Pure rules: the hook library wraps them in the platform
// calls, the tests drive them directly. Nothing here allocates, throws or needs
// a runtime, because the library is loaded into every GUI process.
#pragma once

#include <cstdint>

#include "hook/hook_share.h"

namespace tdx::hook {

namespace msg {
inline constexpr std::uint32_t kActivate = 0x0006;
inline constexpr std::uint32_t kSetCursor = 0x0020;
inline constexpr std::uint32_t kLButtonDown = 0x0201;
inline constexpr std::uint32_t kLButtonUp = 0x0202;
inline constexpr std::uint32_t kLButtonDblClk = 0x0203;
inline constexpr std::uint32_t kRButtonDown = 0x0204;
inline constexpr std::uint32_t kRButtonUp = 0x0205;
inline constexpr std::uint32_t kRButtonDblClk = 0x0206;
inline constexpr std::uint32_t kMButtonDown = 0x0207;
inline constexpr std::uint32_t kMButtonUp = 0x0208;
inline constexpr std::uint32_t kMButtonDblClk = 0x0209;
inline constexpr std::uint32_t kNcLButtonDown = 0x00A1;
inline constexpr std::uint32_t kNcLButtonDblClk = 0x00A3;
}  // namespace msg

inline constexpr std::uintptr_t kMkLButton = 0x0001;
inline constexpr std::uintptr_t kMkRButton = 0x0002;
inline constexpr std::uint32_t kHitClient = 1;

inline constexpr std::int32_t kModeNone = 0;
inline constexpr std::int32_t kModeLeftThenRight = 1;
inline constexpr std::int32_t kModeRightThenLeft = 2;
inline constexpr std::int32_t kModeMiddle = 3;

// What the hook procedure has to do on the platform after the rules ran, in
// this order: release the right button, post, then discard the message.
struct HookActions {
    bool releaseRightButton = false;  // mouse_event(MOUSEEVENTF_RIGHTUP)
    bool postGesture = false;         // post wParam 0, lParam 0
    bool reportActivation = false;    // read the window's class, post 1 or 2
    bool discard = false;             // turn the message into WM_NULL
    std::uint32_t replaceWith = 0;    // nonzero: turn the message into this one
};

// GHookProc: a message taken from a thread's queue (removed), or only looked
// at there (not removed: the same message comes again when it is taken, so the
// gesture state is left alone and only what the window will get is shown).
// marked: the message comes from the main program's own synthetic input.
HookActions OnRetrievedMessage(SharedBlock& block, std::uint32_t message, std::uintptr_t wParam,
                               bool removed = true, bool marked = false) noexcept;

// SHookProc: a message sent to the window procedure of `window`.
HookActions OnSentMessage(SharedBlock& block, std::uint32_t message, std::uintptr_t wParam,
                          std::uintptr_t lParam, std::uintptr_t window = 0) noexcept;

// The notification for an activated window whose class name was read into a
// buffer of five bytes (at most four characters, zero-filled beforehand):
// only exactly "tty" is a console window.
std::uintptr_t ActivationNotice(const char* className) noexcept;

}  // namespace tdx::hook
