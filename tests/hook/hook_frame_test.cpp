// The exports' steps and the frame of a hook call, on a platform that keeps
// named blocks like the system does (a name lives while a handle is open, a
// view outlives the name) and that can be made to fail at every step.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <type_traits>
#include <vector>

#include "hook/hook_frame.h"

namespace tdx::hook {
namespace {

class FakePlatform {
public:
    // Blocks are never freed here, so a view of a block whose name is gone
    // stays readable, as a mapped view does.
    std::deque<HookShare> blocks;
    int named = -1;  // index of the block that carries the name, -1: none
    std::map<int, int> handlesOf;
    std::map<void*, int> handles;  // open handle -> block
    std::map<const void*, int> views;  // mapped view -> count
    int nextHandle = 1;

    bool failCreate = false, failMap = false, denyOpen = false;
    bool failHook[2] = {false, false};
    std::uint32_t nextHook = 0x100;
    std::vector<std::uint32_t> installed, unhooked;
    int unhookResult = 1;

    std::map<std::uint32_t, std::uint32_t> windowThreads;
    int opens = 0, maps = 0, windowLookups = 0;
    int shared = 0, exclusive = 0;

    void* CreateBlock() noexcept {
        if (failCreate) return nullptr;
        if (named < 0) {
            blocks.push_back(HookShare{});
            named = static_cast<int>(blocks.size()) - 1;
        }
        return NewHandle();
    }
    void* OpenBlock() noexcept {
        ++opens;
        return named < 0 || denyOpen ? nullptr : NewHandle();
    }
    bool OpenDenied() noexcept { return named >= 0 && denyOpen; }
    SharedBlock* MapBlock(void* mapping) noexcept {
        EXPECT_TRUE(handles.count(mapping));
        ++maps;
        if (failMap) return nullptr;
        SharedBlock* v = &blocks[handles.at(mapping)];
        ++views[const_cast<const HookShare*>(v)];
        return v;
    }
    void UnmapBlock(SharedBlock* view) noexcept {
        auto it = views.find(const_cast<const HookShare*>(view));
        ASSERT_NE(it, views.end());
        if (--it->second == 0) views.erase(it);
    }
    void CloseBlock(void* mapping) noexcept {
        auto it = handles.find(mapping);
        ASSERT_NE(it, handles.end());
        const int block = it->second;
        handles.erase(it);
        if (--handlesOf[block] == 0 && block == named) named = -1;  // the name goes with the last handle
    }
    std::uint32_t InstallHook(HookKind kind) noexcept {
        if (failHook[static_cast<int>(kind)]) return 0;
        installed.push_back(nextHook);
        return nextHook++;
    }
    int Unhook(std::uint32_t hook) noexcept {
        unhooked.push_back(hook);
        return unhookResult;
    }
    std::uint32_t WindowThread(std::uint32_t window) noexcept {
        ++windowLookups;
        auto it = windowThreads.find(window);
        return it == windowThreads.end() ? 0 : it->second;
    }
    void LockShared() noexcept {
        EXPECT_EQ(exclusive, 0);
        ++shared;
    }
    void UnlockShared() noexcept {
        EXPECT_GT(shared, 0);
        --shared;
    }
    void LockExclusive() noexcept {
        EXPECT_EQ(shared, 0);
        EXPECT_EQ(exclusive, 0);
        ++exclusive;
    }
    void UnlockExclusive() noexcept {
        EXPECT_EQ(exclusive, 1);
        --exclusive;
    }

