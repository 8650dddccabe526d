// The test bed itself: every later test relies on these facts.
#include <windows.h>

#include <gtest/gtest.h>

TEST(TestBed, RunsInTheJapaneseCodePage) {
    EXPECT_EQ(GetACP(), 932u);
}

TEST(TestBed, AllProgramsShareOneDesktopWithATaskbar) {
    // Asking for the desktop brings up the shared desktop (and its taskbar) when it
    // has shut down after a quiet spell.
    GetDesktopWindow();
    HWND taskbar = nullptr;
    for (int i = 0; i < 200 && !taskbar; ++i) {
        taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
        if (!taskbar) Sleep(50);
    }
    ASSERT_NE(taskbar, nullptr);
    EXPECT_TRUE(IsWindowVisible(taskbar));
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(desktop.right - desktop.left, 1024);
    EXPECT_EQ(desktop.bottom - desktop.top, 768);
}
