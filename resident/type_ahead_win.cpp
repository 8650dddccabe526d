#include "resident/type_ahead_win.h"

#include <algorithm>

namespace tdx {
namespace {

// The mark on the keys given back, so that the hook lets them through.
constexpr ULONG_PTR kReplayMark = 0x54445841;  // "TDXA"
// A hotkey that somehow shows no popup must not keep the keyboard: after this
// long the held keys go on to whoever has the keyboard.
constexpr UINT kHoldLimitMs = 2000;

TypeAhead* installed = nullptr;  // the hook procedure has no context of its own

}  // namespace

bool TypeAhead::Install(std::function<bool(DWORD vk)> startsPopup) noexcept {
    Remove();
    startsPopup_ = std::move(startsPopup);
    hook_ = ::SetWindowsHookExW(WH_KEYBOARD_LL, Hook, ::GetModuleHandleW(nullptr), 0);
    if (hook_) installed = this;
    return hook_ != nullptr;
}

void TypeAhead::Remove() noexcept {
    // Whatever is held goes now: nothing would ever give it back later.
    replaying_ = 0;
    StopLaterSend();
    Release();
    if (hook_) ::UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    if (installed == this) installed = nullptr;
}

void TypeAhead::Hold() noexcept {
    if (holding_ || !hook_) return;
    holding_ = true;
    ArmLimit();
}

void TypeAhead::Release() noexcept {
    holding_ = false;
    heldDown_.clear();
    // The held keys follow the ones still on their way.
    if (replaying_ != 0 || laterSend_) return;
    StopLimit();
    SendHeld();
}

void TypeAhead::ArmLimit() noexcept {
    StopLimit();
    limitTimer_ = ::SetTimer(nullptr, 0, kHoldLimitMs, HoldLimitPassed);
}

void TypeAhead::StopLimit() noexcept {
    if (limitTimer_) ::KillTimer(nullptr, limitTimer_);
    limitTimer_ = 0;
}

void TypeAhead::StopLaterSend() noexcept {
    if (laterSend_) ::KillTimer(nullptr, laterSend_);
    laterSend_ = 0;
}

void TypeAhead::SendHeld() noexcept {
    // Under Wine the hook runs for the keys given back inside SendInput, and
    // keys that were waiting are held meanwhile; this loop sends those next.
    sending_ = true;
    while (!held_.empty() && replaying_ == 0 && !holding_) {
        std::vector<INPUT> inputs;
        try {
            inputs.reserve(held_.size());
            for (const HeldKey& key : held_) {
                INPUT in{};
                in.type = INPUT_KEYBOARD;
                in.ki.wVk = static_cast<WORD>(key.vk);
                in.ki.wScan = static_cast<WORD>(key.scan);
                in.ki.dwFlags = ((key.flags & LLKHF_UP) ? KEYEVENTF_KEYUP : 0) |
                                ((key.flags & LLKHF_EXTENDED) ? KEYEVENTF_EXTENDEDKEY : 0);
                in.ki.dwExtraInfo = kReplayMark;
                inputs.push_back(in);
            }
        } catch (...) {
            // Out of memory: the held keys are lost rather than sent half.
            held_.clear();
            break;
        }
        held_.clear();
        // Keys typed after the hotkey may already wait behind the hook, ahead
        // of these; until these have passed it, the hook holds them as well.
        // Counted before the call: the system may run the hook inside it.
        replaying_ = inputs.size();
        ArmLimit();
        const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        const std::size_t lost = inputs.size() - sent;
        replaying_ = replaying_ > lost ? replaying_ - lost : 0;
    }
    sending_ = false;
    if (replaying_ == 0 && !holding_) StopLimit();
}

bool TypeAhead::KeyEvent(const KBDLLHOOKSTRUCT& key) noexcept {
    const bool down = (key.flags & LLKHF_UP) == 0;
    if (key.dwExtraInfo == kReplayMark) {
        if (replaying_ != 0 && --replaying_ == 0 && !holding_ && !sending_) {
            // Not from inside the hook: keys sent there would be queued before
            // the one the hook is deciding about.
            if (held_.empty()) StopLimit();
            else if (!laterSend_) laterSend_ = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, SendHeldLater);
        }
        // A hotkey typed ahead of an earlier popup's keys starts its own hold.
        if (down && !holding_ && startsPopup_ && startsPopup_(key.vkCode)) Hold();
        return false;
    }
    if (holding_ || replaying_ != 0 || laterSend_) {
        const auto pressed = std::find(heldDown_.begin(), heldDown_.end(), key.vkCode);
        // The release of a key pressed before the hotkey (its modifiers, its
        // own key) goes through, or the system would think it still down.
        if (holding_ && !down && pressed == heldDown_.end()) return false;
        try {
            held_.push_back({key.vkCode, key.scanCode, key.flags});
            if (holding_ && down && pressed == heldDown_.end()) heldDown_.push_back(key.vkCode);
            if (holding_ && !down) heldDown_.erase(pressed);
        } catch (...) {
            return false;  // out of memory: this key goes its usual way
        }
        return true;
    }
    // The hotkey itself goes on: the system turns it into WM_HOTKEY.
    if (down && startsPopup_ && startsPopup_(key.vkCode)) Hold();
    return false;
}

LRESULT CALLBACK TypeAhead::Hook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION && installed && installed->KeyEvent(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)))
        return 1;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK TypeAhead::HoldLimitPassed(HWND, UINT, UINT_PTR, DWORD) noexcept {
    // Keys given back that never came through (another hook took them) hold
    // nothing up for longer than a popup that never showed.
    if (!installed) return;
    installed->replaying_ = 0;
    installed->StopLaterSend();
    installed->Release();
}

void CALLBACK TypeAhead::SendHeldLater(HWND, UINT, UINT_PTR, DWORD) noexcept {
    if (!installed) return;
    installed->StopLaterSend();
    if (!installed->holding_) installed->SendHeld();
}

}  // namespace tdx
