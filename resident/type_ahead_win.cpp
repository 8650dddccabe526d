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
    Release();
    if (hook_) ::UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    if (installed == this) installed = nullptr;
}

void TypeAhead::Hold() noexcept {
    if (holding_ || !hook_) return;
    holding_ = true;
    limitTimer_ = ::SetTimer(nullptr, 0, kHoldLimitMs, HoldLimitPassed);
}

void TypeAhead::Release() noexcept {
    if (limitTimer_) ::KillTimer(nullptr, limitTimer_);
    limitTimer_ = 0;
    holding_ = false;
    heldDown_.clear();
    if (held_.empty()) return;
    try {
        std::vector<INPUT> inputs;
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
        // Queued behind nothing: keys typed from now on pass the hook and
        // arrive after these.
        ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    } catch (...) {
        // Out of memory: the held keys are lost rather than sent half.
    }
    held_.clear();
}

bool TypeAhead::KeyEvent(const KBDLLHOOKSTRUCT& key) noexcept {
    if (key.dwExtraInfo == kReplayMark) return false;
    const bool down = (key.flags & LLKHF_UP) == 0;
    if (holding_) {
        const auto pressed = std::find(heldDown_.begin(), heldDown_.end(), key.vkCode);
        // The release of a key pressed before the hotkey (its modifiers, its
        // own key) goes through, or the system would think it still down.
        if (!down && pressed == heldDown_.end()) return false;
        try {
            held_.push_back({key.vkCode, key.scanCode, key.flags});
            if (down && pressed == heldDown_.end()) heldDown_.push_back(key.vkCode);
            if (!down) heldDown_.erase(pressed);
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
    if (installed) installed->Release();
}

}  // namespace tdx
