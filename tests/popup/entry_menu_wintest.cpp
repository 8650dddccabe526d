// The entry menu of the System tray's built-in entries, opened by a right press
// and driven by its access keys as a user does: the CD items reach the CD
// device, "切断" asks to cut the network drive; and a press on the System tray
// in the moment of the first paint is taken for the one that showed the popup.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "popup/cd_audio_device.h"
#include "popup/tdx_main_form.h"
#include "support/settings_in_memory.h"

namespace tdx::test {
namespace {

// An audio CD in a drive that plays: three tracks a minute apart.
class RecordingMci : public MciPort {
public:
    std::vector<std::string> Calls;

    std::uint32_t Open(WindowHandle, std::uint16_t& deviceId) override {
        deviceId = 7;
        return 0;
    }
    std::uint32_t SetTimeFormatMilliseconds(std::uint16_t) override { return 0; }
    std::uint32_t Close(std::uint16_t, WindowHandle) override { return 0; }
    std::uint32_t Status(std::uint16_t, std::uint32_t item, std::optional<std::uint32_t> track,
                         std::uint32_t& value) override {
        if (item == CdStatusItem::Mode) value = CdMode::Playing;
        else if (item == CdStatusItem::CurrentTrack) value = 2;
        else if (item == CdStatusItem::Position) value = track ? *track * 60000 : 90000;
        else value = 180000;
        return 0;
    }
    std::uint32_t Play(std::uint16_t, WindowHandle, std::optional<std::uint32_t> from) override {
        Calls.push_back("play from " + (from ? std::to_string(*from) : std::string("here")));
        return 0;
    }
    std::uint32_t Pause(std::uint16_t, WindowHandle) override {
        Calls.push_back("pause");
        return 0;
    }
    std::uint32_t SetDoor(std::uint16_t, WindowHandle, bool open) override {
        Calls.push_back(open ? "door open" : "door closed");
        return 0;
    }
};

void PressKey(WORD vk) {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
}

// Answers every menu that opens with one key, from another thread, since the
// menu holds the test's thread until it closes.
class MenuAnswerer {
public:
    MenuAnswerer() : thread_([this] { Run(); }) {}
    ~MenuAnswerer() {
        stop_ = true;
        thread_.join();
    }
    void AnswerWith(WORD key) { key_ = key; }
    int Opened() const { return opened_; }

private:
    static HWND OpenMenu() {
        HWND menu = ::FindWindowW(L"#32768", nullptr);
        return menu && ::IsWindowVisible(menu) ? menu : nullptr;
    }
    void Run() {
        while (!stop_) {
            if (OpenMenu()) {
                ++opened_;
                ::Sleep(100);
                PressKey(key_);
                for (int i = 0; i < 300 && OpenMenu(); ++i) ::Sleep(10);
            }
            ::Sleep(5);
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<int> opened_{0};
    std::atomic<WORD> key_{VK_ESCAPE};
    std::thread thread_;
};

LaunchItem BuiltIn(const wchar_t* title, const wchar_t* target, std::uint32_t extra = 0) {
    LaunchItem item;
    item.Title = title;
    item.ExeFileName = target;
    item.Status = ItemStatus::BuiltIn | extra;
    return item;
}

class EntryMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ItemList programs{BuiltIn(L"メモ帳", L"C:\\windows\\notepad.exe")};
        programs[0].Status = 0;
        ItemList systems{BuiltIn(L"CD", L"CD Player", ItemStatus::InternalCommand),
                                        BuiltIn(L"X:\\", L"X:\\")};
        systems[1].NetworkDrive = true;
        memory.SetLists(std::move(programs), std::move(systems));
        ASSERT_TRUE(cd.Open(nullptr));
        ASSERT_TRUE(popup.Create(nullptr));
        SystemPorts ports;
        ports.CancelNetworkConnection = [this](const std::wstring& name) { cutDrives.push_back(name); };
        popup.SetSystemPorts(ports);
        PopupLinks links;
        links.CdDevice = &cd;
        popup.SetLinks(links);
    }
    void TearDown() override { popup.HidePopup(); }

    // Shows the popup and paints it at once, as the window system does.
    void Show() {
        popup.ShowPopup(kPopupByHotkey);
        ::UpdateWindow(popup.hwnd());
    }
    HWND Box(int id) const { return ::GetDlgItem(popup.hwnd(), id); }
    // A right press on a cell of a tray, handled before this returns.
    void RightPress(int boxId, int index) {
        const LPARAM at = MAKELPARAM(2 + index * 40 + 20, 22);
        ::SendMessageW(Box(boxId), WM_RBUTTONDOWN, MK_RBUTTON, at);
        ::SendMessageW(Box(boxId), WM_RBUTTONUP, 0, at);
    }
    void PastTheGuard() { ::Sleep(200); }

    RecordingMci mci;
    CdAudioDevice cd{mci, CdWaitHooks{[] { return static_cast<std::uint32_t>(::GetTickCount()); }, [] {}}};
    SettingsInMemory memory;
    TTdxMainForm popup{memory.settings};
    std::vector<std::wstring> cutDrives;
};

TEST_F(EntryMenuTest, FirstPaintGuardsTheSystemTrayButNotTheProgramTray) {
    MenuAnswerer menus;
    Show();
    RightPress(kSysPaintBoxId, 0);
    EXPECT_EQ(menus.Opened(), 0) << "the press that showed the popup opened the menu";
    RightPress(kExecPaintBoxId, 0);
    EXPECT_EQ(menus.Opened(), 1) << "the Program tray answers at once";

    PastTheGuard();
    RightPress(kSysPaintBoxId, 0);
    EXPECT_EQ(menus.Opened(), 2);
    EXPECT_TRUE(::IsWindowVisible(popup.hwnd())) << "Escape leaves the popup as it was";
}

TEST_F(EntryMenuTest, CdItemsDriveTheDeviceAndCutAsksForTheDrive) {
    MenuAnswerer menus;
    const struct {
        WORD key;
        const char* call;
    } steps[] = {{'E', "door open"}, {'N', "play from 180000"}, {'V', "play from 60000"},
                 {'P', "play from 60000"}};
    for (const auto& step : steps) {
        mci.Calls.clear();
        Show();
        PastTheGuard();
        menus.AnswerWith(step.key);
        RightPress(kSysPaintBoxId, 0);
        ASSERT_FALSE(mci.Calls.empty()) << "key " << static_cast<char>(step.key);
        EXPECT_EQ(mci.Calls.back(), step.call);
        EXPECT_FALSE(::IsWindowVisible(popup.hwnd())) << "a CD command hides the popup";
    }

    Show();
    PastTheGuard();
    menus.AnswerWith('D');
    RightPress(kSysPaintBoxId, 1);
    EXPECT_EQ(cutDrives, std::vector<std::wstring>{L"X:"});
    EXPECT_FALSE(::IsWindowVisible(popup.hwnd()));
}

}  // namespace
}  // namespace tdx::test
