// The gesture and activation rules, cell by cell, and the sequences that a
// real click produces through both procedures.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "hook/gesture.h"

namespace tdx::hook {
namespace {

constexpr std::uintptr_t kBoth = kMkLButton | kMkRButton;
constexpr std::uint32_t kMouseMove = 0x0200;
constexpr std::uint32_t kHitNowhere = 0;
constexpr std::uint32_t kHitCaption = 2;
constexpr std::uint32_t kHitMenu = 5;
constexpr std::uint32_t kHitVScroll = 7;
constexpr std::uint32_t kHitBottomBorder = 15;
constexpr std::uint32_t kHitError = 0xFFFE;  // HTERROR (-2) in the low word

std::uintptr_t SetCursorParam(std::uint32_t hit, std::uint32_t mouseMessage) {
    return static_cast<std::uintptr_t>(hit & 0xFFFF) | (static_cast<std::uintptr_t>(mouseMessage) << 16);
}

HookShare Block(std::int32_t mode, std::uint32_t held, std::uint32_t swallow) {
    HookShare b{};
    b.getMsgHook = 0x1111;
    b.callWndHook = 0x2222;
    b.targetWindow = 0x3333;
    b.notifyMessage = 0x07E9;
    b.mouseMode = mode;
    b.dosKeyEnabled = 1;
    b.buttonHeld = held;
    b.swallowUp = swallow;
    return b;
}

// One cell of a table: the state before, the input, and what must follow.
struct Cell {
    std::int32_t mode;
    std::uint32_t message;
    std::uintptr_t param;  // wParam for GHookProc, the WM_SETCURSOR lParam for SHookProc
    std::uint32_t held, swallow;
    bool post, release, discard;
    std::uint32_t heldAfter, swallowAfter;
};

std::string Describe(const Cell& c) {
    return "mode " + std::to_string(c.mode) + " message 0x" + std::to_string(c.message) + " param " +
           std::to_string(c.param) + " held " + std::to_string(c.held) + " swallow " +
           std::to_string(c.swallow);
}

void ExpectCell(const Cell& c, const HookActions& a, const HookShare& b) {
    SCOPED_TRACE(Describe(c));
    EXPECT_EQ(a.postGesture, c.post);
    EXPECT_EQ(a.releaseRightButton, c.release);
    EXPECT_EQ(a.discard, c.discard);
    EXPECT_FALSE(a.reportActivation);
    EXPECT_EQ(b.buttonHeld, c.heldAfter);
    EXPECT_EQ(b.swallowUp, c.swallowAfter);
    // The rules never touch the fields that SetHook and SetConfig own.
    EXPECT_EQ(b.mouseMode, c.mode);
    EXPECT_EQ(b.getMsgHook, 0x1111u);
    EXPECT_EQ(b.targetWindow, 0x3333u);
}

void RunRetrieved(const std::vector<Cell>& cells) {
    for (const Cell& c : cells) {
        HookShare b = Block(c.mode, c.held, c.swallow);
        const HookActions a = OnRetrievedMessage(b, c.message, c.param);
        ExpectCell(c, a, b);
    }
}

void RunSetCursor(const std::vector<Cell>& cells) {
    for (const Cell& c : cells) {
        HookShare b = Block(c.mode, c.held, c.swallow);
        const HookActions a = OnSentMessage(b, msg::kSetCursor, 0, c.param);
        ExpectCell(c, a, b);
    }
}

// A cell where nothing may happen, checked from both flag states so that a
// stray set and a stray clear are both seen.
void AddNothing(std::vector<Cell>& cells, std::int32_t mode, std::uint32_t message, std::uintptr_t param) {
    cells.push_back({mode, message, param, 0, 0, false, false, false, 0, 0});
    cells.push_back({mode, message, param, 1, 1, false, false, false, 1, 1});
}

const std::uint32_t kButtonMessages[] = {msg::kLButtonDown, msg::kLButtonUp,  msg::kLButtonDblClk,
                                         msg::kRButtonDown, msg::kRButtonUp,  msg::kRButtonDblClk,
                                         msg::kMButtonDown, msg::kMButtonUp,  msg::kMButtonDblClk,
                                         kMouseMove,        msg::kSetCursor,  msg::kActivate};

// ---- GHookProc: client-area messages ------------------------------------

TEST(RetrievedMessageRules, ModesWithoutAGestureDoNothing) {
    std::vector<Cell> cells;
    for (std::int32_t mode : {0, 4, -1, 0x7FFFFFFF})
        for (std::uint32_t m : kButtonMessages)
            for (std::uintptr_t w : {std::uintptr_t{0}, kBoth}) AddNothing(cells, mode, m, w);
    RunRetrieved(cells);
}

TEST(RetrievedMessageRules, LeftThenRight) {
    std::vector<Cell> cells = {
        // The right press completes the gesture when the left button is down.
        {1, msg::kRButtonDown, kBoth, 1, 0, true, false, true, 0, 1},
        {1, msg::kRButtonDown, kMkLButton, 0, 0, true, false, true, 0, 1},
        // A right press alone passes unchanged.
        {1, msg::kRButtonDown, kMkRButton, 1, 0, false, false, false, 1, 0},
        {1, msg::kRButtonDown, 0, 0, 1, false, false, false, 0, 1},
        // The right release after a gesture is eaten once.
        {1, msg::kRButtonUp, 0, 1, 1, false, false, true, 1, 0},
        {1, msg::kRButtonUp, kMkLButton, 0, 1, false, false, true, 0, 0},
        // The left release ends a held left button and is never eaten.
        {1, msg::kLButtonUp, 0, 1, 1, false, false, false, 0, 1},
        {1, msg::kLButtonUp, 0, 0, 0, false, false, false, 0, 0},
    };
    cells.push_back({1, msg::kRButtonUp, 0, 0, 0, false, false, false, 0, 0});
    cells.push_back({1, msg::kRButtonUp, 0, 1, 0, false, false, false, 1, 0});
    for (std::uint32_t m : {msg::kLButtonDown, msg::kMButtonDown, msg::kMButtonUp, msg::kLButtonDblClk,
                            msg::kRButtonDblClk, msg::kMButtonDblClk, kMouseMove})
        AddNothing(cells, 1, m, kBoth);
    RunRetrieved(cells);
}

TEST(RetrievedMessageRules, RightThenLeft) {
    std::vector<Cell> cells = {
        // The left press completes it when the right button is down; the right
        // button is reported released first and no up is marked for eating.
        {2, msg::kLButtonDown, kBoth, 1, 0, true, true, true, 0, 0},
        {2, msg::kLButtonDown, kMkRButton, 0, 0, true, true, true, 0, 0},
        {2, msg::kLButtonDown, kMkRButton, 1, 1, true, true, true, 0, 1},
        // A left press alone passes.
        {2, msg::kLButtonDown, kMkLButton, 1, 0, false, false, false, 1, 0},
        // A left release eats only a mark left by another mode.
        {2, msg::kLButtonUp, 0, 1, 1, false, false, true, 1, 0},
        {2, msg::kLButtonUp, 0, 1, 0, false, false, false, 1, 0},
        // The right release clears the held button and passes.
        {2, msg::kRButtonUp, 0, 1, 1, false, false, false, 0, 1},
        {2, msg::kRButtonUp, 0, 0, 0, false, false, false, 0, 0},
    };
    for (std::uint32_t m : {msg::kRButtonDown, msg::kMButtonDown, msg::kMButtonUp, msg::kLButtonDblClk,
                            msg::kRButtonDblClk, msg::kMButtonDblClk, kMouseMove})
        AddNothing(cells, 2, m, kBoth);
    RunRetrieved(cells);
}

TEST(RetrievedMessageRules, Middle) {
    std::vector<Cell> cells = {
        {3, msg::kMButtonDown, 0, 1, 0, true, false, true, 0, 1},
        {3, msg::kMButtonDown, kBoth, 0, 1, true, false, true, 0, 1},
        {3, msg::kMButtonUp, 0, 1, 1, false, false, true, 1, 0},
        {3, msg::kMButtonUp, 0, 0, 0, false, false, false, 0, 0},
    };
    for (std::uint32_t m : {msg::kLButtonDown, msg::kLButtonUp, msg::kRButtonDown, msg::kRButtonUp,
                            msg::kLButtonDblClk, msg::kRButtonDblClk, msg::kMButtonDblClk, kMouseMove})
        AddNothing(cells, 3, m, kBoth);
    RunRetrieved(cells);
}

// ---- SHookProc: WM_SETCURSOR over non-client and client areas -------------

const std::uint32_t kNonClientHits[] = {kHitNowhere, kHitCaption, kHitMenu, kHitVScroll, kHitBottomBorder,
                                        kHitError};

TEST(SetCursorRules, NonClientLeftThenRight) {
    for (std::uint32_t hit : kNonClientHits) {
        SCOPED_TRACE("hit " + std::to_string(hit));
        std::vector<Cell> cells = {
            {1, 0, SetCursorParam(hit, msg::kLButtonDown), 0, 0, false, false, false, 1, 0},
            {1, 0, SetCursorParam(hit, msg::kLButtonUp), 1, 1, false, false, false, 0, 1},
            {1, 0, SetCursorParam(hit, msg::kRButtonDown), 1, 0, true, false, false, 0, 0},
            {1, 0, SetCursorParam(hit, msg::kRButtonDown), 1, 1, true, false, false, 0, 1},
            {1, 0, SetCursorParam(hit, msg::kRButtonDown), 0, 0, false, false, false, 0, 0},
        };
        for (std::uint32_t m : {msg::kRButtonUp, msg::kMButtonDown, msg::kMButtonUp, kMouseMove,
                                msg::kLButtonDblClk, msg::kRButtonDblClk})
            AddNothing(cells, 1, 0, SetCursorParam(hit, m));
        RunSetCursor(cells);
    }
}

TEST(SetCursorRules, NonClientRightThenLeft) {
    for (std::uint32_t hit : kNonClientHits) {
        SCOPED_TRACE("hit " + std::to_string(hit));
        std::vector<Cell> cells = {
            {2, 0, SetCursorParam(hit, msg::kRButtonDown), 0, 0, false, false, false, 1, 0},
            {2, 0, SetCursorParam(hit, msg::kRButtonUp), 1, 1, false, false, false, 0, 1},
            // No right release is reported here: that is done only over client areas.
            {2, 0, SetCursorParam(hit, msg::kLButtonDown), 1, 0, true, false, false, 0, 0},
            {2, 0, SetCursorParam(hit, msg::kLButtonDown), 0, 1, false, false, false, 0, 1},
        };
        for (std::uint32_t m : {msg::kLButtonUp, msg::kMButtonDown, msg::kMButtonUp, kMouseMove,
                                msg::kLButtonDblClk})
            AddNothing(cells, 2, 0, SetCursorParam(hit, m));
        RunSetCursor(cells);
    }
}

TEST(SetCursorRules, NonClientMiddleAndNoMode) {
    for (std::uint32_t hit : kNonClientHits) {
        SCOPED_TRACE("hit " + std::to_string(hit));
        std::vector<Cell> cells = {
            // Over non-client areas nothing is eaten and no up is marked.
            {3, 0, SetCursorParam(hit, msg::kMButtonDown), 0, 0, true, false, false, 0, 0},
            {3, 0, SetCursorParam(hit, msg::kMButtonDown), 1, 1, true, false, false, 1, 1},
        };
        for (std::uint32_t m : {msg::kLButtonDown, msg::kLButtonUp, msg::kRButtonDown, msg::kRButtonUp,
                                msg::kMButtonUp, kMouseMove})
            AddNothing(cells, 3, 0, SetCursorParam(hit, m));
        for (std::int32_t mode : {0, 5, -3})
            for (std::uint32_t m : kButtonMessages) AddNothing(cells, mode, 0, SetCursorParam(hit, m));
        RunSetCursor(cells);
    }
}

// Over a client area the queue hook does all the work; in particular the
// WM_SETCURSOR that announces the gesture's right-button-up must leave the
// mark for the up itself (a sent message cannot be eaten by this hook).
TEST(SetCursorRules, ClientAreaLeavesEverythingToTheQueueHook) {
    std::vector<Cell> cells;
    for (std::int32_t mode : {0, 1, 2, 3})
        for (std::uint32_t m : {msg::kLButtonDown, msg::kLButtonUp, msg::kRButtonDown, msg::kRButtonUp,
                                msg::kMButtonDown, msg::kMButtonUp, kMouseMove}) {
            AddNothing(cells, mode, 0, SetCursorParam(kHitClient, m));
            cells.push_back({mode, 0, SetCursorParam(kHitClient, m), 0, 1, false, false, false, 0, 1});
        }
    RunSetCursor(cells);
}

TEST(SentMessageRules, OtherSentMessagesDoNothing) {
    for (std::int32_t mode : {0, 1, 2, 3})
        for (std::uint32_t m : {msg::kLButtonDown, msg::kRButtonDown, msg::kMButtonDown, kMouseMove, 0x0021u,
                                0x0086u, 0x0000u}) {
            HookShare b = Block(mode, 1, 1);
            b.dosKeyEnabled = 0;
            const HookActions a = OnSentMessage(b, m, kBoth, SetCursorParam(kHitCaption, msg::kRButtonDown));
            EXPECT_FALSE(a.postGesture || a.discard || a.releaseRightButton || a.reportActivation) << m;
            EXPECT_EQ(b.buttonHeld, 1u);
            EXPECT_EQ(b.swallowUp, 1u);
        }
}

// ---- Activation reports ---------------------------------------------------

TEST(ActivationRules, ReportedOnlyWhileDosKeyIsOffAndOnlyOnActivation) {
    struct Case {
        std::uint32_t dosKey;
        std::uintptr_t wParam;
        bool report;
    } cases[] = {
        {0, 1, true},            // WA_ACTIVE
        {0, 2, true},            // WA_CLICKACTIVE
        {0, 0x00010001, true},   // active while minimised: only the low word counts
        {0, 0, false},           // WA_INACTIVE
        {0, 0x00010000, false},  // high word set, low word 0
        {1, 1, false},
        {1, 2, false},
    };
    for (std::int32_t mode : {0, 1, 2, 3}) {
        for (const Case& c : cases) {
            HookShare b = Block(mode, 1, 1);
            b.dosKeyEnabled = c.dosKey;
            const HookActions a = OnSentMessage(b, msg::kActivate, c.wParam, 0x12345);
            EXPECT_EQ(a.reportActivation, c.report) << "mode " << mode << " wParam " << c.wParam;
            EXPECT_FALSE(a.postGesture || a.discard);
            EXPECT_EQ(b.buttonHeld, 1u);
            EXPECT_EQ(b.swallowUp, 1u);
        }
    }
    // The queue hook never reports activations.
    HookShare b = Block(0, 0, 0);
    b.dosKeyEnabled = 0;
    EXPECT_FALSE(OnRetrievedMessage(b, msg::kActivate, 1).reportActivation);
}

TEST(ActivationRules, OnlyExactlyTtyIsAConsole) {
    auto notice = [](const char (&name)[5]) { return ActivationNotice(name); };
    EXPECT_EQ(notice({'t', 't', 'y', 0, 0}), kNotifyConsoleActive);
    EXPECT_EQ(notice({'T', 'T', 'Y', 0, 0}), kNotifyOtherActive);
    EXPECT_EQ(notice({'t', 't', 'Y', 0, 0}), kNotifyOtherActive);
    EXPECT_EQ(notice({'t', 't', 'y', 'x', 0}), kNotifyOtherActive);  // "ttyx..." read as four characters
    EXPECT_EQ(notice({'t', 't', 0, 0, 0}), kNotifyOtherActive);
    EXPECT_EQ(notice({0, 0, 0, 0, 0}), kNotifyOtherActive);           // class name could not be read
    EXPECT_EQ(notice({'x', 't', 't', 'y', 0}), kNotifyOtherActive);
}

// ---- Sequences through both procedures ------------------------------------

// Plays the messages a thread sees for one mouse event over a client area:
// the WM_SETCURSOR sent while the event is taken from the queue, then the
// queued message itself.
struct Recorder {
    HookShare block = Block(0, 0, 0);
    int posts = 0;
    int releases = 0;
    std::vector<std::uint32_t> delivered;  // button messages the window receives

