// Lets the one message loop run in the middle of a handler.
#pragma once

#include <windows.h>

namespace tdx {

// Handles every message now pending for this thread. A WM_QUIT met here is
// posted again, so the main loop still ends.
inline void ProcessPendingMessages() noexcept {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace tdx
