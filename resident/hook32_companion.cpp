#include "resident/hook32_companion.h"

#include <string>

namespace tdx {

void Hook32Companion::Start() noexcept {
    if (process_) return;
    try {
        std::wstring path(MAX_PATH, L'\0');
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0 || length >= path.size()) return;
        path.resize(length);
        path.resize(path.find_last_of(L"\\/") + 1);
        const std::wstring folder = path;
        path += L"tdxhook32.exe";
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        std::wstring commandLine = L"\"" + path + L"\" " + std::to_wstring(::GetCurrentProcessId());
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                              CREATE_NO_WINDOW, nullptr, folder.c_str(), &si, &pi))
            return;
        ::CloseHandle(pi.hThread);
        process_.reset(pi.hProcess);
        threadId_ = pi.dwThreadId;
    } catch (...) {
        // Out of memory for a path: no companion.
    }
}

void Hook32Companion::Stop() noexcept {
    if (!process_) return;
    ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    // It removes its hooks and ends at once; one that does not is not waited for.
    if (::WaitForSingleObject(process_.get(), 2000) != WAIT_OBJECT_0) ::TerminateProcess(process_.get(), 1);
    process_.reset();
    threadId_ = 0;
}

}  // namespace tdx
