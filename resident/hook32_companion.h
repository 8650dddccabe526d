// The 32-bit companion process (tdxhook32.exe beside the program), which puts
// the 32-bit hooks beside the program's own so that gestures work over 32-bit
// programs as well. Started after the program's hooks, ended before they go.
//
// A thread of its own watches it: once the companion says its hooks are in,
// the program's hooks leave the 32-bit programs' windows to them; when it
// ends while the program runs, the program's hooks take those windows again
// and the companion is started anew (CompanionRestarts says when).
#pragma once

#include <windows.h>

#include <string>

#include "resident/companion_restarts.h"
#include "winbase/unique_handle.h"

namespace tdx {

// The event a companion started for the program with this process id sets
// once its hooks are installed.
std::wstring CompanionReadyEventName(DWORD programId);

class Hook32Companion {
public:
    Hook32Companion() = default;
    Hook32Companion(const Hook32Companion&) = delete;
    Hook32Companion& operator=(const Hook32Companion&) = delete;
    ~Hook32Companion() { Stop(); }

    // Nothing happens when the file is missing or cannot run (a system
    // without 32-bit support): gestures over every program go on working
    // through the program's own hooks.
    void Start() noexcept;
    // Ends the watch, then asks the companion to end, and ends it if it does
    // not within a moment.
    void Stop() noexcept;

private:
    static DWORD WINAPI Watch(void* self) noexcept;
    void WatchCompanion() noexcept;
    bool Launch() noexcept;
    void EndCompanion() noexcept;

    std::wstring path_, folder_;
    UniqueKernelHandle stop_, ready_, watcher_;
    // Owned by the watcher while it runs, by Start and Stop otherwise.
    UniqueKernelHandle process_;
    DWORD threadId_ = 0;
    ULONGLONG startedAt_ = 0;
    CompanionRestarts restarts_;
};

}  // namespace tdx
