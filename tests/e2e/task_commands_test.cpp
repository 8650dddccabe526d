// What the popup does to other programs' windows: a right click minimises or
// closes a task, the entry menu's access keys do the same, close-all leaves a
// hung window behind without waiting for it, and "Windows の終了" asks the
// shell's desktop to close.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "popup/tdx_main_form.h"
#include "support/tiledex_process_win.h"

namespace tdx::test {
namespace {

using namespace std::chrono_literals;

// A press of one button at a screen point with modifier keys held around it.
void ClickAt(int x, int y, DWORD down, DWORD up, std::initializer_list<WORD> modifiers = {}) {
    // The press goes where the pointer is: wait until it has arrived. Wine
    // routes a press without a move to the window it last found under a
    // pointer that stood still while the popup appeared, which may be the
    // popup itself rather than the tray below: the press carries its position.
    MoveMouseTo(x, y);
    WaitUntil([&] {
        POINT at{};
        ::GetCursorPos(&at);
        return at.x == x && at.y == y;
    }, std::chrono::seconds(2));
    ::Sleep(50);
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    std::vector<INPUT> inputs;
    for (WORD vk : modifiers) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        inputs.push_back(in);
    }
    for (DWORD flag : {down, up}) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = static_cast<LONG>((x * 65535LL + width / 2) / (width - 1));
        in.mi.dy = static_cast<LONG>((y * 65535LL + height / 2) / (height - 1));
        in.mi.dwFlags = flag | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        inputs.push_back(in);
    }
    for (WORD vk : modifiers) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

class TaskCommandTest : public ::testing::Test {
protected:
    void StartWithTasks(const std::wstring& options, const std::wstring& tag, int count,
                        bool hang = false) {
        WriteSettingsFile(tiledex.SettingsFolder() / L"tiledex.ini",
                          CodePage932(L"[Option]\r\n" + options));
        tag_ = tag;
        ASSERT_TRUE(tasks.Start(L"task_windows.exe", L"\"" + tag + L"\" " + std::to_wstring(count) +
                                                         (hang ? L" hang" : L"")));
        ASSERT_TRUE(WaitUntil([&] { return TaskWindow(L"1") != nullptr; }));
        ASSERT_TRUE(tiledex.Start());
    }

    HWND TaskWindow(const std::wstring& suffix) const {
        return ::FindWindowW(L"TdxTaskWindow", (tag_ + L" " + suffix).c_str());
    }

    // Screen centre of a tray's cell (7 columns).
    POINT CellCentre(int paintBoxId, int index) const {
        RECT box{};
        ::GetWindowRect(ChildById(tiledex.Popup(), paintBoxId), &box);
        return {box.left + 2 + (index % 7) * 40 + 20, box.top + 2 + (index / 7) * 40 + 20};
    }

    void RightClickCell(int paintBoxId, int index, std::initializer_list<WORD> modifiers = {}) {
        // The popup has the foreground and is past the guard against the press
        // that showed it.
        WaitUntil([&] { return ::GetForegroundWindow() == tiledex.Popup(); });
        ::Sleep(300);
        const POINT p = CellCentre(paintBoxId, index);
        ClickAt(p.x, p.y, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, modifiers);
    }

    HWND EntryMenu() const { return FindProcessWindow(L"#32768", tiledex.ProcessId()); }

    // Under Wine without a window manager, a task activated from another
    // process acts on the X server's focus event for it whenever that
    // arrives: now and then after the popup has taken the foreground back,
    // and the task then holds it for a few dozen milliseconds. A key pressed
    // then would go to the task.
    bool PopupStaysInFront(HWND task) {
        for (int i = 0; i < 2; ++i) ::SendMessageTimeoutW(task, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, nullptr);
        int steady = 0;
        return WaitUntil(
            [&] {
                steady = ::GetForegroundWindow() == tiledex.Popup() ? steady + 1 : 0;
                return steady >= 10;
            },
            5s);
    }

