// Small helpers the benchmarks share. Kept apart from the tests' harness on
// purpose: these poll every millisecond and send no messages while timing.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <filesystem>
#include <initializer_list>
#include <vector>

namespace tdx::bench {

// The folder of the running benchmark; the programs it measures live there too.
inline std::filesystem::path ExeDir() {
    wchar_t path[MAX_PATH]{};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

// The program as it ships: the stripped files of the release packages, copied
// from the build's stage into a folder of their own (the stage also holds the
// portable marker, which would move the settings beside the program).
inline std::filesystem::path ShippedProgram() {
    namespace fs = std::filesystem;
    const fs::path stage = ExeDir().parent_path() / L"dist" / L"stage";
    const fs::path shipped = ExeDir() / L"shipped";
    fs::create_directories(shipped);
    for (const wchar_t* name : {L"tiledex.exe", L"tdxhook.dll", L"tdxhook32.exe", L"tdxhook32.dll"}) {
        if (fs::exists(stage / name)) ::CopyFileW((stage / name).c_str(), (shipped / name).c_str(), FALSE);
    }
    return shipped / L"tiledex.exe";
}

// The first top-level window of the class owned by the process.
inline HWND FindWindowOfProcess(const wchar_t* cls, DWORD pid) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, cls, nullptr)) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == pid) return window;
    }
    return nullptr;
}

// Whether the window's notification icon (id 1) is in the notification area.
// The program adds it right after it has taken the hotkey; asking for the
// hotkey itself would mean taking it for a moment, which a program starting
// at that moment would find taken.
inline bool IconShown(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = 1;
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// Whether some program holds Ctrl+Alt+J (the program's hotkey). It takes the
// hotkey for a moment: ask only once the program has shown its icon.
inline bool HotKeyTaken() {
    constexpr int kProbeId = 0x6B6B;
    if (!::RegisterHotKey(nullptr, kProbeId, MOD_CONTROL | MOD_ALT, 'J')) return true;
    ::UnregisterHotKey(nullptr, kProbeId);
    return false;
}

// Starts the program in its own folder; the caller owns pi.hProcess.
inline bool StartProgram(const std::filesystem::path& exe, PROCESS_INFORMATION& pi) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          exe.parent_path().c_str(), &si, &pi))
        return false;
    ::CloseHandle(pi.hThread);
    return true;
}

// Presses the keys in order with SendInput, then releases them in reverse order.
inline void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD vk : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        inputs.push_back(in);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        --it;
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace tdx::bench
