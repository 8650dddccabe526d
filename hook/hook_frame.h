// The steps of the library's exports and the frame of each hook call, written
// against a platform interface so that the library instantiates them with the
// real calls and the tests with a platform that can be made to fail.
//
// The platform P provides (all noexcept, no allocation):
//   void* CreateBlock();                  create or open the named block
//   void* OpenBlock();                    open the existing block, or null
//   bool OpenDenied();                    after OpenBlock failed: it exists, access was refused
//   SharedBlock* MapBlock(void* mapping); null when no view is returned
//   void UnmapBlock(SharedBlock* view);
//   void CloseBlock(void* mapping);
//   std::uint32_t InstallHook(HookKind);  the hook handle, 0 on failure
//   int Unhook(std::uint32_t hook);       nonzero on success
//   std::uint32_t WindowThread(std::uint32_t window);  0 when it is no window
//   void LockShared(); void UnlockShared(); void LockExclusive(); void UnlockExclusive();
#pragma once

#include <cstdint>

#include "hook/gesture.h"
#include "hook/hook_share.h"

namespace tdx::hook {

enum class HookKind { GetMsg, CallWnd };

// What the process that called SetHook holds: the mapping handle, its view and
// the hooks it installed itself (the block names those of the last caller).
struct Installation {
    void* mapping = nullptr;
    SharedBlock* view = nullptr;
    std::uint32_t getMsgHook = 0;
    std::uint32_t callWndHook = 0;
    // The hooks of the library of the other bitness are installed: in the
    // program, those of the 32-bit companion (it says so, NoteCompanionHooks);
    // in the companion, the program's, on whose block it installed its own.
    // Written by another thread of the process than the hook calls that read it.
    volatile std::uint32_t otherHooksInstalled = 0;
};

template <class P>
void ReleaseInstallation(P& p, Installation& inst) noexcept {
    if (inst.view) p.UnmapBlock(inst.view);
    if (inst.mapping) p.CloseBlock(inst.mapping);
    inst.mapping = nullptr;
    inst.view = nullptr;
    inst.getMsgHook = 0;
    inst.callWndHook = 0;
    inst.otherHooksInstalled = 0;
}

// Keeps a view of the block for the installing process: the one it holds, or
// one of the mapping just created or opened (null: none to be had).
template <class P>
bool HoldView(P& p, Installation& inst, void* mapping) noexcept {
    if (inst.view) return true;
    if (!mapping) return false;
    SharedBlock* view = p.MapBlock(mapping);
    if (!view) {
        p.CloseBlock(mapping);
        return false;
    }
    inst.mapping = mapping;
    inst.view = view;
    return true;
}

// SetHook. A library whose hooks cannot both be installed installs none: one
// hook alone would recognise half of the gestures, and the program cannot tell
// (it does not look at the result). The block is then let go and never touched
// again by this process.
template <class P>
int InstallHooks(P& p, Installation& inst, std::uint32_t window, std::uint32_t message) noexcept {
    if (!HoldView(p, inst, inst.view ? nullptr : p.CreateBlock())) return 0;
    SharedBlock& block = *inst.view;
    const std::uint32_t getMsgHook = p.InstallHook(HookKind::GetMsg);
    if (getMsgHook == 0) {
        ReleaseInstallation(p, inst);
        return 0;
    }
    block.getMsgHook = getMsgHook;
    inst.getMsgHook = getMsgHook;
    const std::uint32_t callWndHook = p.InstallHook(HookKind::CallWnd);
    if (callWndHook == 0) {
        p.Unhook(getMsgHook);
        ReleaseInstallation(p, inst);
        return 0;
    }
    block.callWndHook = callWndHook;
    inst.callWndHook = callWndHook;
    block.targetWindow = window;
    block.notifyMessage = message;
    block.buttonHeld = 0;
    block.swallowUp = 0;
    return 1;
}

// SetCompanionHook: the 32-bit library's hooks beside the 64-bit program's, on
// the block that program made. The block keeps naming the program's hooks and
// settings; this process only keeps its own handles, to remove them again.
// Without the block (the program is not running) nothing is installed.
template <class P>
int InstallCompanionHooks(P& p, Installation& inst) noexcept {
    if (!HoldView(p, inst, inst.view ? nullptr : p.OpenBlock())) return 0;
    inst.getMsgHook = p.InstallHook(HookKind::GetMsg);
    inst.callWndHook = inst.getMsgHook ? p.InstallHook(HookKind::CallWnd) : 0;
    if (inst.callWndHook == 0) {
        if (inst.getMsgHook) p.Unhook(inst.getMsgHook);
        ReleaseInstallation(p, inst);
        return 0;
    }
    // The block exists only while the program's hooks do.
    inst.otherHooksInstalled = 1;
    return 1;
}

// SetCompanionState, in the program: whether the companion is running and has
// installed its hooks.
inline void NoteCompanionHooks(Installation& inst, bool installed) noexcept {
    inst.otherHooksInstalled = installed ? 1u : 0u;
}

// A hook runs in the process that installed it, on a copy of the message, for
// the windows of processes that cannot load its library (the 32-bit ones, for
// the program's 64-bit library; the 64-bit ones, for the companion's 32-bit
// library). Such a call is left alone only while the other library's hooks are
// installed and see the message inside that process; otherwise it is the only
// one that does, and a gesture there would be lost. Processes that did not
// install hooks run them only for their own windows.
inline bool LeftToOtherHooks(const Installation& inst, bool windowOfAnotherProcess) noexcept {
    return inst.view != nullptr && windowOfAnotherProcess && inst.otherHooksInstalled != 0;
}

// SetConfig: only in the process that holds the view.
inline void Configure(Installation& inst, std::int32_t flags, std::int32_t mode) noexcept {
    if (!inst.view) return;
    inst.view->mouseMode = mode;
    inst.view->dosKeyEnabled = static_cast<std::uint32_t>(flags) & 1u;
}

// RemoveHook. Without a view there is nothing this process installed; with
// one, only its own hooks go, whatever another caller wrote into the block.
template <class P>
int RemoveHooks(P& p, Installation& inst) noexcept {
    if (!inst.view) return 0;
    p.Unhook(inst.getMsgHook);
    return p.Unhook(inst.callWndHook);
}

// Access to the block for the length of one hook call.
struct BlockLease {
    enum class Lock { None, Shared, Exclusive };
    bool exists = false;            // false: the block does not exist
    bool denied = false;            // it exists, but this process may not open it
    SharedBlock* block = nullptr;   // null: it exists but could not be mapped
    void* mapping = nullptr;
    Lock lock = Lock::None;
};

// Opens, maps, unmaps and closes the block on every call: the plain way, kept
// for comparison in the benchmark.
struct PerCallAccess {
    template <class P>
    BlockLease Acquire(P& p) noexcept {
        BlockLease lease;
        lease.mapping = p.OpenBlock();
        if (!lease.mapping) {
            lease.denied = p.OpenDenied();
            return lease;
        }
        lease.exists = true;
        lease.block = p.MapBlock(lease.mapping);
        return lease;
    }
    template <class P>
    void Release(P& p, BlockLease& lease) noexcept {
        if (lease.block) p.UnmapBlock(lease.block);
        if (lease.mapping) p.CloseBlock(lease.mapping);
        lease = BlockLease{};
    }
    template <class P>
    void Forget(P&) noexcept {}
};

// Keeps the last view of the block mapped in this process, so that an ordinary
// message costs one lookup of the target window instead of four kernel calls.
//
// A kept view is only used while the window it names still lives on the same
// thread as when it was mapped. The program holds the block open for as long
// as that window exists, so the view is then known to be the live block; once
// the program has ended (its window is gone), the block is looked up by name
// again exactly as on a first call, and a call while it does not exist passes
// nothing on. No handle to the block is kept, so it ends with the program.
//
// Several threads of a process may run hook calls at once: the view is used
// under a shared lock and replaced only under the exclusive one.
struct CachedAccess {
    SharedBlock* view = nullptr;
    std::uint32_t window = 0;
    std::uint32_t windowThread = 0;
    // The block exists but this process may not open it (lower integrity,
    // another user): that does not change while the process lives, so it is
    // not asked again on every message.
    bool denied = false;

