// The popup as a user meets it: the trays laid out and drawn, the cursor moved by
// keys and the mouse, the open windows listed, entries started, and the window
// hidden again.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "popup/tdx_main_form.h"
#include "support/tiledex_process_win.h"

namespace tdx::test {
namespace {

using namespace std::chrono_literals;

std::wstring FromUtf8(const std::string& text) {
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
    return text;
}

constexpr COLORREF kRed = RGB(255, 0, 0);

class PopupTest : public ::testing::Test {
protected:
    void WriteSettings(const std::wstring& contents) {
        WriteSettingsFile(tiledex.SettingsFolder() / L"tiledex.ini", CodePage932(contents));
    }

    // Starts the program with `count` helper windows titled "tag 1" ... ("tag 1" in front).
    void StartWithTasks(const std::wstring& tag, int count, bool hang = false) {
        tag_ = tag;
        ASSERT_TRUE(tasks.Start(L"task_windows.exe",
                                L"\"" + tag + L"\" " + std::to_wstring(count) + (hang ? L" hang" : L"")));
        ASSERT_TRUE(WaitUntil([&] { return TaskWindow(L"1") != nullptr; }));
        ASSERT_TRUE(tiledex.Start());
    }

    HWND TaskWindow(const std::wstring& suffix) const {
        return ::FindWindowW(L"TdxTaskWindow", (tag_ + L" " + suffix).c_str());
    }

    // Presses a key and waits until the name panel shows `expected`.
    void PressAndExpectTitle(std::initializer_list<WORD> keys, const std::wstring& expected) {
        PressKeys(keys);
        EXPECT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == expected; }, 3s))
            << "name panel shows \"" << std::string(tiledex.NameLabelText().begin(), tiledex.NameLabelText().end())
            << "\"";
    }

    RECT PaintBox(int id) const { return RectIn(ChildById(tiledex.Popup(), id), tiledex.Popup()); }

    ScreenPixels CapturePopup() const {
        RECT r{};
        ::GetWindowRect(tiledex.Popup(), &r);
        return ScreenPixels::Capture(r);
    }

    // Wine copies a window's drawing to the screen a moment after it is made:
    // capture until the picture shows what `ready` looks for (or give up and
    // return the last capture for the assertions to report).
    ScreenPixels CapturePopupWhen(const std::function<bool(const ScreenPixels&)>& ready) const {
        ScreenPixels shot = CapturePopup();
        WaitUntil([&] {
            shot = CapturePopup();
            return ready(shot);
        }, 3s);
        return shot;
    }

    TiledexProcess tiledex;
    HelperProcess tasks;
    std::wstring tag_;
};

TEST_F(PopupTest, TraysAreLaidOutAndBorderedAtTheirPixels) {
    WriteSettings(L"[Option]\r\nKeyCursorFlag=1\r\n");
    // Eight windows need a second row in a tray of seven columns.
    StartWithTasks(L"Layout", 8);
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());

    RECT window{};
    ::GetWindowRect(tiledex.Popup(), &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    EXPECT_EQ(width, 298);
    // Centred on the primary screen.
    EXPECT_EQ(window.left, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(window.top, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2);

    const RECT boxes[3] = {PaintBox(kExecPaintBoxId), PaintBox(kTaskPaintBoxId),
                           PaintBox(kSysPaintBoxId)};
    EXPECT_EQ(boxes[0].left, 8);
    EXPECT_EQ(boxes[0].top, 16);
    EXPECT_EQ(boxes[1].bottom - boxes[1].top, 82) << "two rows of tasks";
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(boxes[t].right - boxes[t].left, 282);
        EXPECT_EQ((boxes[t].bottom - boxes[t].top - 2) % 40, 0);
        const RECT caption = RectIn(ChildById(tiledex.Popup(), kExecLabelId + t), tiledex.Popup());
        EXPECT_EQ(caption.top, boxes[t].top - 14);
        if (t > 0) {
            EXPECT_EQ(boxes[t].top, boxes[t - 1].bottom + 16);
        }
    }
    const RECT panel = RectIn(ChildById(tiledex.Popup(), kNamePanelId), tiledex.Popup());
    EXPECT_EQ(panel.top, boxes[2].bottom + 10);
    EXPECT_EQ(panel.bottom - panel.top, 22);
    EXPECT_EQ(panel.right - panel.left, 282);
    EXPECT_EQ(height, panel.bottom + 10);

    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    ASSERT_NE(shadow, highlight);
    const ScreenPixels shot = CapturePopupWhen([&](const ScreenPixels& s) {
        return s.At(boxes[2].left, boxes[2].top) == shadow;
    });
    EXPECT_EQ(shot.At(2, 2), face);
    for (const RECT& b : boxes) {
        const int midX = (b.left + b.right) / 2;
        const int midY = (b.top + b.bottom) / 2;
        EXPECT_EQ(shot.At(b.left, b.top), shadow);
        EXPECT_EQ(shot.At(b.left, midY), shadow);
        EXPECT_EQ(shot.At(midX, b.top), shadow);
        EXPECT_EQ(shot.At(b.right - 1, midY), highlight);
        EXPECT_EQ(shot.At(midX, b.bottom - 1), highlight);
        EXPECT_EQ(shot.At(b.right - 5, b.bottom - 5), face) << "no cell in the last corner";
        EXPECT_EQ(shot.At(b.left - 1, midY), face) << "nothing outside the border";
    }
}

