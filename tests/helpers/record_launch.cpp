// Started by the launch tests through the shell: writes its command line and
// its working folder, one per line in UTF-8, to the file named by the
// environment variable TDX_RECORD_FILE, then ends.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t target[MAX_PATH]{};
    if (!::GetEnvironmentVariableW(L"TDX_RECORD_FILE", target, MAX_PATH)) return 2;
    wchar_t folder[MAX_PATH]{};
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    const std::string record = Utf8(::GetCommandLineW()) + "\n" + Utf8(folder) + "\n";
    // Written to a side file and renamed, so a reader never sees half of it.
    const std::wstring partial = std::wstring(target) + L".part";
    HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    ::CloseHandle(file);
    return ::MoveFileExW(partial.c_str(), target, MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