    template <class P>
    BlockLease Acquire(P& p) noexcept {
        BlockLease lease;
        p.LockShared();
        if (denied) {
            p.UnlockShared();
            lease.denied = true;
            return lease;
        }
        if (view) {
            const std::uint32_t target = view->targetWindow;
            if (target == window && windowThread != 0 && p.WindowThread(target) == windowThread) {
                lease.exists = true;
                lease.block = view;
                lease.lock = BlockLease::Lock::Shared;
                return lease;
            }
        }
        p.UnlockShared();

        p.LockExclusive();
        void* mapping = p.OpenBlock();
        const bool refused = !mapping && p.OpenDenied();
        SharedBlock* fresh = mapping ? p.MapBlock(mapping) : nullptr;
        if (mapping) p.CloseBlock(mapping);
        Forget(p);
        if (!mapping) {
            denied = refused;
            lease.denied = refused;
            p.UnlockExclusive();
            return lease;
        }
        lease.exists = true;
        if (!fresh) {
            p.UnlockExclusive();
            return lease;
        }
        view = fresh;
        window = fresh->targetWindow;
        windowThread = p.WindowThread(window);
        lease.block = fresh;
        lease.lock = BlockLease::Lock::Exclusive;
        return lease;
    }

    template <class P>
    void Release(P& p, BlockLease& lease) noexcept {
        if (lease.lock == BlockLease::Lock::Shared) p.UnlockShared();
        if (lease.lock == BlockLease::Lock::Exclusive) p.UnlockExclusive();
        lease = BlockLease{};
    }

    // Drops the kept view; the caller holds the exclusive lock or is the last
    // code of the library to run in this process.
    template <class P>
    void Forget(P& p) noexcept {
        if (view) p.UnmapBlock(view);
        view = nullptr;
        window = 0;
        windowThread = 0;
    }
};

// The result of one hook call's work on the block. The platform calls (post,
// mouse_event, class name, CallNextHookEx) run after the block is released.
struct HookOutcome {
    bool passOn = false;          // false: return 1 without calling the next hook
    std::uint32_t ownHook = 0;    // handle for CallNextHookEx (0 if unread; the system ignores it)
    std::uint32_t target = 0;     // where to post
    std::uint32_t message = 0;    // what to post
    HookActions actions;
};

// The frame common to both procedures. `act` runs the rules on the block and is
// called only for HC_ACTION calls that carry a record.
template <class Access, class P, class Act>
HookOutcome RunHookFrame(Access& access, P& p, std::uint32_t HookShare::*ownHook, bool acting,
                         Act act) noexcept {
    HookOutcome out;
    BlockLease lease = access.Acquire(p);
    // A block this process may not open still belongs to a running program:
    // the other programs' hooks here must go on working.
    out.passOn = lease.denied;
    if (!lease.exists) return out;
    out.passOn = true;
    if (lease.block) {
        SharedBlock& block = *lease.block;
        out.ownHook = block.*ownHook;
        if (acting) {
            out.actions = act(block);
            out.target = block.targetWindow;
            out.message = block.notifyMessage;
        }
    }
    access.Release(p, lease);
    return out;
}

}  // namespace tdx::hook