    int OpenHandles() const { return static_cast<int>(handles.size()); }
    int MappedViews() const {
        int n = 0;
        for (auto& [v, c] : views) n += c;
        return n;
    }

private:
    void* NewHandle() {
        void* h = reinterpret_cast<void*>(static_cast<std::uintptr_t>(nextHandle++));
        handles[h] = named;
        ++handlesOf[named];
        return h;
    }
};

// ---- SetHook, SetConfig, RemoveHook ----------------------------------------

TEST(InstallHooks, CreatesTheBlockInstallsBothHooksAndFillsTheBlock) {
    FakePlatform p;
    Installation inst;
    ASSERT_EQ(InstallHooks(p, inst, 0xABCD, 0x07E9), 1);
    ASSERT_NE(inst.view, nullptr);
    const HookShare& b = p.blocks.at(0);
    EXPECT_EQ(b.getMsgHook, 0x100u);
    EXPECT_EQ(b.callWndHook, 0x101u);
    EXPECT_EQ(b.targetWindow, 0xABCDu);
    EXPECT_EQ(b.notifyMessage, 0x07E9u);
    EXPECT_EQ(b.mouseMode, 0);
    EXPECT_EQ(b.dosKeyEnabled, 0u);
    EXPECT_EQ(p.OpenHandles(), 1);  // kept for the life of the process
    EXPECT_EQ(p.MappedViews(), 1);
}

TEST(InstallHooks, AnExistingBlockKeepsItsConfigurationButLosesHalfDoneGestures) {
    FakePlatform p;
    Installation other;
    ASSERT_EQ(InstallHooks(p, other, 1, 2), 1);
    p.blocks[0].mouseMode = 3;
    p.blocks[0].dosKeyEnabled = 1;
    p.blocks[0].buttonHeld = 1;
    p.blocks[0].swallowUp = 1;
    Installation inst;
    ASSERT_EQ(InstallHooks(p, inst, 0x55, 0x07E9), 1);
    EXPECT_EQ(p.blocks.size(), 1u);
    EXPECT_EQ(p.blocks[0].mouseMode, 3);
    EXPECT_EQ(p.blocks[0].dosKeyEnabled, 1u);
    EXPECT_EQ(p.blocks[0].buttonHeld, 0u);
    EXPECT_EQ(p.blocks[0].swallowUp, 0u);
    EXPECT_EQ(p.blocks[0].targetWindow, 0x55u);
}

TEST(InstallHooks, CalledAgainReusesTheViewItHolds) {
    FakePlatform p;
    Installation inst;
    ASSERT_EQ(InstallHooks(p, inst, 1, 0x07E9), 1);
    RemoveHooks(p, inst);
    ASSERT_EQ(InstallHooks(p, inst, 2, 0x07E9), 1);
    EXPECT_EQ(p.OpenHandles(), 1);
    EXPECT_EQ(p.MappedViews(), 1);
    EXPECT_EQ(p.blocks[0].targetWindow, 2u);
}

TEST(InstallHooks, NoBlockOrNoViewMeansNothingInstalled) {
    {
        FakePlatform p;
        p.failCreate = true;
        Installation inst;
        EXPECT_EQ(InstallHooks(p, inst, 1, 0x07E9), 0);
        EXPECT_TRUE(p.installed.empty());
        EXPECT_EQ(inst.view, nullptr);
    }
    {
        FakePlatform p;
        p.failMap = true;
        Installation inst;
        EXPECT_EQ(InstallHooks(p, inst, 1, 0x07E9), 0);
        EXPECT_TRUE(p.installed.empty());
        EXPECT_EQ(p.OpenHandles(), 0);
        EXPECT_EQ(p.named, -1);  // the block is gone with its only handle
    }
}

TEST(InstallHooks, AHookThatCannotBeInstalledLeavesNoneAndLetsTheBlockGo) {
    for (int failing : {0, 1}) {
        SCOPED_TRACE(failing);
        FakePlatform p;
        p.failHook[failing] = true;
        Installation inst;
        EXPECT_EQ(InstallHooks(p, inst, 0x77, 0x07E9), 0);
        EXPECT_EQ(p.unhooked, p.installed);  // whatever was installed is removed again
        EXPECT_EQ(p.OpenHandles(), 0);
        EXPECT_EQ(p.MappedViews(), 0);
        EXPECT_EQ(inst.view, nullptr);
        EXPECT_NE(p.blocks[0].targetWindow, 0x77u);

        // Afterwards the block is not touched and nothing is unhooked.
        p.unhooked.clear();
        Configure(inst, 1, 3);
        EXPECT_EQ(RemoveHooks(p, inst), 0);
        EXPECT_TRUE(p.unhooked.empty());
        EXPECT_EQ(p.blocks[0].mouseMode, 0);
    }
}

TEST(Configure, WritesModeAndOnlyBitZeroOfTheFlags) {
    FakePlatform p;
    Installation inst;
    Configure(inst, 1, 2);  // before SetHook: no view, nothing to do
    ASSERT_EQ(InstallHooks(p, inst, 1, 0x07E9), 1);
    EXPECT_EQ(p.blocks[0].mouseMode, 0);
    Configure(inst, 3, 2);
    EXPECT_EQ(p.blocks[0].mouseMode, 2);
    EXPECT_EQ(p.blocks[0].dosKeyEnabled, 1u);
    Configure(inst, 2, 0);
    EXPECT_EQ(p.blocks[0].mouseMode, 0);
    EXPECT_EQ(p.blocks[0].dosKeyEnabled, 0u);
    Configure(inst, -1, 1);
    EXPECT_EQ(p.blocks[0].dosKeyEnabled, 1u);
}

TEST(RemoveHooks, UnhooksBothInOrderAndReturnsTheSecondResult) {
    FakePlatform p;
    Installation inst;
    EXPECT_EQ(RemoveHooks(p, inst), 0);  // nothing installed by this process
    EXPECT_TRUE(p.unhooked.empty());
    ASSERT_EQ(InstallHooks(p, inst, 1, 0x07E9), 1);
    p.unhookResult = 7;
    EXPECT_EQ(RemoveHooks(p, inst), 7);
    EXPECT_EQ(p.unhooked, (std::vector<std::uint32_t>{0x100, 0x101}));
    EXPECT_EQ(p.OpenHandles(), 1);  // view and handle stay until the process ends

    // A second program wrote its own hooks into the block: removing ours
    // must leave them installed.
    Installation second;
    ASSERT_EQ(InstallHooks(p, second, 2, 0x07E9), 1);
    p.unhooked.clear();
    RemoveHooks(p, inst);
    EXPECT_EQ(p.unhooked, (std::vector<std::uint32_t>{0x100, 0x101}));
}

// The 32-bit companion: its hooks go in beside the program's, on the
// program's block, which keeps naming the program's hooks and settings; no
// block, no hooks; a failing second hook takes the first with it.
TEST(InstallCompanionHooks, JoinsTheProgramsBlockWithoutRewritingIt) {
    FakePlatform p;
    Installation companion;
    EXPECT_EQ(InstallCompanionHooks(p, companion), 0) << "the program is not running";
    EXPECT_TRUE(p.installed.empty());

    Installation program;
    ASSERT_EQ(InstallHooks(p, program, 0xABCD, 0x07E9), 1);
    Configure(program, 1, 2);
    const HookShare before = const_cast<const HookShare&>(*program.view);
    p.failHook[1] = true;
    EXPECT_EQ(InstallCompanionHooks(p, companion), 0);
    EXPECT_EQ(p.unhooked, (std::vector<std::uint32_t>{0x102}));
    EXPECT_EQ(companion.view, nullptr);
    p.failHook[1] = false;

    ASSERT_EQ(InstallCompanionHooks(p, companion), 1);
    const HookShare after = const_cast<const HookShare&>(*program.view);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof(HookShare)), 0);
    EXPECT_EQ(companion.view, program.view);
    p.unhooked.clear();
    RemoveHooks(p, companion);
    EXPECT_EQ(p.unhooked, (std::vector<std::uint32_t>{companion.getMsgHook, companion.callWndHook}));
    EXPECT_NE(companion.getMsgHook, program.view->getMsgHook);
}

