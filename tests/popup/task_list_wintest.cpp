// The Task tray leaves out cloaked windows (suspended store apps, windows on
// another virtual desktop), which are visible to the window system but not on
// the screen. Wine cloaks nothing, so the test says which window is.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "popup/task_list_win.h"

namespace tdx::test {
namespace {

HWND cloakedWindow = nullptr;
bool IsTheCloakedOne(HWND window) { return window == cloakedWindow; }

std::vector<std::wstring> Titles(const std::vector<LaunchItem>& tasks) {
    std::vector<std::wstring> titles;
    for (const LaunchItem& task : tasks) titles.push_back(task.Title);
    return titles;
}

bool Lists(const std::vector<std::wstring>& titles, const wchar_t* title) {
    return std::find(titles.begin(), titles.end(), title) != titles.end();
}

TEST(TaskList, CloakedWindowsAreLeftOut) {
    HWND shown = ::CreateWindowExW(0, L"STATIC", L"Cloak test shown", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                   200, 100, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    HWND cloaked = ::CreateWindowExW(0, L"STATIC", L"Cloak test cloaked", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30,
                                     30, 200, 100, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(shown && cloaked);

    std::vector<std::wstring> titles = Titles(CollectTaskList(nullptr, nullptr));
    EXPECT_TRUE(Lists(titles, L"Cloak test shown"));
    EXPECT_TRUE(Lists(titles, L"Cloak test cloaked")) << "the system's answer: Wine cloaks nothing";

    cloakedWindow = cloaked;
    SetCloakedQuery(IsTheCloakedOne);
    titles = Titles(CollectTaskList(nullptr, nullptr));
    SetCloakedQuery(nullptr);
    EXPECT_TRUE(Lists(titles, L"Cloak test shown"));
    EXPECT_FALSE(Lists(titles, L"Cloak test cloaked"));

    ::DestroyWindow(cloaked);
    ::DestroyWindow(shown);
}

}  // namespace
}  // namespace tdx::test
