#include "settings/path_macros_win.h"

#include <windows.h>

#include "settings/windows_version_win.h"

namespace tdx {

namespace {

// Asks a "fill this buffer" function until the buffer is large enough.
template <typename Fill>
std::wstring GrowingBuffer(Fill fill) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const UINT length = fill(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length + 1);
    }
    return {};
}

}  // namespace

std::wstring ExpandEnvironmentVariables(std::wstring_view text) {
    const std::wstring source(text);
    if (source.empty()) return source;
    std::wstring buffer(source.size() + MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD needed = ::ExpandEnvironmentStringsW(source.c_str(), buffer.data(),
                                                         static_cast<DWORD>(buffer.size()));
        if (needed == 0) return source;
        if (needed <= buffer.size()) {
            buffer.resize(needed - 1);  // the count includes the terminating null
            return buffer;
        }
        buffer.resize(needed);
    }
    return source;
}

SystemPaths CurrentSystemPaths() {
    SystemPaths paths;
    paths.WindowsFolder = GrowingBuffer([](wchar_t* b, UINT n) { return ::GetWindowsDirectoryW(b, n); });
    paths.SystemFolder = GrowingBuffer([](wchar_t* b, UINT n) { return ::GetSystemDirectoryW(b, n); });
    paths.NtFamily = IsNtFamily(WindowsVersionNumber());
    paths.ExpandEnvironment = [](std::wstring_view text) { return ExpandEnvironmentVariables(text); };
    return paths;
}

std::wstring ExpandPathMacros(std::wstring_view text) { return ExpandPathMacros(text, CurrentSystemPaths()); }

}  // namespace tdx
