#include "popup/task_filter.h"

#include <gtest/gtest.h>

#include <map>

namespace tdx {
namespace {

WindowHandle H(std::uintptr_t n) { return reinterpret_cast<WindowHandle>(n); }
IconHandle I(std::uintptr_t n) { return reinterpret_cast<IconHandle>(n); }

WindowFacts AppWindow(std::uintptr_t handle, std::wstring title) {
    WindowFacts w;
    w.Window = H(handle);
    w.Title = std::move(title);
    w.ClassName = L"Notepad";
    w.Visible = true;
    return w;
}

std::vector<std::wstring> Titles(const std::vector<LaunchItem>& items) {
    std::vector<std::wstring> titles;
    for (const LaunchItem& item : items) titles.push_back(item.Title);
    return titles;
}

TEST(TaskFilter, OnlyTitledUnownedVisibleApplicationWindows) {
    const WindowHandle main = H(99);
    EXPECT_TRUE(IsTaskWindow(AppWindow(1, L"doc"), main));

    WindowFacts untitled = AppWindow(2, L"");
    EXPECT_FALSE(IsTaskWindow(untitled, main));
    WindowFacts owned = AppWindow(3, L"dialog");
    owned.HasOwner = true;
    EXPECT_FALSE(IsTaskWindow(owned, main));
    WindowFacts hidden = AppWindow(4, L"hidden");
    hidden.Visible = false;
    EXPECT_FALSE(IsTaskWindow(hidden, main));
    WindowFacts desktop = AppWindow(5, L"Program Manager");
    desktop.ClassName = L"Progman";
    EXPECT_FALSE(IsTaskWindow(desktop, main));
    desktop.ClassName = L"ProgMan";  // the comparison is case-sensitive
    EXPECT_TRUE(IsTaskWindow(desktop, main));
    EXPECT_FALSE(IsTaskWindow(AppWindow(99, L"tiledex"), main));
}

TEST(TaskFilter, ExtendedStyleNeedsTheWindowEdgeBit) {
    WindowFacts w = AppWindow(1, L"x");
    w.ExStyle = 0x80;  // tool window alone
    EXPECT_FALSE(IsTaskWindow(w, nullptr));
    w.ExStyle = 0x180;  // tool window with window edge
    EXPECT_TRUE(IsTaskWindow(w, nullptr));
    w.ExStyle = 0x100;
    EXPECT_TRUE(IsTaskWindow(w, nullptr));
    w.ExStyle = 0x40000;  // any other bit without the edge
    EXPECT_FALSE(IsTaskWindow(w, nullptr));
}

TEST(TaskFilter, FrontmostWindowMovesToTheEnd) {
    std::vector<WindowFacts> z{AppWindow(1, L"W1"), AppWindow(2, L""), AppWindow(3, L"W2"),
                               AppWindow(4, L"W3")};
    const std::vector<LaunchItem> tasks = BuildTaskList(z, nullptr, {}, I(7));
    EXPECT_EQ(Titles(tasks), (std::vector<std::wstring>{L"W2", L"W3", L"W1"}));
    EXPECT_EQ(tasks[0].Window, H(3));
    EXPECT_EQ(tasks[2].Window, H(1));
    for (const LaunchItem& t : tasks) {
        EXPECT_EQ(t.Status, 0u);
        EXPECT_EQ(t.Icon, I(7));
    }
}

TEST(TaskFilter, SingleAndNoWindows) {
    EXPECT_EQ(Titles(BuildTaskList({AppWindow(1, L"only")}, nullptr, {}, nullptr)),
              (std::vector<std::wstring>{L"only"}));
    EXPECT_TRUE(BuildTaskList({AppWindow(1, L"")}, nullptr, {}, nullptr).empty());
    EXPECT_TRUE(BuildTaskList({}, nullptr, {}, nullptr).empty());
}

TEST(TaskFilter, LongTitlesAreCut) {
    const std::wstring longTitle(300, L'x');
    EXPECT_EQ(TaskTitle(longTitle).size(), 254u);
    EXPECT_EQ(TaskTitle(std::wstring(254, L'y')), std::wstring(254, L'y'));
    // A surrogate pair straddling the cut is dropped whole.
    std::wstring pair = std::wstring(253, L'a') + L"\xD83D\xDE00" + L"tail";
    EXPECT_EQ(TaskTitle(pair), std::wstring(253, L'a'));
    const std::vector<LaunchItem> tasks =
        BuildTaskList({AppWindow(1, longTitle)}, nullptr, {}, nullptr);
    EXPECT_EQ(tasks.at(0).Title, std::wstring(254, L'x'));
}

TEST(TaskIcons, SourcesAreAskedInOrderUntilOneAnswers) {
    std::map<TaskIconSource, IconHandle> answers;
    std::vector<TaskIconSource> asked;
    const TaskIconQuery ask = [&](WindowHandle, TaskIconSource s) {
        asked.push_back(s);
        return answers[s];
    };
    answers[TaskIconSource::ClassIcon] = I(20);
    answers[TaskIconSource::DragIcon] = I(30);
    EXPECT_EQ(PickTaskIcon(H(1), ask, I(5)), I(20));
    EXPECT_EQ(asked, (std::vector<TaskIconSource>{TaskIconSource::WindowBigIcon,
                                                  TaskIconSource::ClassIcon}));
    answers[TaskIconSource::WindowBigIcon] = I(10);
    EXPECT_EQ(PickTaskIcon(H(1), ask, I(5)), I(10));
    answers.clear();
    asked.clear();
    EXPECT_EQ(PickTaskIcon(H(1), ask, I(5)), I(5));
    EXPECT_EQ(asked.size(), 3u);
}

TEST(TaskIcons, EachListedWindowGetsItsOwnIcon) {
    const TaskIconQuery ask = [](WindowHandle w, TaskIconSource s) -> IconHandle {
        if (w == H(2) && s == TaskIconSource::DragIcon) return I(200);
        if (w == H(1) && s == TaskIconSource::WindowBigIcon) return I(100);
        return nullptr;
    };
    const std::vector<LaunchItem> tasks =
        BuildTaskList({AppWindow(1, L"a"), AppWindow(2, L"b"), AppWindow(3, L"c")}, nullptr, ask, I(9));
    ASSERT_EQ(tasks.size(), 3u);
    EXPECT_EQ(tasks[0].Icon, I(200));  // b
    EXPECT_EQ(tasks[1].Icon, I(9));    // c
    EXPECT_EQ(tasks[2].Icon, I(100));  // a, moved to the end
}

}  // namespace
}  // namespace tdx