// Calls the system runs in the installing process for another process's
// window: the program acts on them until the companion says its hooks are in
// and again after it ended; the companion always leaves them to the program's
// hooks; in-context calls and processes that installed nothing are never left.
TEST(LeftToOtherHooks, FollowsWhetherTheOtherLibrarysHooksAreInstalled) {
    FakePlatform p;
    Installation program;
    ASSERT_EQ(InstallHooks(p, program, 0xABCD, 0x07E9), 1);
    EXPECT_FALSE(LeftToOtherHooks(program, true)) << "no companion yet";
    NoteCompanionHooks(program, true);
    EXPECT_TRUE(LeftToOtherHooks(program, true));
    EXPECT_FALSE(LeftToOtherHooks(program, false)) << "its own windows";
    NoteCompanionHooks(program, false);
    EXPECT_FALSE(LeftToOtherHooks(program, true)) << "the companion ended";

    Installation companion;
    ASSERT_EQ(InstallCompanionHooks(p, companion), 1);
    EXPECT_TRUE(LeftToOtherHooks(companion, true));
    EXPECT_FALSE(LeftToOtherHooks(companion, false));

    Installation injected;  // the library in any other process
    NoteCompanionHooks(injected, true);
    EXPECT_FALSE(LeftToOtherHooks(injected, true));

    // Installing again in the program keeps what the companion said.
    NoteCompanionHooks(program, true);
    ASSERT_EQ(InstallHooks(p, program, 0xABCD, 0x07E9), 1);
    EXPECT_TRUE(LeftToOtherHooks(program, true));
}