struct FrameCase {
    int frameFlag;
};

class CursorFrameTest : public PopupTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(CursorFrameTest, CursorCellIsFramedAndRestoredWhenTheCursorMoves) {
    const int frameFlag = GetParam().frameFlag;
    WriteSettings(L"[Option]\r\nKeyCursorFlag=1\r\nBackColor=255\r\nFrameFlag=" +
                  std::to_wstring(frameFlag) + L"\r\n");
    StartWithTasks(L"Frame", 3);
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    ASSERT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"Frame 2"; }));

    const RECT box = PaintBox(kTaskPaintBoxId);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    // Left and right edges of cell i, halfway down (clear of the number label).
    auto left = [&](const ScreenPixels& s, int i) { return s.At(box.left + 2 + 40 * i, box.top + 22); };
    auto right = [&](const ScreenPixels& s, int i) { return s.At(box.left + 39 + 40 * i, box.top + 22); };
    const COLORREF expectLeft = frameFlag == 0 ? kRed : highlight;
    const COLORREF expectRight = frameFlag == 0 ? kRed : shadow;

    ScreenPixels shot =
        CapturePopupWhen([&](const ScreenPixels& s) { return left(s, 0) == expectLeft; });
    EXPECT_EQ(left(shot, 0), expectLeft);
    EXPECT_EQ(right(shot, 0), expectRight);
    EXPECT_EQ(left(shot, 1), face);

    PressAndExpectTitle({VK_RIGHT}, L"Frame 3");
    shot = CapturePopupWhen([&](const ScreenPixels& s) { return left(s, 1) == expectLeft; });
    EXPECT_EQ(left(shot, 0), face);
    EXPECT_EQ(right(shot, 0), face);
    EXPECT_EQ(left(shot, 1), expectLeft);
    EXPECT_EQ(right(shot, 1), expectRight);

    // Covered by another window and uncovered again, the trays look the same:
    // the picture comes from the trays' state, not from what was last drawn.
    HWND cover = TaskWindow(L"1");
    RECT popup{};
    ::GetWindowRect(tiledex.Popup(), &popup);
    RECT home{};
    ::GetWindowRect(cover, &home);
    ::SetWindowPos(cover, HWND_TOP, popup.left, popup.top, popup.right - popup.left,
                   popup.bottom - popup.top, SWP_NOACTIVATE);
    shot = CapturePopupWhen([&](const ScreenPixels& s) { return left(s, 0) != face; });
    ASSERT_NE(left(shot, 0), face) << "the popup was not covered";
    ::SetWindowPos(cover, HWND_BOTTOM, home.left, home.top, home.right - home.left,
                   home.bottom - home.top, SWP_NOACTIVATE);
    shot = CapturePopupWhen([&](const ScreenPixels& s) { return left(s, 1) == expectLeft; });
    EXPECT_EQ(left(shot, 0), face);
    EXPECT_EQ(left(shot, 1), expectLeft);
    EXPECT_EQ(right(shot, 1), expectRight);
}

INSTANTIATE_TEST_SUITE_P(BothStyles, CursorFrameTest,
                         ::testing::Values(FrameCase{0}, FrameCase{1}),
                         [](const auto& info) {
                             return info.param.frameFlag == 0 ? std::string("SingleColour")
                                                              : std::string("Button");
                         });

