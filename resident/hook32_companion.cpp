#include "resident/hook32_companion.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "hook/tdxhook.h"
#include "winbase/file_tests.h"
#include "winbase/decimal_text.h"

namespace tdx {

std::wstring CompanionReadyEventName(DWORD programId) {
    return L"TdxHookCompanionReady." + DecimalText(programId);
}

void Hook32Companion::Start() noexcept {
    if (watcher_) return;
    try {
        std::wstring path(MAX_PATH, L'\0');
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0 || length >= path.size()) return;
        path.resize(length);
        path.resize(path.find_last_of(L"\\/") + 1);
        folder_ = path;
        path_ = path + L"tdxhook32.exe";
        if (!PathExists(path_)) return;
        stop_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ready_.reset(::CreateEventW(nullptr, TRUE, FALSE, CompanionReadyEventName(::GetCurrentProcessId()).c_str()));
    } catch (...) {
        // Out of memory for a path: no companion.
        return;
    }
    if (!stop_ || !ready_ || !Launch()) return;
    watcher_.reset(::CreateThread(nullptr, 0, Watch, this, 0, nullptr));
    // Without the watch nobody tells the program's hooks that the companion's
    // are in, and both would count every gesture over a 32-bit program.
    if (!watcher_) EndCompanion();
}

bool Hook32Companion::Launch() noexcept {
    try {
        ::ResetEvent(ready_.get());
        std::wstring commandLine = L"\"" + path_ + L"\" " + DecimalText(::GetCurrentProcessId());
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(path_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                              nullptr, folder_.c_str(), &si, &pi))
            return false;
        ::CloseHandle(pi.hThread);
        process_.reset(pi.hProcess);
        threadId_ = pi.dwThreadId;
        startedAt_ = ::GetTickCount64();
        return true;
    } catch (...) {
        return false;
    }
}

DWORD WINAPI Hook32Companion::Watch(void* self) noexcept {
    static_cast<Hook32Companion*>(self)->WatchCompanion();
    return 0;
}

void Hook32Companion::WatchCompanion() noexcept {
    for (bool hooked = false;;) {
        const HANDLE events[] = {stop_.get(), process_.get(), ready_.get()};
        const DWORD woke = ::WaitForMultipleObjects(hooked ? 2 : 3, events, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0 + 2) {
            hooked = true;
            ::SetCompanionState(1);
            continue;
        }
        if (woke != WAIT_OBJECT_0 + 1) return;  // Stop, or a wait that cannot be had
        // It ended while the program runs: the program's hooks take its windows again.
        hooked = false;
        ::SetCompanionState(0);
        ULONGLONG ran = ::GetTickCount64() - startedAt_;
        process_.reset();
        threadId_ = 0;
        for (;;) {
            const std::optional<std::uint32_t> pause =
                restarts_.AfterEnd(static_cast<std::uint32_t>(std::min<ULONGLONG>(ran, 0xFFFFFFFF)));
            if (!pause || ::WaitForSingleObject(stop_.get(), *pause) != WAIT_TIMEOUT) return;
            if (Launch()) break;
            ran = 0;
        }
    }
}

void Hook32Companion::EndCompanion() noexcept {
    if (!process_) return;
    ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    // It removes its hooks and ends at once; one that does not is not waited for.
    if (::WaitForSingleObject(process_.get(), 2000) != WAIT_OBJECT_0) ::TerminateProcess(process_.get(), 1);
    process_.reset();
    threadId_ = 0;
}

void Hook32Companion::Stop() noexcept {
    if (watcher_) {
        ::SetEvent(stop_.get());
        ::WaitForSingleObject(watcher_.get(), INFINITE);
        watcher_.reset();
    }
    ::SetCompanionState(0);
    EndCompanion();
    stop_.reset();
    ready_.reset();
}

}  // namespace tdx
