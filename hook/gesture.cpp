#include "hook/gesture.h"

namespace tdx::hook {

namespace {

HookActions Completed() noexcept {
    HookActions a;
    a.postGesture = true;
    return a;
}

// Over a title bar, border, menu or scroll bar the window gets WM_NCxBUTTON
// messages, which carry no button state; the WM_SETCURSOR sent before each of
// them names the client message instead, so the first button is tracked here.
HookActions OnNonClientButton(SharedBlock& block, std::uint32_t mouseMessage) noexcept {
    HookActions a;
    switch (block.mouseMode) {
    case kModeLeftThenRight:
        if (mouseMessage == msg::kLButtonDown) {
            block.buttonHeld = 1;
        } else if (mouseMessage == msg::kLButtonUp) {
            block.buttonHeld = 0;
        } else if (mouseMessage == msg::kRButtonDown && block.buttonHeld == 1) {
            a = Completed();
            block.buttonHeld = 0;
        }
        break;
    case kModeRightThenLeft:
        if (mouseMessage == msg::kRButtonDown) {
            block.buttonHeld = 1;
        } else if (mouseMessage == msg::kRButtonUp) {
            block.buttonHeld = 0;
        } else if (mouseMessage == msg::kLButtonDown && block.buttonHeld == 1) {
            a = Completed();
            block.buttonHeld = 0;
        }
        break;
    case kModeMiddle:
        if (mouseMessage == msg::kMButtonDown) a = Completed();
        break;
    default:
        break;
    }
    return a;
}

}  // namespace

HookActions OnRetrievedMessage(SharedBlock& block, std::uint32_t message, std::uintptr_t wParam,
                               bool removed, bool marked) noexcept {
    HookActions a;
    if (marked) {
        // The program's own release of the gesture's right button: the window
        // never saw that button go down. The user's real release still comes
        // and is eaten by swallowUp, so the mark must not use it up.
        if (message == msg::kRButtonUp) a.discard = true;
        // The click beside the cursor is one click, however close it follows
        // the user's own press of the left button.
        if (message == msg::kLButtonDblClk) a.replaceWith = msg::kLButtonDown;
        if (message == msg::kNcLButtonDblClk) a.replaceWith = msg::kNcLButtonDown;
        return a;
    }
    if (!removed) {
        // The rules run on a copy: what the window will be given is known,
        // and the state changes once, when the message is taken.
        HookShare copy{block.getMsgHook,    block.callWndHook,   block.targetWindow,
                       block.notifyMessage, block.mouseMode,     block.dosKeyEnabled,
                       block.buttonHeld,    block.swallowUp};
        a.discard = OnRetrievedMessage(copy, message, wParam, true, false).discard;
        return a;
    }
    const std::int32_t mode = block.mouseMode;
    switch (message) {
    case msg::kLButtonDown:
        if (mode == kModeRightThenLeft && (wParam & kMkRButton) != 0) {
            // The left-button-up is left to the window: the main program's own
            // synthetic click follows at once, and eating the next up could eat
            // that click's up and leave the window with a press that never ends.
            a = Completed();
            a.releaseRightButton = true;
            block.buttonHeld = 0;
            a.discard = true;
        }
        break;
    case msg::kLButtonUp:
        if (mode == kModeLeftThenRight) {
            block.buttonHeld = 0;
        } else if (mode == kModeRightThenLeft && block.swallowUp == 1) {
            block.swallowUp = 0;
            a.discard = true;
        }
        break;
    case msg::kRButtonDown:
        if (mode == kModeLeftThenRight && (wParam & kMkLButton) != 0) {
            a = Completed();
            block.buttonHeld = 0;
            block.swallowUp = 1;
            a.discard = true;
        }
        break;
    case msg::kRButtonUp:
        if (mode == kModeLeftThenRight && block.swallowUp == 1) {
            block.swallowUp = 0;
            a.discard = true;
        } else if (mode == kModeRightThenLeft) {
            block.buttonHeld = 0;
        }
        break;
    case msg::kMButtonDown:
        if (mode == kModeMiddle) {
            a = Completed();
            block.buttonHeld = 0;
            block.swallowUp = 1;
            a.discard = true;
        }
        break;
    case msg::kMButtonUp:
        if (mode == kModeMiddle && block.swallowUp == 1) {
            block.swallowUp = 0;
            a.discard = true;
        }
        break;
    default:
        break;
    }
    return a;
}

HookActions OnSentMessage(SharedBlock& block, std::uint32_t message, std::uintptr_t wParam,
                          std::uintptr_t lParam, std::uintptr_t window) noexcept {
    HookActions a;
    if (message == msg::kActivate) {
        if (block.dosKeyEnabled == 0 && (wParam & 0xFFFF) != 0) a.reportActivation = true;
    } else if (message == msg::kSetCursor) {
        const std::uint32_t hit = static_cast<std::uint32_t>(lParam & 0xFFFF);
        const std::uint32_t mouseMessage = static_cast<std::uint32_t>((lParam >> 16) & 0xFFFF);
        // Over a client area the queue hook sees the button messages themselves.
        // The right-button-up of a client-area gesture is announced here first,
        // but this hook cannot change a sent message, so it is left to the
        // queue hook to eat the up itself; clearing the mark here would let
        // the up through and the window would open its context menu.
        // DefWindowProc hands WM_SETCURSOR on to each parent with the same
        // parameters; only the copy for the window under the cursor (wParam)
        // counts, or one click would count once per window in the chain.
        if (hit != kHitClient && wParam == window) a = OnNonClientButton(block, mouseMessage);
    }
    return a;
}

std::uintptr_t ActivationNotice(const char* className) noexcept {
    const bool console = className[0] == 't' && className[1] == 't' && className[2] == 'y' &&
                         className[3] == '\0';
    return console ? kNotifyConsoleActive : kNotifyOtherActive;
}

}  // namespace tdx::hook
