// The 32-bit companion process (tdxhook32.exe beside the program), which puts
// the 32-bit hooks beside the program's own so that gestures work over 32-bit
// programs as well. Started after the program's hooks, ended before they go.
#pragma once

#include <windows.h>

#include "winbase/unique_handle.h"

namespace tdx {

class Hook32Companion {
public:
    Hook32Companion() = default;
    Hook32Companion(const Hook32Companion&) = delete;
    Hook32Companion& operator=(const Hook32Companion&) = delete;
    ~Hook32Companion() { Stop(); }

    // Nothing happens when the file is missing or cannot run (a system
    // without 32-bit support): gestures over 64-bit programs go on working.
    void Start() noexcept;
    // Asks the companion to end, and ends it if it does not within a moment.
    void Stop() noexcept;

private:
    UniqueKernelHandle process_;
    DWORD threadId_ = 0;
};

}  // namespace tdx
