// Tray drawing on a real device context, and the Task list from real windows of
// this process (other programs' icons cannot be asked for under Wine).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "popup/placement_win.h"
#include "popup/task_list_win.h"
#include "popup/tray_painter.h"

namespace tdx {
namespace {

// A 32-bit memory bitmap to draw on, filled with a colour no drawing uses.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        HDC screen = ::GetDC(nullptr);
        dc_ = ::CreateCompatibleDC(screen);
        ::ReleaseDC(nullptr, screen);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                     nullptr, 0);
        old_ = ::SelectObject(dc_, bitmap_);
        ClearPaintBox(dc_, width, height, kMarker);
    }
    ~Canvas() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const {
        ::GdiFlush();
        const DWORD v = bits_[y * width_ + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    static constexpr ColorValue kMarker = 0x00123456;

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
};

const COLORREF kMarkerColor = static_cast<COLORREF>(Canvas::kMarker);
constexpr ColorValue kBlue = 0x00FF0000;  // stored as 0x00BBGGRR

struct DrawFixture : ::testing::Test {
    DrawFixture() {
        options.BackColor = kBlue;
        options.TextColor = 0x00FFFFFF;
        options.ColMax = 7;
        for (int i = 0; i < 3; ++i) {
            LaunchItem item;
            item.Title = L"entry";
            trays[kProgramTray].Items.push_back(item);
        }
        trays[kProgramTray].Items[1].SetDirectKey(0xC0);  // F1
    }
    CellPaintContext Context() const { return {trays, options, digits}; }

    Trays trays;
    OptionSet options;
    ShiftedDigits digits;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
};

TEST(TrayColors, SystemColoursAreLookedUpAndRgbPassesThrough) {
    EXPECT_EQ(ResolveColor(0x8000000F), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ResolveColor(0x80000002), ::GetSysColor(COLOR_ACTIVECAPTION));
    EXPECT_EQ(ResolveColor(0x000000FF), RGB(255, 0, 0));
    EXPECT_EQ(ResolveColor(0x7F00FF00), RGB(0, 255, 0)) << "stray high bits are not colour";
}

TEST_F(DrawFixture, SingleColourCursorHasAFrameInBackColorAndPressedIsFilledBlack) {
    options.FrameFlag = 0;
    Canvas canvas(282, 42);
    DrawCell(canvas.dc(), Context(), kProgramTray, 0, CellState::Cursor);
    EXPECT_EQ(canvas.At(2, 20), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(39, 20), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(20, 2), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(20, 39), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(20, 20), face) << "the interior is erased";
    EXPECT_EQ(canvas.At(43, 20), kMarkerColor) << "the next cell is left alone";

    DrawCell(canvas.dc(), Context(), kProgramTray, 2, CellState::Pressed);
    EXPECT_EQ(canvas.At(82, 20), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(100, 20), RGB(0, 0, 0));

    DrawCell(canvas.dc(), Context(), kProgramTray, 0, CellState::Normal);
    EXPECT_EQ(canvas.At(2, 20), face);
    EXPECT_EQ(canvas.At(39, 20), face);
}

TEST_F(DrawFixture, ButtonCursorIsRaisedOverAnUnerasedInterior) {
    options.FrameFlag = 1;
    Canvas canvas(282, 42);
    DrawCell(canvas.dc(), Context(), kProgramTray, 0, CellState::Cursor);
    EXPECT_EQ(canvas.At(2, 20), highlight);
    EXPECT_EQ(canvas.At(20, 2), highlight);
    EXPECT_EQ(canvas.At(39, 20), shadow);
    EXPECT_EQ(canvas.At(20, 39), shadow);
    EXPECT_EQ(canvas.At(20, 20), kMarkerColor) << "the button frame does not erase";

    DrawCell(canvas.dc(), Context(), kProgramTray, 0, CellState::Normal);
    EXPECT_EQ(canvas.At(2, 20), face);
    EXPECT_EQ(canvas.At(39, 20), face);
    EXPECT_EQ(canvas.At(20, 20), face);
}

TEST_F(DrawFixture, UnknownStyleDrawsNoCursorAndMissingEntriesGetTheFrameOnly) {
    options.FrameFlag = 2;
    Canvas canvas(282, 42);
    DrawCell(canvas.dc(), Context(), kProgramTray, 0, CellState::Cursor);
    EXPECT_EQ(canvas.At(2, 20), kMarkerColor);

    options.FrameFlag = 0;
    DrawCell(canvas.dc(), Context(), kProgramTray, 5, CellState::Cursor);  // no entry 5
    EXPECT_EQ(canvas.At(202, 20), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(205, 6), face) << "no label on a missing entry";
}

TEST_F(DrawFixture, DirectKeyLabelBoxIsDrawnOnlyWhereAKeyIsShown) {
    Canvas canvas(282, 42);
    DrawAllCells(canvas.dc(), Context(), kProgramTray);
    // Entry 1 carries F1: a label box in BackColor at (x + 1, y + 1)-(x + 10, y + 13).
    EXPECT_EQ(canvas.At(42 + 1, 2 + 12), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(42 + 9, 2 + 1), RGB(0, 0, 255));
    // Entry 0 has no key.
    EXPECT_EQ(canvas.At(2 + 1, 2 + 12), face);

    // Task cells are numbered unless digits are direct keys.
    trays[kTaskTray].Items.resize(2);
    Canvas tasks(282, 42);
    DrawAllCells(tasks.dc(), Context(), kTaskTray);
    EXPECT_EQ(tasks.At(2 + 1, 2 + 12), RGB(0, 0, 255));
    options.KeyNumberFlag = true;
    DrawAllCells(tasks.dc(), Context(), kTaskTray);
    EXPECT_EQ(tasks.At(2 + 1, 2 + 12), face);
}

TEST_F(DrawFixture, TrayBorderIsSunkenAndPaintTrayDrawsTheActiveCursor) {
    Canvas canvas(282, 82);
    options.FrameFlag = 0;
    trays[kProgramTray].CursorIndex = 2;
    PaintTray(canvas.dc(), Context(), kProgramTray, true, {282, 82});
    EXPECT_EQ(canvas.At(0, 0), shadow);
    EXPECT_EQ(canvas.At(0, 60), shadow);
    EXPECT_EQ(canvas.At(140, 0), shadow);
    EXPECT_EQ(canvas.At(281, 0), highlight);
    EXPECT_EQ(canvas.At(281, 60), highlight);
    EXPECT_EQ(canvas.At(140, 81), highlight);
    EXPECT_EQ(canvas.At(0, 81), highlight);
    EXPECT_EQ(canvas.At(82, 20), RGB(0, 0, 255)) << "cursor on entry 2";
    EXPECT_EQ(canvas.At(2, 20), face);
    EXPECT_EQ(canvas.At(200, 60), face) << "the background is cleared";

    Canvas inactive(282, 82);
    PaintTray(inactive.dc(), Context(), kProgramTray, false, {282, 82});
    EXPECT_EQ(inactive.At(82, 20), face);
}

TEST(TrayScreen, NotInUseScreenBlacksOutEveryOtherPixel) {
    Canvas canvas(82, 42);
    ClearPaintBox(canvas.dc(), 82, 42, 0x00FFFFFF);
    DrawNotInUseScreen(canvas.dc(), 1, 7);
    // Inside the screened square of cell 1 (origin 42, 2): a checkerboard.
    const COLORREF a = canvas.At(60, 20);
    const COLORREF b = canvas.At(61, 20);
    const COLORREF c = canvas.At(61, 21);
    EXPECT_NE(a, b);
    EXPECT_EQ(a, c);
    EXPECT_TRUE(a == RGB(0, 0, 0) || b == RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(20, 20), RGB(255, 255, 255)) << "cell 0 is untouched";
    EXPECT_EQ(canvas.At(42 + 38, 20), RGB(255, 255, 255)) << "outside the screened square";
}

// --- Task list ---------------------------------------------------------------

struct TestWindows {
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        // Only what a test set answers; the system's defaults would hide the fallback.
        if (msg == WM_GETICON && wParam == ICON_BIG) {
            return reinterpret_cast<LRESULT>(::GetPropW(window, L"TdxBigIcon"));
        }
        if (msg == WM_QUERYDRAGICON) return reinterpret_cast<LRESULT>(::GetPropW(window, L"TdxDragIcon"));
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }

    TestWindows() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TdxListTest";
        ::RegisterClassW(&wc);
        wc.lpszClassName = L"TdxIconClass";
        wc.hIcon = classIcon;
        ::RegisterClassW(&wc);
        wc.hIcon = nullptr;
        wc.lpszClassName = L"Progman";
        ::RegisterClassW(&wc);
    }
    ~TestWindows() {
        for (HWND w : made) ::DestroyWindow(w);
    }
    HWND Make(const wchar_t* cls, const wchar_t* title, DWORD exStyle = 0, HWND owner = nullptr,
              bool visible = true) {
        HWND w = ::CreateWindowExW(exStyle, cls, title, WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                                   600, 400, 120, 80, owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        made.push_back(w);
        return w;
    }

    HICON classIcon = ::LoadIconW(nullptr, IDI_WARNING);
    std::vector<HWND> made;
};