TEST_F(PopupTest, TasksAreListedWithIconsBehindTheFrontmostAndKeysWalkThem) {
    WriteSettings(L"[Option]\r\nKeyCursorFlag=1\r\n");
    StartWithTasks(L"ウィンドウ", 3);
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    // Z-order 1, 2, 3 becomes 2, 3, 1: the first cell holds the window behind
    // the one the user came from.
    ASSERT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"ウィンドウ 2"; }));

    // Each cell shows an icon from the first paint on and keeps one when the
    // windows' answers come in after it: under Wine another program's icon
    // cannot be drawn here, and the fallback stays.
    const RECT box = PaintBox(kTaskPaintBoxId);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const auto iconsDrawn = [&](const ScreenPixels& s) {
        for (int cell = 0; cell < 3; ++cell) {
            // The icon's lower right part, clear of the number label and the frame.
            bool drawn = false;
            for (int y = 16; y < 35 && !drawn; ++y) {
                for (int x = 22; x < 35 && !drawn; ++x)
                    drawn = s.At(box.left + 2 + 40 * cell + x, box.top + 2 + y) != face;
            }
            if (!drawn) return false;
        }
        return true;
    };
    const auto iconsStay = [&](const char* when) {
        EXPECT_TRUE(iconsDrawn(CapturePopupWhen(iconsDrawn))) << when;
        EXPECT_FALSE(WaitUntil([&] { return !iconsDrawn(CapturePopup()); }, 1s))
            << when << ": a cell lost its icon";
    };
    iconsStay("first show");
    PressAndExpectTitle({VK_RIGHT}, L"ウィンドウ 3");
    PressAndExpectTitle({VK_RIGHT}, L"ウィンドウ 1");
    PressAndExpectTitle({VK_RIGHT}, L"ウィンドウ 2");  // wraps within the row
    PressAndExpectTitle({VK_LEFT}, L"ウィンドウ 1");
    PressAndExpectTitle({VK_CONTROL, 'S'}, L"ウィンドウ 3");  // Ctrl+S is Left
    // Ctrl+Q, D: to the end of the row; Ctrl+Q, S: to its start.
    PressKeys({VK_CONTROL, 'Q'});
    PressAndExpectTitle({'D'}, L"ウィンドウ 1");
    PressKeys({VK_CONTROL, 'Q'});
    PressAndExpectTitle({'S'}, L"ウィンドウ 2");
    // With the other trays empty, Down and Page Down stay in the Task tray.
    PressKeys({VK_DOWN});
    PressKeys({VK_NEXT});
    PressAndExpectTitle({VK_RIGHT}, L"ウィンドウ 3");
    EXPECT_TRUE(tiledex.PopupVisible());

    // The next show starts from the answers the first one collected.
    PressKeys({VK_ESCAPE});
    ASSERT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }));
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    iconsStay("second show");
}

TEST_F(PopupTest, DigitOneBringsUpTheSecondWindowAndHidesThePopup) {
    StartWithTasks(L"Digit", 3);
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    PressKeys({'1'});
    EXPECT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }));
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == TaskWindow(L"2"); }));
    // Running the entry cleared PopupMode: the hotkey shows the popup again at once.
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    // A number beyond the list does nothing.
    PressKeys({'9'});
    EXPECT_FALSE(WaitUntil([&] { return !tiledex.PopupVisible(); }, 700ms));
}

TEST_F(PopupTest, HungWindowDoesNotHoldThePopupBack) {
    WriteSettings(L"[Option]\r\nKeyCursorFlag=1\r\n");
    StartWithTasks(L"Hang", 2, true);
    HWND hung = TaskWindow(L"hung");
    ASSERT_NE(hung, nullptr);
    ::PostMessageW(hung, WM_APP, 0, 0);
    ::Sleep(200);
    DWORD_PTR ignored = 0;
    ASSERT_FALSE(::SendMessageTimeoutW(hung, WM_NULL, 0, 0, SMTO_BLOCK, 300, &ignored))
        << "the helper window must not answer any more";

    // Asked without a time-out, the icon request would wait a minute.
    PressKeys({VK_CONTROL, VK_MENU, 'J'});
    ASSERT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }, 5s));
    // The window is listed all the same: its title does not need its thread.
    std::vector<std::wstring> titles;
    for (int i = 0; i < 3; ++i) {
        titles.push_back(tiledex.NameLabelText());
        PressKeys({VK_RIGHT});
        WaitUntil([&] { return tiledex.NameLabelText() != titles.back(); }, 2s);
    }
    EXPECT_NE(std::find(titles.begin(), titles.end(), L"Hang hung"), titles.end());
    // A second show does not wait either.
    PressKeys({VK_ESCAPE});
    ASSERT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }));
    EXPECT_TRUE(tiledex.ShowPopupByHotKey());
}

