// The 32-bit companion of the 64-bit program. A 32-bit program loads only
// 32-bit libraries, so gestures and activations there are seen by the 32-bit
// build of the hook library, which only a 32-bit process can install. This
// process installs it on the program's block and lives exactly as long as
// the program: it ends when the program posts WM_QUIT to its thread, or when
// the program's process ends, however that happened. Once its hooks are in it
// sets the program's event "TdxHookCompanionReady.<process id of the program>".
//   tdxhook32.exe <process id of the program>
//
// Like the library, it carries no runtime: it is a few kilobytes that wait.
#include <windows.h>

#include <cstddef>

namespace {

using SetCompanionHookProc = int(WINAPI*)(void);
using RemoveHookProc = BOOL(WINAPI*)(void);

// The library beside this file, never one found on the search path.
HMODULE LoadLibraryBesideMe() noexcept {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    wchar_t* name = path;
    for (wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/') name = p + 1;
    static constexpr wchar_t kLibrary[] = L"tdxhook32.dll";
    if (static_cast<std::size_t>(name - path) + sizeof(kLibrary) / sizeof(wchar_t) > MAX_PATH) return nullptr;
    for (const wchar_t* s = kLibrary; (*name++ = *s++) != L'\0';) {
    }
    return LoadLibraryW(path);
}

// The last number on the command line (the first is in the program's path).
DWORD ProgramIdFromCommandLine() noexcept {
    const wchar_t* p = GetCommandLineW();
    const wchar_t* last = nullptr;
    for (; *p; ++p)
        if (*p >= L'0' && *p <= L'9' && (p == GetCommandLineW() || p[-1] == L' ')) last = p;
    DWORD id = 0;
    for (p = last; p && *p >= L'0' && *p <= L'9'; ++p) id = id * 10 + static_cast<DWORD>(*p - L'0');
    return id;
}

// Tells the program that the hooks are in: until then its own hooks also act
// for the 32-bit programs' windows. The event is named after its process id.
void SayHooksInstalled(DWORD programId) noexcept {
    wchar_t name[40] = L"TdxHookCompanionReady.";
    wchar_t* end = name;
    while (*end) ++end;
    wchar_t digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + programId % 10);
        programId /= 10;
    } while (programId != 0 && count < 10);
    while (count > 0) *end++ = digits[--count];
    *end = L'\0';
    if (const HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, name)) {
        SetEvent(ready);
        CloseHandle(ready);
    }
}

UINT Run() noexcept {
    const DWORD programId = ProgramIdFromCommandLine();
    const HANDLE program = OpenProcess(SYNCHRONIZE, FALSE, programId);
    if (!program) return 2;
    const HMODULE library = LoadLibraryBesideMe();
    const auto setCompanionHook =
        library ? reinterpret_cast<SetCompanionHookProc>(GetProcAddress(library, "SetCompanionHook")) : nullptr;
    const auto removeHook =
        library ? reinterpret_cast<RemoveHookProc>(GetProcAddress(library, "RemoveHook")) : nullptr;
    if (!setCompanionHook || !removeHook || !setCompanionHook()) {
        CloseHandle(program);
        return 3;
    }
    SayHooksInstalled(programId);
    // The system runs the 64-bit programs' calls of these hooks here, on this
    // thread: its queue must keep moving or those programs wait on it.
    for (bool done = false; !done;) {
        if (MsgWaitForMultipleObjects(1, &program, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0 + 1) break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) done = true;
            else DispatchMessageW(&msg);
        }
    }
    removeHook();
    CloseHandle(program);
    return 0;
}

}  // namespace

extern "C" void WINAPI CompanionEntry() { ExitProcess(Run()); }
