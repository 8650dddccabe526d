// The hook library. The system loads it into every GUI process while the hooks
// are installed, so it carries no runtime, allocates nothing, never throws and
// always hands the message on (unless the program has gone, see below). The
// rules live in gesture.cpp and the steps in hook_frame.h; this file adds only
// the platform calls.
#define TDXHOOK_BUILDING
#include "hook/tdxhook.h"

#include <cstdint>

#include "hook/gesture.h"
#include "hook/hook_frame.h"
#include "hook/hook_share.h"

namespace {

using namespace tdx::hook;

// All module state is zero- or constant-initialised: there is no runtime to
// run constructors, and DllMain must not do more than note the module.
HINSTANCE g_module;
Installation g_installation;  // only in the process that called SetHook
SRWLOCK g_viewLock = SRWLOCK_INIT;
#if defined(TDXHOOK_MAP_PER_CALL)
PerCallAccess g_access;  // benchmark variant: the block is opened on every call
#else
CachedAccess g_access;
#endif

HWND ToWindow(std::uint32_t field) noexcept { return reinterpret_cast<HWND>(FieldToHandle(field)); }
HHOOK ToHook(std::uint32_t field) noexcept { return reinterpret_cast<HHOOK>(FieldToHandle(field)); }
std::uint32_t ToField(const void* handle) noexcept {
    return HandleToField(reinterpret_cast<std::uintptr_t>(handle));
}

struct Win32Platform {
    void* CreateBlock() noexcept {
        return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kHookShareSize,
                                  kHookShareName);
    }
    void* OpenBlock() noexcept { return OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kHookShareName); }
    bool OpenDenied() noexcept { return GetLastError() == ERROR_ACCESS_DENIED; }
    SharedBlock* MapBlock(void* mapping) noexcept {
        return static_cast<SharedBlock*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    }
    void UnmapBlock(SharedBlock* view) noexcept { UnmapViewOfFile(const_cast<HookShare*>(view)); }
    void CloseBlock(void* mapping) noexcept { CloseHandle(mapping); }
    std::uint32_t InstallHook(HookKind kind) noexcept {
        const HHOOK hook = kind == HookKind::GetMsg
                               ? SetWindowsHookExA(WH_GETMESSAGE, GHookProc, g_module, 0)
                               : SetWindowsHookExA(WH_CALLWNDPROC, SHookProc, g_module, 0);
        return ToField(hook);
    }
    int Unhook(std::uint32_t hook) noexcept { return UnhookWindowsHookEx(ToHook(hook)); }
    std::uint32_t WindowThread(std::uint32_t window) noexcept {
        return window ? GetWindowThreadProcessId(ToWindow(window), nullptr) : 0;
    }
    void LockShared() noexcept { AcquireSRWLockShared(&g_viewLock); }
    void UnlockShared() noexcept { ReleaseSRWLockShared(&g_viewLock); }
    void LockExclusive() noexcept { AcquireSRWLockExclusive(&g_viewLock); }
    void UnlockExclusive() noexcept { ReleaseSRWLockExclusive(&g_viewLock); }
};

// Whether a call for this window is left to the other library's hooks (see
// LeftToOtherHooks). Only the installing process pays for the look-up, and only
// while those hooks are installed.
bool OutOfContext(HWND window) noexcept {
    if (!window || !LeftToOtherHooks(g_installation, true)) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return LeftToOtherHooks(g_installation, process != 0 && process != GetCurrentProcessId());
}

// The platform half of the actions, run after the block has been let go.
// Posting only: a hook must never wait on the program.
void Perform(const HookOutcome& out, HWND activated) noexcept {
    const HWND target = ToWindow(out.target);
    if (out.actions.releaseRightButton) mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0, 0, 0);
    if (out.actions.postGesture) PostMessageA(target, out.message, kNotifyGesture, 0);
    if (out.actions.reportActivation) {
        char className[5] = {};  // four characters: "ttyx" must not read as "tty"
        GetClassNameA(activated, className, 5);
        PostMessageA(target, out.message, ActivationNotice(className), reinterpret_cast<LPARAM>(activated));
    }
}

}  // namespace

extern "C" BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        // Every thread of every GUI process would otherwise call in here.
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded while the process goes on (the hooks were removed): give the
        // kept view back. At process exit the system does that itself.
        Win32Platform platform;
        g_access.Forget(platform);
    }
    return TRUE;
}

extern "C" int WINAPI SetHook(HWND window, UINT message) {
    Win32Platform platform;
    return InstallHooks(platform, g_installation, ToField(window), message);
}

extern "C" int WINAPI SetCompanionHook(void) {
    Win32Platform platform;
    return InstallCompanionHooks(platform, g_installation);
}

extern "C" void WINAPI SetCompanionState(int hooksInstalled) {
    NoteCompanionHooks(g_installation, hooksInstalled != 0);
}

extern "C" void WINAPI SetConfig(int flags, int mode) {
    Configure(g_installation, flags, mode);
}

extern "C" BOOL WINAPI RemoveHook(void) {
    Win32Platform platform;
    return RemoveHooks(platform, g_installation);
}

extern "C" LRESULT CALLBACK GHookProc(int code, WPARAM wParam, LPARAM lParam) {
    MSG* const message = reinterpret_cast<MSG*>(lParam);
    if (message && OutOfContext(message->hwnd)) return CallNextHookEx(nullptr, code, wParam, lParam);
    Win32Platform platform;
    const HookOutcome out = RunHookFrame(
        g_access, platform, &HookShare::getMsgHook, code == HC_ACTION && message != nullptr,
        [message, wParam](SharedBlock& block) noexcept {
            // A message only peeked at comes again when it is taken: the
            // gesture is counted then, and this copy just looks the same.
            const bool removed = (wParam & PM_REMOVE) != 0;
            const bool marked = static_cast<std::uintptr_t>(GetMessageExtraInfo()) == kSyntheticInputMark;
            return OnRetrievedMessage(block, message->message, message->wParam, removed, marked);
        });
    // The program has ended: the block is gone and nothing is passed on.
    // (A block this process may not open is passed on, see RunHookFrame.)
    if (!out.passOn) return 1;
    Perform(out, nullptr);
    if (out.actions.discard) message->message = WM_NULL;
    if (out.actions.replaceWith != 0) message->message = out.actions.replaceWith;
    return CallNextHookEx(ToHook(out.ownHook), code, wParam, lParam);
}

extern "C" LRESULT CALLBACK SHookProc(int code, WPARAM wParam, LPARAM lParam) {
    CWPSTRUCT* const sent = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (sent && OutOfContext(sent->hwnd)) return CallNextHookEx(nullptr, code, wParam, lParam);
    Win32Platform platform;
    const HookOutcome out = RunHookFrame(
        g_access, platform, &HookShare::callWndHook, code == HC_ACTION && sent != nullptr,
        [sent](SharedBlock& block) noexcept {
            return OnSentMessage(block, sent->message, sent->wParam,
                                 static_cast<std::uintptr_t>(sent->lParam),
                                 reinterpret_cast<std::uintptr_t>(sent->hwnd));
        });
    if (!out.passOn) return 1;
    // Nothing is discarded here: a WH_CALLWNDPROC hook cannot change the
    // message that the window procedure receives.
    Perform(out, out.actions.reportActivation ? sent->hwnd : nullptr);
    return CallNextHookEx(ToHook(out.ownHook), code, wParam, lParam);
}