// ---- The frame of a hook call, both ways of reaching the block --------------

template <class Access>
class HookFrame : public ::testing::Test {
protected:
    FakePlatform p;
    Access access{};
    int acted = 0;

    HookOutcome Call(bool acting, std::uint32_t HookShare::*own = &HookShare::getMsgHook) {
        return RunHookFrame(access, p, own, acting, [this](SharedBlock& b) {
            ++acted;
            b.buttonHeld = 1;
            HookActions a;
            a.postGesture = true;
            return a;
        });
    }
    void StartProgram(Installation& inst, std::uint32_t window, std::uint32_t thread) {
        p.windowThreads[window] = thread;
        ASSERT_EQ(InstallHooks(p, inst, window, 0x07E9), 1);
    }
    void EndProgram(Installation& inst, std::uint32_t window) {
        p.windowThreads.erase(window);
        ReleaseInstallation(p, inst);
    }
};

using Accesses = ::testing::Types<PerCallAccess, CachedAccess>;
TYPED_TEST_SUITE(HookFrame, Accesses);

TYPED_TEST(HookFrame, WithoutTheBlockNothingIsPassedOn) {
    const HookOutcome out = this->Call(true);
    EXPECT_FALSE(out.passOn);
    EXPECT_EQ(this->acted, 0);
    EXPECT_EQ(this->p.OpenHandles(), 0);
    EXPECT_EQ(this->p.shared + this->p.exclusive, 0);
}

TYPED_TEST(HookFrame, AViewThatCannotBeMappedPassesTheMessageOnUntouched) {
    Installation inst;
    this->StartProgram(inst, 0x10, 5);
    this->p.failMap = true;
    const HookOutcome out = this->Call(true);
    EXPECT_TRUE(out.passOn);
    EXPECT_EQ(out.ownHook, 0u);
    EXPECT_EQ(this->acted, 0);
    EXPECT_FALSE(out.actions.postGesture);
    EXPECT_EQ(this->p.OpenHandles(), 1);  // only the program's own
    EXPECT_EQ(this->p.shared + this->p.exclusive, 0);
}

TYPED_TEST(HookFrame, ReadsItsOwnHookAndActsOnlyOnActionCalls) {
    Installation inst;
    this->StartProgram(inst, 0x10, 5);
    HookOutcome out = this->Call(false, &HookShare::callWndHook);
    EXPECT_TRUE(out.passOn);
    EXPECT_EQ(out.ownHook, 0x101u);
    EXPECT_EQ(this->acted, 0);
    EXPECT_EQ(this->p.blocks[0].buttonHeld, 0u);

    out = this->Call(true);
    EXPECT_TRUE(out.passOn);
    EXPECT_EQ(out.ownHook, 0x100u);
    EXPECT_EQ(this->acted, 1);
    EXPECT_TRUE(out.actions.postGesture);
    EXPECT_EQ(out.target, 0x10u);
    EXPECT_EQ(out.message, 0x07E9u);
    EXPECT_EQ(this->p.blocks[0].buttonHeld, 1u);  // written into the shared block
    EXPECT_EQ(this->p.OpenHandles(), 1);
    EXPECT_EQ(this->p.shared + this->p.exclusive, 0);
}

// Processes of lower integrity or of another user see the block but may not
// open it: the message still goes on to the next hook, untouched.
TYPED_TEST(HookFrame, ABlockThisProcessMayNotOpenPassesOnWithoutActing) {
    Installation inst;
    this->StartProgram(inst, 0x10, 5);
    this->p.denyOpen = true;
    for (int i = 0; i < 3; ++i) {
        const HookOutcome out = this->Call(true);
        EXPECT_TRUE(out.passOn);
        EXPECT_EQ(out.ownHook, 0u);
    }
    EXPECT_EQ(this->acted, 0);
    EXPECT_EQ(this->p.OpenHandles(), 1);  // only the program's own
    EXPECT_EQ(this->p.shared + this->p.exclusive, 0);
    // The kept access asks the system once and remembers the refusal.
    if (std::is_same_v<TypeParam, CachedAccess>) {
        EXPECT_EQ(this->p.opens, 1);
    }
}

