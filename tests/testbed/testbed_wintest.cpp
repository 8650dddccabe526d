// The test bed itself: every later test relies on these facts.
#include <windows.h>

#include <gtest/gtest.h>

TEST(TestBed, RunsInTheJapaneseCodePage) {
    EXPECT_EQ(GetACP(), 932u);
}

TEST(TestBed, AllProgramsShareOneDesktopWithATaskbar) {
    // Wine's desktop process leaves after a quiet spell; a window of ours brings it
    // (and its taskbar) back, as the program's own windows do.
    HWND probe = CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(probe, nullptr);
    HWND taskbar = nullptr;
    for (int i = 0; i < 200 && !taskbar; ++i) {
        taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
        if (!taskbar) Sleep(50);
    }
    ASSERT_NE(taskbar, nullptr);
    EXPECT_TRUE(IsWindowVisible(taskbar));
    DestroyWindow(probe);
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(desktop.right - desktop.left, 1024);
    EXPECT_EQ(desktop.bottom - desktop.top, 768);
}
