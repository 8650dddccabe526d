// The log that hook_target.exe keeps of its window's messages, shared with the
// test that started it.
#pragma once

#include <windows.h>

inline constexpr wchar_t kTargetLogPrefix[] = L"TdxHookTargetLog-";

struct TargetLog {
    static constexpr LONG kCapacity = 8192;
    struct Entry {
        UINT message;
        UINT wParam;
        LONG lParam;
    };
    volatile LONG window;  // set once the window exists
    volatile LONG child;   // its child with the scroll bar
    volatile LONG count;   // entries written so far
    Entry entries[kCapacity];
};