std::vector<std::wstring> TitlesWithPrefix(const std::vector<LaunchItem>& tasks, const std::wstring& prefix) {
    std::vector<std::wstring> titles;
    for (const LaunchItem& t : tasks) {
        if (t.Title.rfind(prefix, 0) == 0) titles.push_back(t.Title);
    }
    return titles;
}

const LaunchItem* Find(const std::vector<LaunchItem>& tasks, HWND window) {
    for (const LaunchItem& t : tasks) {
        if (t.Window == window) return &t;
    }
    return nullptr;
}

TEST(TaskList, OnlyOrdinaryWindowsAreListedWithTheirIcons) {
    TestWindows windows;
    HICON big = ::LoadIconW(nullptr, IDI_INFORMATION);
    HICON fallback = ::LoadIconW(nullptr, IDI_QUESTION);
    HWND plain = windows.Make(L"TdxListTest", L"L plain");
    HWND withBig = windows.Make(L"TdxListTest", L"L big");
    ::SetPropW(withBig, L"TdxBigIcon", big);
    HWND withClass = windows.Make(L"TdxIconClass", L"L class");
    HICON drag = ::LoadIconW(nullptr, IDI_ERROR);
    HWND withDrag = windows.Make(L"TdxListTest", L"L drag");
    ::SetPropW(withDrag, L"TdxDragIcon", drag);
    HWND edged = windows.Make(L"TdxListTest", L"L edged tool", WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE);
    // Without a frame the system adds no WS_EX_WINDOWEDGE of its own.
    HWND tool = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"TdxListTest", L"L tool", WS_POPUP | WS_VISIBLE,
                                  600, 400, 50, 50, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    windows.made.push_back(tool);
    HWND owned = windows.Make(L"TdxListTest", L"L owned", 0, plain);
    HWND hidden = windows.Make(L"TdxListTest", L"L hidden", 0, nullptr, false);
    HWND untitled = windows.Make(L"TdxListTest", L"");
    HWND desktop = windows.Make(L"Progman", L"L desktop");
    HWND resident = windows.Make(L"TdxListTest", L"L resident");

    const std::vector<LaunchItem> tasks = CollectTaskList(resident, fallback);
    for (HWND gone : {tool, owned, hidden, untitled, desktop, resident})
        EXPECT_EQ(Find(tasks, gone), nullptr) << gone << " is listed";
    ASSERT_NE(Find(tasks, plain), nullptr);
    ASSERT_NE(Find(tasks, edged), nullptr) << "a tool window with an edge is listed";
    ASSERT_NE(Find(tasks, withBig), nullptr);
    ASSERT_NE(Find(tasks, withClass), nullptr);
    EXPECT_EQ(Find(tasks, withBig)->Icon, big);
    EXPECT_EQ(Find(tasks, withClass)->Icon, windows.classIcon);
    ASSERT_NE(Find(tasks, withDrag), nullptr);
    EXPECT_EQ(Find(tasks, withDrag)->Icon, drag);
    EXPECT_EQ(Find(tasks, plain)->Icon, fallback);
    EXPECT_EQ(Find(tasks, plain)->Status, 0u);
}