TEST_F(PopupTest, EscapeAndAClickElsewhereHideThePopup) {
    // The chords below are typed while the popup comes and goes: the pointer
    // stays clear of where it opens (a window mapped under the pointer makes
    // Wine take the key state from the X server, which never saw them).
    MouseRest mouse;
    ASSERT_TRUE(mouse.Ready());
    StartWithTasks(L"Click", 2);
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    PressKeys({VK_ESCAPE});
    ASSERT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }));
    // Hidden by Escape, the deactivation cleared PopupMode: one press shows it.
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());

    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == tiledex.Popup(); }));
    RECT other{};
    ::GetWindowRect(TaskWindow(L"1"), &other);
    LeftClickAt(other.left + 60, other.top + 60);
    ASSERT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }))
        << "foreground " << ::GetForegroundWindow() << " popup " << tiledex.Popup() << " other "
        << TaskWindow(L"1");
    ASSERT_TRUE(mouse.Return(TaskWindow(L"1")));
    // Had PopupMode stayed 1, this press would only have cleared it.
    EXPECT_TRUE(tiledex.ShowPopupByHotKey());
}

TEST_F(PopupTest, HoverMovesTheCursorUnlessKeysOnlyWereAsked) {
    for (const bool keyOnly : {false, true}) {
        SCOPED_TRACE(keyOnly ? "KeyOnlyFlag=1" : "KeyOnlyFlag=0");
        TiledexProcess own;
        WriteSettingsFile(own.SettingsFolder() / L"tiledex.ini",
                          std::string("[Option]\r\nKeyCursorFlag=1\r\nKeyOnlyFlag=") +
                              (keyOnly ? "1" : "0") + "\r\n");
        if (!tasks.ProcessId()) {
            tag_ = L"Hover";
            ASSERT_TRUE(tasks.Start(L"task_windows.exe", L"Hover 3"));
            ASSERT_TRUE(WaitUntil([&] { return TaskWindow(L"1") != nullptr; }));
        }
        ASSERT_TRUE(own.Start());
        MoveMouseTo(5, 5);
        ASSERT_TRUE(own.ShowPopupByHotKey());
        ASSERT_TRUE(WaitUntil([&] { return own.NameLabelText() == L"Hover 2"; }));

        RECT popup{};
        ::GetWindowRect(own.Popup(), &popup);
        const RECT box = RectIn(ChildById(own.Popup(), kTaskPaintBoxId), own.Popup());
        // Over the third task cell.
        MoveMouseTo(popup.left + box.left + 100, popup.top + box.top + 20);
        MoveMouseTo(popup.left + box.left + 102, popup.top + box.top + 22);
        if (keyOnly) {
            EXPECT_FALSE(WaitUntil([&] { return own.NameLabelText() != L"Hover 2"; }, 1s));
        } else {
            EXPECT_TRUE(WaitUntil([&] { return own.NameLabelText() == L"Hover 1"; }, 3s));
        }
        PressKeys({VK_ESCAPE});
        ASSERT_TRUE(WaitUntil([&] { return !own.PopupVisible(); }));
    }
}

// The screen's DPI as the bed's programs read it when they start; put back after.
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD dpi) {
        for (const Key& key : kKeys) {
            DWORD value = 0, size = sizeof(value);
            saved_.push_back(::RegGetValueW(key.root, key.path, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &value,
                                            &size) == ERROR_SUCCESS
                                 ? value
                                 : 0);
            Set(key, dpi);
        }
    }
    ~ScreenDpi() {
        for (std::size_t i = 0; i < kKeys.size(); ++i) {
            if (saved_[i]) Set(kKeys[i], saved_[i]);
            else ::RegDeleteKeyValueW(kKeys[i].root, kKeys[i].path, L"LogPixels");
        }
    }