TYPED_TEST(HookFrame, AfterTheProgramEndsNothingIsPassedOnAndNothingIsKept) {
    Installation inst;
    this->StartProgram(inst, 0x10, 5);
    EXPECT_TRUE(this->Call(true).passOn);
    this->EndProgram(inst, 0x10);
    const int acted = this->acted;
    EXPECT_FALSE(this->Call(true).passOn);
    EXPECT_EQ(this->acted, acted);
    EXPECT_EQ(this->p.MappedViews(), 0);
    EXPECT_EQ(this->p.OpenHandles(), 0);
}

// The program ends and starts again while this process keeps the library:
// the calls must reach the new block, not the one the process saw before.
TYPED_TEST(HookFrame, ARestartedProgramIsFollowedToItsNewBlock) {
    Installation first;
    this->StartProgram(first, 0x10, 5);
    Configure(first, 0, 1);
    EXPECT_EQ(this->Call(true).target, 0x10u);
    this->EndProgram(first, 0x10);

    Installation second;
    this->StartProgram(second, 0x20, 6);
    Configure(second, 1, 3);
    ASSERT_EQ(this->p.blocks.size(), 2u);
    const HookOutcome out = this->Call(true);
    EXPECT_EQ(out.target, 0x20u);
    EXPECT_EQ(out.ownHook, this->p.blocks[1].getMsgHook);
    EXPECT_EQ(this->p.blocks[1].buttonHeld, 1u);
    EXPECT_EQ(this->p.blocks[0].buttonHeld, 1u);  // from the first call only
    EXPECT_LE(this->p.MappedViews(), 2);          // the program's own view and at most one kept
}

// Same, but the new program's window got the old window's handle value.
TYPED_TEST(HookFrame, AReusedWindowHandleOnAnotherThreadIsNotTrusted) {
    Installation first;
    this->StartProgram(first, 0x10, 5);
    this->Call(true);
    this->EndProgram(first, 0x10);
    Installation second;
    this->StartProgram(second, 0x10, 9);
    this->p.blocks[1].notifyMessage = 0x1234;
    EXPECT_EQ(this->Call(true).message, 0x1234u);
}

TYPED_TEST(HookFrame, ANewTargetWindowInTheSameBlockIsSeen) {
    Installation inst;
    this->StartProgram(inst, 0x10, 5);
    this->Call(true);
    RemoveHooks(this->p, inst);
    this->StartProgram(inst, 0x30, 5);
    EXPECT_EQ(this->Call(true).target, 0x30u);
}

// ---- What keeping the view saves --------------------------------------------

TEST(CachedAccess, AWarmCallOpensNothingAndTakesOnlyTheSharedLock) {
    FakePlatform p;
    CachedAccess access;
    Installation inst;
    p.windowThreads[0x10] = 5;
    ASSERT_EQ(InstallHooks(p, inst, 0x10, 0x07E9), 1);
    auto noop = [](SharedBlock&) { return HookActions{}; };
    RunHookFrame(access, p, &HookShare::getMsgHook, true, noop);
    const int opens = p.opens, maps = p.maps;
    for (int i = 0; i < 100; ++i) {
        BlockLease lease = access.Acquire(p);
        EXPECT_EQ(lease.lock, BlockLease::Lock::Shared);
        EXPECT_EQ(p.shared, 1);
        access.Release(p, lease);
    }
    EXPECT_EQ(p.opens, opens);
    EXPECT_EQ(p.maps, maps);
    EXPECT_EQ(p.OpenHandles(), 1);
    EXPECT_EQ(p.MappedViews(), 2);
    access.Forget(p);
    EXPECT_EQ(p.MappedViews(), 1);
}

TEST(CachedAccess, ATargetThatIsNoWindowIsLookedUpByNameEveryTime) {
    // Between installing the hooks and writing the target, the block names no
    // window: each call must go to the block by name, and no view piles up.
    FakePlatform p;
    CachedAccess access;
    Installation inst;
    ASSERT_EQ(InstallHooks(p, inst, 0, 0x07E9), 1);
    auto noop = [](SharedBlock&) { return HookActions{}; };
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(RunHookFrame(access, p, &HookShare::getMsgHook, true, noop).passOn);
    EXPECT_EQ(p.opens, 5);
    EXPECT_EQ(p.MappedViews(), 2);
    EXPECT_EQ(p.OpenHandles(), 1);
}

}  // namespace
}  // namespace tdx::hook