TEST(TaskList, FrontmostWindowGoesLast) {
    TestWindows windows;
    HWND w3 = windows.Make(L"TdxListTest", L"Z 3");
    HWND w2 = windows.Make(L"TdxListTest", L"Z 2");
    HWND w1 = windows.Make(L"TdxListTest", L"Z 1");
    for (HWND w : {w3, w2, w1})
        ::SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const std::vector<LaunchItem> tasks = CollectTaskList(nullptr, nullptr);
    // W1 is the front-most of all windows, so it closes the list.
    ASSERT_FALSE(tasks.empty());
    EXPECT_EQ(tasks.back().Window, w1);
    EXPECT_EQ(TitlesWithPrefix(tasks, L"Z "), (std::vector<std::wstring>{L"Z 2", L"Z 3", L"Z 1"}));
}

TEST(TaskList, WindowWhoseThreadDoesNotAnswerGetsItsClassIcon) {
    TestWindows windows;
    HICON fallback = ::LoadIconW(nullptr, IDI_QUESTION);
    std::atomic<HWND> stuck{nullptr};
    std::atomic<bool> release{false};
    std::thread thread([&] {
        HWND w = ::CreateWindowExW(0, L"TdxIconClass", L"S stuck", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   500, 300, 120, 80, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        stuck = w;
        // Busy without looking at its messages.
        while (!release) ::Sleep(10);
        ::DestroyWindow(w);
    });
    while (!stuck) ::Sleep(5);
    HWND answering = windows.Make(L"TdxListTest", L"S answering");

    const std::vector<LaunchItem> tasks = CollectTaskList(nullptr, fallback, 100);
    release = true;
    thread.join();
    const LaunchItem* item = Find(tasks, stuck);
    ASSERT_NE(item, nullptr) << "listed although it does not answer";
    EXPECT_EQ(item->Icon, windows.classIcon);
    ASSERT_NE(Find(tasks, answering), nullptr);
    EXPECT_EQ(Find(tasks, answering)->Icon, fallback);
}

TEST(Monitors, EveryMonitorIsListedAndTheMouseIsOnOne) {
    std::vector<PixelRect> monitors;
    ASSERT_TRUE(ListMonitorRects(monitors));
    ASSERT_FALSE(monitors.empty());
    const ScreenFacts facts = GatherScreenFacts();
    ASSERT_TRUE(facts.Monitors.has_value());
    EXPECT_EQ(facts.Monitors->size(), monitors.size());
    EXPECT_EQ(facts.PrimaryScreen.Width, ::GetSystemMetrics(SM_CXSCREEN));
    const bool onOne = std::any_of(monitors.begin(), monitors.end(), [&](const PixelRect& m) {
        return m.Left <= facts.Mouse.X && facts.Mouse.X <= m.Right && m.Top <= facts.Mouse.Y &&
               facts.Mouse.Y <= m.Bottom;
    });
    EXPECT_TRUE(onOne);
}

}  // namespace
}  // namespace tdx