private:
    struct Key {
        HKEY root;
        const wchar_t* path;
    };
    inline static const std::array<Key, 2> kKeys{{
        {HKEY_CURRENT_USER, L"Control Panel\\Desktop"},
        {HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"},
    }};
    static void Set(const Key& key, DWORD dpi) {
        ::RegSetKeyValueW(key.root, key.path, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    }
    std::vector<DWORD> saved_;
};

// At 150 % every figure of the popup is half as large again, and the mouse
// picks the cell drawn under it.
TEST_F(PopupTest, AtOneHundredFiftyPercentTheTraysScaleAndHoverHitsTheCellUnderTheMouse) {
    const ScreenDpi dpi(144);
    WriteSettings(L"[Option]\r\nKeyCursorFlag=1\r\n");
    StartWithTasks(L"Dpi", 3);
    MoveMouseTo(5, 5);
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    ASSERT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"Dpi 2"; }));

    RECT window{};
    ::GetWindowRect(tiledex.Popup(), &window);
    EXPECT_EQ(window.right - window.left, 447);  // 298 at 96 DPI
    const RECT task = PaintBox(kTaskPaintBoxId);
    EXPECT_EQ(task.left, 12);
    EXPECT_EQ(task.right - task.left, 423);  // 7 cells of 40 and the border, at 144 DPI
    EXPECT_EQ(task.bottom - task.top, 63);
    const RECT panel = RectIn(ChildById(tiledex.Popup(), kNamePanelId), tiledex.Popup());
    EXPECT_EQ(panel.bottom - panel.top, 33);

    // The third cell spans 81..120 design pixels across, 122..180 on this screen:
    // at 150 device pixels only the scaled hit test finds it (unscaled, 150 is the fourth).
    MoveMouseTo(window.left + task.left + 150, window.top + task.top + 30);
    MoveMouseTo(window.left + task.left + 151, window.top + task.top + 31);
    EXPECT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"Dpi 1"; }, 3s));
}

// Program entries as the settings file stores them.
std::wstring ProgramEntry(int n, const std::wstring& title, std::uint32_t status,
                          const std::wstring& exe, const std::wstring& arguments,
                          const std::wstring& folder) {
    const std::wstring i = std::to_wstring(n);
    return L"Title" + i + L"=" + title + L"\r\nStatus" + i + L"=" + std::to_wstring(status) +
           L"\r\nIconIndex" + i + L"=0\r\nIconFileName" + i + L"=\r\nExeFileName" + i + L"=" + exe +
           L"\r\nArgumentName" + i + L"=" + arguments + L"\r\nDirectoryName" + i + L"=" + folder +
           L"\r\n";
}

struct LaunchRecord {
    std::wstring commandLine;
    std::wstring folder;
};

class LaunchTest : public PopupTest {
protected:
    void SetUp() override {
        record_ = recordFolder_.path() / L"launch.txt";
        ::SetEnvironmentVariableW(L"TDX_RECORD_FILE", record_.c_str());
        ::SetEnvironmentVariableW(L"TDX_HELPERS", ExeDir().c_str());
    }
    void TearDown() override {
        ::SetEnvironmentVariableW(L"TDX_RECORD_FILE", nullptr);
        ::SetEnvironmentVariableW(L"TDX_HELPERS", nullptr);
    }

    bool WaitForRecord(LaunchRecord& out) {
        const std::string text = WaitForRecordText(record_);
        if (text.empty()) return false;
        const auto newline = text.find('\n');
        out.commandLine = FromUtf8(text.substr(0, newline));
        const auto end = text.find('\n', newline + 1);
        out.folder = FromUtf8(text.substr(newline + 1, end - newline - 1));
        std::filesystem::remove(record_);
        return true;
    }

    TempFolder recordFolder_;
    std::filesystem::path record_;
};