    void Client(std::uint32_t message, std::uintptr_t keys, bool withSetCursor = false) {
        if (withSetCursor) Apply(OnSentMessage(block, msg::kSetCursor, 0, SetCursorParam(kHitClient, message)));
        const HookActions a = OnRetrievedMessage(block, message, keys);
        Apply(a);
        if (!a.discard) delivered.push_back(message);
    }
    void NonClient(std::uint32_t message, std::uint32_t hit = kHitCaption) {
        const HookActions a = OnSentMessage(block, msg::kSetCursor, 0, SetCursorParam(hit, message));
        EXPECT_FALSE(a.discard);
        Apply(a);
        delivered.push_back(message);
    }
    void Apply(const HookActions& a) {
        posts += a.postGesture;
        releases += a.releaseRightButton;
    }
};

using Msgs = std::vector<std::uint32_t>;

TEST(GestureSequences, LeftHeldRightClickOverAClientArea) {
    Recorder r;
    r.block.mouseMode = 1;
    // Each button message is announced by a WM_SETCURSOR while it is taken
    // from the queue, as the system does.
    r.Client(msg::kLButtonDown, kMkLButton, true);
    r.Client(msg::kRButtonDown, kBoth, true);
    r.Client(msg::kRButtonUp, kMkLButton, true);
    r.Client(msg::kLButtonUp, 0, true);
    EXPECT_EQ(r.posts, 1);
    EXPECT_EQ(r.delivered, (Msgs{msg::kLButtonDown, msg::kLButtonUp}));
    EXPECT_EQ(r.block.swallowUp, 0u);
    // A following plain right click passes.
    r.Client(msg::kRButtonDown, kMkRButton);
    r.Client(msg::kRButtonUp, 0);
    EXPECT_EQ(r.posts, 1);
    EXPECT_EQ(r.delivered.size(), 4u);
}

// A host that peeks at each message before it takes it: the gesture counts
// once, and the peeked copy looks like what the window is then given.
TEST(GestureSequences, APeekBeforeEachTakeChangesNothing) {
    for (std::int32_t mode : {1, 2, 3}) {
        SCOPED_TRACE(mode);
        Recorder r;
        r.block.mouseMode = mode;
        const std::uint32_t first = mode == 1 ? msg::kLButtonDown : msg::kRButtonDown;
        const std::uint32_t second = mode == 1 ? msg::kRButtonDown : msg::kLButtonDown;
        const std::vector<std::pair<std::uint32_t, std::uintptr_t>> events =
            mode == 3 ? std::vector<std::pair<std::uint32_t, std::uintptr_t>>{{msg::kMButtonDown, 0},
                                                                              {msg::kMButtonUp, 0}}
                      : std::vector<std::pair<std::uint32_t, std::uintptr_t>>{
                            {first, mode == 1 ? kMkLButton : kMkRButton},
                            {second, kBoth},
                            {second + 1, mode == 1 ? kMkLButton : kMkRButton},
                            {first + 1, 0}};
        for (auto [message, keys] : events) {
            const HookShare before = r.block;
            const HookActions peeked = OnRetrievedMessage(r.block, message, keys, false);
            EXPECT_FALSE(peeked.postGesture || peeked.releaseRightButton);
            EXPECT_EQ(r.block.buttonHeld, before.buttonHeld);
            EXPECT_EQ(r.block.swallowUp, before.swallowUp);
            const std::size_t delivered = r.delivered.size();
            r.Client(message, keys);
            EXPECT_EQ(peeked.discard, r.delivered.size() == delivered) << message;
        }
        EXPECT_EQ(r.posts, 1);
    }
}

// The program's own input after a notice: its right-button-up is eaten without
// using up the one meant for the user's real release, and its click stays one
// click even right after the user's own press.
TEST(GestureSequences, TheProgramsMarkedInputLeavesTheGestureStateAlone) {
    Recorder r;
    r.block.mouseMode = 1;
    r.Client(msg::kLButtonDown, kMkLButton);
    r.Client(msg::kRButtonDown, kBoth);
    ASSERT_EQ(r.block.swallowUp, 1u);
    EXPECT_TRUE(OnRetrievedMessage(r.block, msg::kRButtonUp, kMkLButton, true, true).discard);
    EXPECT_EQ(r.block.swallowUp, 1u);
    EXPECT_EQ(OnRetrievedMessage(r.block, msg::kLButtonDblClk, kMkLButton, true, true).replaceWith,
              msg::kLButtonDown);
    EXPECT_EQ(OnRetrievedMessage(r.block, msg::kNcLButtonDblClk, 2, true, true).replaceWith,
              msg::kNcLButtonDown);
    const HookActions up = OnRetrievedMessage(r.block, msg::kLButtonUp, 0, true, true);
    EXPECT_FALSE(up.discard || up.postGesture);
    r.Client(msg::kRButtonUp, kMkLButton);  // the user's real release
    EXPECT_EQ(r.delivered, (Msgs{msg::kLButtonDown}));
    EXPECT_EQ(r.block.swallowUp, 0u);
    EXPECT_EQ(r.posts, 1);
}

// DefWindowProc hands a child's WM_SETCURSOR on to its parent unchanged: only
// the copy sent to the window under the cursor counts.
TEST(GestureSequences, AForwardedSetCursorIsNotCountedAgain) {
    HookShare b = Block(3, 0, 0);
    const std::uintptr_t child = 0x1234, parent = 0x5678;
    const std::uintptr_t param = SetCursorParam(kHitVScroll, msg::kMButtonDown);
    EXPECT_TRUE(OnSentMessage(b, msg::kSetCursor, child, param, child).postGesture);
    EXPECT_FALSE(OnSentMessage(b, msg::kSetCursor, child, param, parent).postGesture);
}

TEST(GestureSequences, RightClickAloneInModeOnePassesUnchanged) {
    Recorder r;
    r.block.mouseMode = 1;
    r.Client(msg::kRButtonDown, kMkRButton, true);
    r.Client(msg::kRButtonUp, 0, true);
    EXPECT_EQ(r.posts, 0);
    EXPECT_EQ(r.delivered, (Msgs{msg::kRButtonDown, msg::kRButtonUp}));
}

TEST(GestureSequences, RightHeldLeftClickOverAClientArea) {
    Recorder r;
    r.block.mouseMode = 2;
    r.Client(msg::kRButtonDown, kMkRButton);
    r.Client(msg::kLButtonDown, kBoth);
    r.Client(msg::kRButtonUp, kMkLButton);  // the release the library reported
    r.Client(msg::kLButtonUp, 0);
    EXPECT_EQ(r.posts, 1);
    EXPECT_EQ(r.releases, 1);
    // Only the completing left press is eaten; its release reaches the window.
    EXPECT_EQ(r.delivered, (Msgs{msg::kRButtonDown, msg::kRButtonUp, msg::kLButtonUp}));
    EXPECT_EQ(r.block.swallowUp, 0u);
}

TEST(GestureSequences, MiddleClickOverAClientAreaIsEatenWhole) {
    Recorder r;
    r.block.mouseMode = 3;
    r.Client(msg::kMButtonDown, 0);
    r.Client(msg::kMButtonUp, 0);
    EXPECT_EQ(r.posts, 1);
    EXPECT_TRUE(r.delivered.empty());
    r.Client(msg::kMButtonDown, 0);
    r.Client(msg::kMButtonUp, 0);
    EXPECT_EQ(r.posts, 2);
    EXPECT_TRUE(r.delivered.empty());
}

TEST(GestureSequences, OverATitleBarNothingIsEaten) {
    for (std::int32_t mode : {1, 2, 3}) {
        Recorder r;
        r.block.mouseMode = mode;
        const std::uint32_t first = mode == 1 ? msg::kLButtonDown : mode == 2 ? msg::kRButtonDown : 0;
        const std::uint32_t second = mode == 1 ? msg::kRButtonDown : mode == 2 ? msg::kLButtonDown : msg::kMButtonDown;
        if (first) r.NonClient(first);
        r.NonClient(second);
        r.NonClient(second + 1);  // its up
        if (first) r.NonClient(first + 1);
        EXPECT_EQ(r.posts, 1) << mode;
        EXPECT_EQ(r.block.buttonHeld, 0u) << mode;
        EXPECT_EQ(r.block.swallowUp, 0u) << mode;
        // The second press alone does not complete another gesture.
        if (first) {
            r.NonClient(second);
            EXPECT_EQ(r.posts, 1) << mode;
        }
    }
}

TEST(GestureSequences, FirstButtonReleasedOverTheClientAreaEndsANonClientHold) {
    Recorder r;
    r.block.mouseMode = 1;
    r.NonClient(msg::kLButtonDown);
    EXPECT_EQ(r.block.buttonHeld, 1u);
    r.Client(msg::kLButtonUp, 0);  // dragged onto the client area and released
    EXPECT_EQ(r.block.buttonHeld, 0u);
    r.NonClient(msg::kRButtonDown);
    EXPECT_EQ(r.posts, 0);

    r.block.mouseMode = 2;
    r.NonClient(msg::kRButtonDown);
    r.Client(msg::kRButtonUp, 0);
    r.NonClient(msg::kLButtonDown);
    EXPECT_EQ(r.posts, 0);
}

TEST(GestureSequences, ModeZeroDoesNothingAnywhere) {
    Recorder r;
    for (std::uint32_t m : {msg::kLButtonDown, msg::kRButtonDown, msg::kRButtonUp, msg::kLButtonUp,
                            msg::kMButtonDown, msg::kMButtonUp}) {
        r.Client(m, kBoth, true);
        r.NonClient(m);
    }
    EXPECT_EQ(r.posts, 0);
    EXPECT_EQ(r.delivered.size(), 12u);
    EXPECT_EQ(r.block.buttonHeld, 0u);
    EXPECT_EQ(r.block.swallowUp, 0u);
}

// SetConfig may change the mode between a gesture's down and up; the marks
// stay and are honoured by whichever rule the new mode has.
TEST(GestureSequences, ModeChangedBetweenDownAndUp) {
    {
        Recorder r;  // mode 1 gesture, then mode 2: the right release passes, the next left release is eaten
        r.block.mouseMode = 1;
        r.Client(msg::kRButtonDown, kBoth);
        r.block.mouseMode = 2;
        r.Client(msg::kRButtonUp, kMkLButton);
        r.Client(msg::kLButtonUp, 0);
        EXPECT_EQ(r.delivered, (Msgs{msg::kRButtonUp}));
        EXPECT_EQ(r.block.swallowUp, 0u);
    }
    {
        Recorder r;  // mode 3 gesture, then mode 0: the middle release passes and the mark stays
        r.block.mouseMode = 3;
        r.Client(msg::kMButtonDown, 0);
        r.block.mouseMode = 0;
        r.Client(msg::kMButtonUp, 0);
        EXPECT_EQ(r.delivered, (Msgs{msg::kMButtonUp}));
        EXPECT_EQ(r.block.swallowUp, 1u);
        r.block.mouseMode = 1;  // ...and eats the next right release of mode 1
        r.Client(msg::kRButtonUp, 0);
        EXPECT_EQ(r.delivered, (Msgs{msg::kMButtonUp}));
    }
    {
        Recorder r;  // a non-client hold survives a change to the mirrored mode
        r.block.mouseMode = 1;
        r.NonClient(msg::kLButtonDown);
        r.block.mouseMode = 2;
        r.NonClient(msg::kLButtonDown);  // held is still 1: completes as mode 2
        EXPECT_EQ(r.posts, 1);
        EXPECT_EQ(r.block.buttonHeld, 0u);
    }
}

}  // namespace
}  // namespace tdx::hook
