// Keys typed between the hotkey and the popup's taking the foreground. The
// fastest users press the hotkey and a direct key in one motion; without help
// every key that arrives before the popup is in front goes to the program that
// was, and the entry does not run. A low-level keyboard hook, which sees each
// key before the system hands it to any program, holds the keys that follow
// the hotkey (or a gesture) and gives them back, in order, once the popup has
// the keyboard. Keys typed before the hotkey are not touched.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <vector>

namespace tdx {

class TypeAhead {
public:
    TypeAhead() = default;
    ~TypeAhead() { Remove(); }
    TypeAhead(const TypeAhead&) = delete;
    TypeAhead& operator=(const TypeAhead&) = delete;

    // Installs the hook on the calling thread, the program's one GUI thread;
    // startsPopup tells, inside the hook, whether a key-down with the modifier
    // keys now down is the hotkey and will show the popup. False when the
    // system refused the hook: keys then simply go where they always went.
    bool Install(std::function<bool(DWORD vk)> startsPopup) noexcept;
    void Remove() noexcept;

    // Starts holding keys (a gesture was made).
    void Hold() noexcept;
    // Gives the held keys, in order, to whichever window has the keyboard now
    // and stops holding.
    void Release() noexcept;
    bool Holding() const noexcept { return holding_; }

private:
    struct HeldKey {
        DWORD vk;
        DWORD scan;
        DWORD flags;  // LLKHF_*
    };
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) noexcept;
    static void CALLBACK HoldLimitPassed(HWND, UINT, UINT_PTR, DWORD) noexcept;
    static void CALLBACK SendHeldLater(HWND, UINT, UINT_PTR, DWORD) noexcept;
    // True when the key is taken from the system and held.
    bool KeyEvent(const KBDLLHOOKSTRUCT& key) noexcept;
    // Gives back what is held, unless keys given back earlier are still on their way.
    void SendHeld() noexcept;
    void ArmLimit() noexcept;
    void StopLimit() noexcept;
    void StopLaterSend() noexcept;

    HHOOK hook_ = nullptr;
    std::function<bool(DWORD vk)> startsPopup_;
    bool holding_ = false;
    UINT_PTR limitTimer_ = 0;
    std::vector<HeldKey> held_;
    std::vector<DWORD> heldDown_;  // keys whose press is held: their release is held too
    // Keys given back that have not passed the hook yet. Keys typed meanwhile
    // were queued before them and would overtake them: they are held too.
    std::size_t replaying_ = 0;
    bool sending_ = false;      // inside SendHeld's SendInput
    UINT_PTR laterSend_ = 0;    // held keys go once the hook has returned
};

}  // namespace tdx
