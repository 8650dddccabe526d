// The gesture rules run inside every GUI process of the desktop, on whatever
// messages those programs see. Any sequence must leave the block sane: the
// library never changes the mode or the hook handles, and a gesture is only
// reported while gestures are switched on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_input.h"
#include "hook/gesture.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

constexpr std::uint32_t kMessages[] = {
    tdx::hook::msg::kActivate,      tdx::hook::msg::kSetCursor,     tdx::hook::msg::kLButtonDown,
    tdx::hook::msg::kLButtonUp,     tdx::hook::msg::kLButtonDblClk, tdx::hook::msg::kRButtonDown,
    tdx::hook::msg::kRButtonUp,     tdx::hook::msg::kRButtonDblClk, tdx::hook::msg::kMButtonDown,
    tdx::hook::msg::kMButtonUp,     tdx::hook::msg::kMButtonDblClk, 0x0000,
    0x0200 /* mouse move */,        0x007B /* context menu */,      0x00A4 /* NC right down */,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tdx::fuzz::FuzzInput in(data, size);
    tdx::hook::HookShare share{};
    share.getMsgHook = 0x1111;
    share.callWndHook = 0x2222;
    share.targetWindow = 0x3333;
    share.notifyMessage = 0x07E9;
    share.mouseMode = in.Range(-1, 4);
    share.dosKeyEnabled = in.Byte() & 1;
    share.buttonHeld = in.Byte() & 1;
    share.swallowUp = in.Byte() & 1;
    tdx::hook::SharedBlock& block = share;
    const std::int32_t mode = share.mouseMode;

    while (!in.Empty()) {
        const std::uint8_t pick = in.Byte();
        const std::uint32_t message = kMessages[(pick & 0x7F) % std::size(kMessages)];
        const std::uintptr_t wParam = in.U32();
        tdx::hook::HookActions actions;
        if (pick & 0x80) {
            actions = tdx::hook::OnSentMessage(block, message, wParam, in.U32());
        } else {
            actions = tdx::hook::OnRetrievedMessage(block, message, wParam);
        }
        Check(share.mouseMode == mode);
        Check(share.getMsgHook == 0x1111 && share.callWndHook == 0x2222);
        Check(share.targetWindow == 0x3333 && share.notifyMessage == 0x07E9);
        if (actions.postGesture || actions.releaseRightButton)
            Check(mode >= tdx::hook::kModeLeftThenRight && mode <= tdx::hook::kModeMiddle);
    }

    char className[5] = {};
    for (char& c : className) c = static_cast<char>(in.Byte());
    className[4] = 0;
    const std::uintptr_t notice = tdx::hook::ActivationNotice(className);
    Check(notice == tdx::hook::kNotifyConsoleActive || notice == tdx::hook::kNotifyOtherActive);
    return 0;
}