    bool OpenMenuWithSpace() {
        PressKeys({VK_SPACE});
        return WaitUntil([&] { return EntryMenu() && ::IsWindowVisible(EntryMenu()); }, 5s);
    }

    TiledexProcess tiledex;
    HelperProcess tasks;
    std::wstring tag_;
};

TEST_F(TaskCommandTest, RightClicksMinimiseCloseAndCloseEveryTask) {
    StartWithTasks(L"RightClickFlag=1\r\nKeyCursorFlag=1\r\n", L"Right", 3);
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    // The first cell holds the window behind the frontmost.
    ASSERT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"Right 2"; }));

    RightClickCell(kTaskPaintBoxId, 0);
    EXPECT_TRUE(WaitUntil([&] { return ::IsIconic(TaskWindow(L"2")) != FALSE; }));
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == tiledex.Popup(); }))
        << "the popup takes the focus back";
    EXPECT_TRUE(tiledex.PopupVisible());

    RightClickCell(kTaskPaintBoxId, 0, {VK_CONTROL});
    EXPECT_TRUE(WaitUntil([&] { return TaskWindow(L"2") == nullptr; }));
    EXPECT_TRUE(tiledex.PopupVisible()) << "closing one task keeps the popup";
    EXPECT_NE(TaskWindow(L"1"), nullptr);
    EXPECT_FALSE(::IsIconic(TaskWindow(L"3")));

    // Shift+Ctrl on any tray, even on an empty cell of the Program tray.
    RightClickCell(kExecPaintBoxId, 5, {VK_SHIFT, VK_CONTROL});
    EXPECT_TRUE(WaitUntil([&] { return !TaskWindow(L"1") && !TaskWindow(L"3"); }));
}

TEST_F(TaskCommandTest, RightDoubleClickClosesOnceAndTheLastCloseMovesToTheSystemTray) {
    StartWithTasks(L"RightClickFlag=1\r\nKeyCursorFlag=1\r\n", L"Double", 2);
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    ASSERT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"Double 2"; }));

    // The first press minimises, the double-click closes; the press reported for
    // the double-click must not minimise the task that moved into the cell. The
    // double-click is posted as the window system reports it: whether Wine pairs
    // two injected presses depends on its timing, not on the program.
    RightClickCell(kTaskPaintBoxId, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::IsIconic(TaskWindow(L"2")) != FALSE; }));
    ::PostMessageW(ChildById(tiledex.Popup(), kTaskPaintBoxId), WM_RBUTTONDBLCLK, MK_RBUTTON,
                   MAKELPARAM(22, 22));
    ASSERT_TRUE(WaitUntil([&] { return TaskWindow(L"2") == nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"Double 1"; }));
    ::Sleep(500);
    EXPECT_FALSE(::IsIconic(TaskWindow(L"1")));

    // With the Program tray empty the cursor goes on to the System tray.
    RightClickCell(kTaskPaintBoxId, 0, {VK_CONTROL});
    ASSERT_TRUE(WaitUntil([&] { return TaskWindow(L"1") == nullptr; }));
    EXPECT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"マイコンピュータ"; }));
    EXPECT_TRUE(tiledex.PopupVisible());
}