TEST_F(LaunchTest, EnterStartsTheProgramWithItsArgumentsAndWorkingFolder) {
    const std::wstring helper = (ExeDir() / L"record_launch.exe").wstring();
    wchar_t temp[MAX_PATH]{};
    ::GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
    WriteSettings(L"[Program]\r\n" +
                  ProgramEntry(0, L"記録する", 0, helper, L"one \"two words\" %TDX_HELPERS%", L"") +
                  ProgramEntry(1, L"一時フォルダで", 0, L"%TDX_HELPERS%\\record_launch.exe",
                               L"second", L"%TEMP%") +
                  // Direct key "R": pressing R runs it at once.
                  ProgramEntry(2, L"キーで", 'R' << 8, helper, L"third", L"%TEMP%") +
                  // File and folder in quotes, as "copy as path" gives them (stored
                  // with one more pair, which reading drops).
                  ProgramEntry(3, L"引用符", 'Q' << 8, L"\"\"" + helper + L"\"\"", L"fourth",
                               L"\"\"%TEMP%\"\""));
    ASSERT_TRUE(tiledex.Start());

    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    ASSERT_TRUE(WaitUntil([&] { return tiledex.NameLabelText() == L"記録する"; }))
        << "the Program list was not read";
    PressKeys({VK_RETURN});
    LaunchRecord record;
    ASSERT_TRUE(WaitForRecord(record));
    // The arguments reach the program exactly as stored: nothing is expanded.
    const std::wstring tail = L"one \"two words\" %TDX_HELPERS%";
    ASSERT_GE(record.commandLine.size(), tail.size());
    EXPECT_EQ(record.commandLine.substr(record.commandLine.size() - tail.size()), tail);
    // No folder stored: the program's own folder.
    EXPECT_EQ(Lower(record.folder), Lower(ExeDir().wstring()));
    EXPECT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }));

    // The stored folder has its variables expanded.
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    PressAndExpectTitle({VK_RIGHT}, L"一時フォルダで");
    PressKeys({VK_RETURN});
    ASSERT_TRUE(WaitForRecord(record));
    std::wstring expected = Lower(temp);
    while (!expected.empty() && expected.back() == L'\\') expected.pop_back();
    std::wstring folder = Lower(record.folder);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    EXPECT_EQ(folder, expected);
    EXPECT_NE(record.commandLine.find(L"second"), std::wstring::npos);

    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    PressKeys({'R'});
    ASSERT_TRUE(WaitForRecord(record));
    EXPECT_NE(record.commandLine.find(L"third"), std::wstring::npos);
    EXPECT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }));

    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    PressKeys({'Q'});
    ASSERT_TRUE(WaitForRecord(record)) << "a quoted file name did not start";
    EXPECT_NE(record.commandLine.find(L"fourth"), std::wstring::npos);
    folder = Lower(record.folder);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    EXPECT_EQ(folder, expected) << "the quoted folder";
}

// Focus events of the program, as a screen reader's out-of-context hook gets them.
std::vector<std::pair<HWND, LONG>> focusEvents;
void CALLBACK RecordFocus(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT) focusEvents.emplace_back(window, child);
}

std::wstring AccText(IAccessible* object, LONG child,
                     HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
    VARIANT id{};
    id.vt = VT_I4;
    id.lVal = child;
    BSTR text = nullptr;
    if ((object->*get)(id, &text) != S_OK || !text) return L"";
    std::wstring result(text, ::SysStringLen(text));
    ::SysFreeString(text);
    return result;
}

LONG AccLong(IAccessible* object, LONG child, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) {
    VARIANT id{};
    id.vt = VT_I4;
    id.lVal = child;
    VARIANT value{};
    if ((object->*get)(id, &value) != S_OK || value.vt != VT_I4) return -1;
    return value.lVal;
}

// A screen reader's view of the popup: each tray is a list named after it whose
// items are the entries (name, direct key, focus, place on screen), every
// cursor move raises a focus event for the new cell, and the default action
// runs the entry.
TEST_F(LaunchTest, ScreenReadersReadTheTraysFollowTheCursorAndRunAnEntry) {
    const std::wstring helper = (ExeDir() / L"record_launch.exe").wstring();
    WriteSettings(L"[Program]\r\n" + ProgramEntry(0, L"記録する", 0, helper, L"spoken", L"") +
                  ProgramEntry(1, L"二つ目", 'N' << 8, L"C:\\windows\\notepad.exe", L"", L"") +
                  ProgramEntry(2, L"三つ目", 0, L"C:\\windows\\regedit.exe", L"", L""));
    ASSERT_TRUE(tiledex.Start());
    ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    focusEvents.clear();
    const HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, RecordFocus,
                                                 tiledex.ProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    ASSERT_TRUE(tiledex.ShowPopupByHotKey());
    const HWND program = ChildById(tiledex.Popup(), kExecPaintBoxId);
    const auto focusedOn = [&](HWND box, LONG child) {
        return WaitUntil([&] {
            return !focusEvents.empty() && focusEvents.back() == std::make_pair(box, child);
        });
    };
    EXPECT_TRUE(focusedOn(program, 1)) << "showing the popup names its first cell";

    const std::array<int, 3> boxes{kExecPaintBoxId, kTaskPaintBoxId, kSysPaintBoxId};
    const std::array<const wchar_t*, 3> names{L"Program", L"Task", L"System"};
    for (std::size_t t = 0; t < boxes.size(); ++t) {
        IAccessible* list = nullptr;
        ASSERT_EQ(::AccessibleObjectFromWindow(ChildById(tiledex.Popup(), boxes[t]), OBJID_CLIENT, __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&list)),
                  S_OK);
        EXPECT_EQ(AccText(list, CHILDID_SELF, &IAccessible::get_accName), names[t]);
        EXPECT_EQ(AccLong(list, CHILDID_SELF, &IAccessible::get_accRole), ROLE_SYSTEM_LIST);
        list->Release();
    }

    IAccessible* list = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(program, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&list)),
              S_OK);
    long count = 0;
    EXPECT_EQ(list->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(AccText(list, 2, &IAccessible::get_accName), L"二つ目");
    EXPECT_EQ(AccText(list, 2, &IAccessible::get_accKeyboardShortcut), L"N");
    EXPECT_EQ(AccLong(list, 3, &IAccessible::get_accRole), ROLE_SYSTEM_LISTITEM);
    EXPECT_TRUE(AccLong(list, 1, &IAccessible::get_accState) & STATE_SYSTEM_FOCUSED);
    EXPECT_EQ(AccText(list, 1, &IAccessible::get_accDefaultAction), L"run");
    // The second cell stands right of the first, inside the tray.
    VARIANT second{};
    second.vt = VT_I4;
    second.lVal = 2;
    long x = 0, y = 0, width = 0, height = 0;
    EXPECT_EQ(list->accLocation(&x, &y, &width, &height, second), S_OK);
    RECT tray{};
    ::GetWindowRect(program, &tray);
    EXPECT_TRUE(::PtInRect(&tray, POINT{x + width / 2, y + height / 2}));
    EXPECT_GT(x, tray.left + width / 2);

    // The cursor moves: the focus event names the new cell, and so does the list.
    PressKeys({VK_RIGHT});
    EXPECT_TRUE(focusedOn(program, 2));
    IAccessible* fromEvent = nullptr;
    VARIANT child{};
    ASSERT_EQ(::AccessibleObjectFromEvent(program, OBJID_CLIENT, 2, &fromEvent, &child), S_OK);
    EXPECT_EQ(AccText(fromEvent, child.lVal, &IAccessible::get_accName), L"二つ目");
    fromEvent->Release();
    // The name label reads as the text it shows. (Wine's proxy answers for it
    // as a client object; Windows' as static text.)
    IAccessible* label = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(ChildById(ChildById(tiledex.Popup(), kNamePanelId), kNameLabelId),
                                           OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&label)),
              S_OK);
    EXPECT_EQ(AccText(label, CHILDID_SELF, &IAccessible::get_accName), L"二つ目");
    label->Release();
    EXPECT_TRUE(AccLong(list, 2, &IAccessible::get_accState) & STATE_SYSTEM_FOCUSED);
    EXPECT_FALSE(AccLong(list, 1, &IAccessible::get_accState) & STATE_SYSTEM_FOCUSED);

    // The default action runs the entry as Enter would.
    VARIANT first{};
    first.vt = VT_I4;
    first.lVal = 1;
    EXPECT_EQ(list->accDoDefaultAction(first), S_OK);
    LaunchRecord record;
    ASSERT_TRUE(WaitForRecord(record));
    EXPECT_NE(record.commandLine.find(L"spoken"), std::wstring::npos);
    EXPECT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }));
    list->Release();
    ::UnhookWinEvent(hook);
    ::CoUninitialize();
}

}  // namespace
}  // namespace tdx::test