TEST_F(TaskCommandTest, EntryMenuOfATaskMinimisesMaximisesAndCloses) {
    StartWithTasks(L"KeyCursorFlag=1\r\n", L"Menu", 2);
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    ASSERT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"Menu 2"; }));
    HWND task = TaskWindow(L"2");

    ASSERT_TRUE(OpenMenuWithSpace());
    PressKeys({'N'});  // 最少化(&N)
    EXPECT_TRUE(WaitUntil([&] { return ::IsIconic(task) != FALSE; }));
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == tiledex.Popup(); }));

    ASSERT_TRUE(OpenMenuWithSpace());
    PressKeys({'X'});  // 最大化(&X)
    EXPECT_TRUE(WaitUntil([&] { return ::IsZoomed(task) != FALSE; }));
    EXPECT_TRUE(PopupStaysInFront(task));

    ASSERT_TRUE(OpenMenuWithSpace());
    PressKeys({'C'});  // 閉じる(&C)
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(task); }));
    EXPECT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"Menu 1"; }));
    EXPECT_TRUE(tiledex.PopupVisible());

    // 全部閉じる(&K) closes the rest and hides the popup.
    ASSERT_TRUE(OpenMenuWithSpace());
    PressKeys({'K'});
    EXPECT_TRUE(WaitUntil([&] { return TaskWindow(L"1") == nullptr; }));
    EXPECT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }));
}

TEST_F(TaskCommandTest, CloseAllLeavesAHungWindowAndClosesTheOthers) {
    // Left over a cell where the popup opens, the pointer would move the
    // cursor off the first entry before the name is read.
    MouseRest mouse;
    ASSERT_TRUE(mouse.Ready());
    StartWithTasks(L"KeyCursorFlag=1\r\n", L"Stuck", 3, true);
    HWND hung = TaskWindow(L"hung");
    ASSERT_NE(hung, nullptr);
    // Second from the front, so the hung window is the first entry of the list.
    ::SetWindowPos(hung, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SetWindowPos(TaskWindow(L"1"), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::PostMessageW(hung, WM_APP, 0, 0);
    ::Sleep(200);
    DWORD_PTR ignored = 0;
    ASSERT_FALSE(::SendMessageTimeoutW(hung, WM_NULL, 0, 0, SMTO_BLOCK, 300, &ignored));

    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    ASSERT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"Stuck hung"; }));
    RightClickCell(kExecPaintBoxId, 0, {VK_SHIFT, VK_CONTROL});
    // The hung window sleeps for a minute: an unbounded request would still be
    // waiting for it long after this.
    EXPECT_TRUE(WaitUntil([&] {
        return !TaskWindow(L"1") && !TaskWindow(L"2") && !TaskWindow(L"3");
    }, 20s));
    EXPECT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }, 20s));
    EXPECT_TRUE(tiledex.ShowPopupByHotKey()) << "the program answers again";
}

// The shell's desktop, as far as the shut-down request goes (Wine has none).
struct ShellDesktop {
    static inline bool closed = false;
    static inline bool popupVisibleThen = true;
    static inline HWND popup = nullptr;

    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_CLOSE) {
            closed = true;
            popupVisibleThen = ::IsWindowVisible(popup) != FALSE;
            return 0;  // the real shell answers with its own dialog
        }
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }
};

TEST_F(TaskCommandTest, ExitAsksTheShellsDesktopToCloseOnceThePopupIsHidden) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ShellDesktop::Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ProgMan";
    ASSERT_TRUE(::RegisterClassW(&wc));
    HWND desktop = ::CreateWindowExW(0, L"ProgMan", L"Program Manager", WS_POPUP, 0, 0, 1, 1,
                                     nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(desktop, nullptr);

    StartWithTasks(L"", L"Exit", 1);
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    ShellDesktop::popup = tiledex.Popup();
    // "Windows の終了" is the seventh System entry.
    ::Sleep(200);
    const POINT exit = CellCentre(kSysPaintBoxId, 6);
    MoveMouseTo(exit.x, exit.y);
    ::Sleep(100);
    ASSERT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"Windows の終了"; }));
    LeftClickAt(exit.x, exit.y);
    EXPECT_TRUE(WaitUntil([&] { return ShellDesktop::closed; }));
    EXPECT_FALSE(ShellDesktop::popupVisibleThen);
    EXPECT_TRUE(tiledex.Running()) << "the program itself does not end";

    ::DestroyWindow(desktop);
    ::UnregisterClassW(L"ProgMan", wc.hInstance);
}

}  // namespace
}  // namespace tdx::test
