// A copy of the program carried on a stick: with tiledex.portable beside it, its
// settings live in "settings" beside it and nothing is written for the user;
// without the file, the same copy uses the user's folder as before.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "support/tiledex_process_win.h"

namespace tdx::test {
namespace {

using namespace std::chrono_literals;

namespace fs = std::filesystem;

// Opens "各種設定" from the notification menu and presses its OK: the options
// in force are stored. The dialog hides first and the options are written
// after, in the same handler: the About box, asked for right after OK, opens
// only once that handler is done.
bool StoreOptionsThroughTheDialog(const TiledexProcess& tiledex) {
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 110, 0);
    HWND form = nullptr;
    if (!WaitUntil([&] {
            form = FindProcessWindow(L"TOptionForm", tiledex.ProcessId());
            return form && ::IsWindowVisible(form);
        }))
        return false;
    ::PostMessageW(form, WM_COMMAND, IDOK, 0);
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 114, 0);  // バージョン情報(&A)...
    return WaitUntil([&] {
        HWND about = FindProcessWindow(L"TAboutForm", tiledex.ProcessId());
        return about && ::IsWindowVisible(about) && !::IsWindowVisible(form);
    });
}

// A key of the Option section as the file holds it now (-1 when missing).
int StoredOption(const fs::path& file, const wchar_t* key) {
    // The profile functions cache a file; forget what they read before.
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    return static_cast<int>(::GetPrivateProfileIntW(L"Option", key, -1, file.c_str()));
}

class PortableTest : public ::testing::Test {
protected:
    // tiledex.exe and its hook library copied into a folder of their own.
    fs::path CopyProgram() {
        for (const wchar_t* name : {L"tiledex.exe", L"tdxhook.dll"})
            fs::copy_file(ExeDir() / name, folder_.path() / name, fs::copy_options::overwrite_existing);
        return folder_.path() / L"tiledex.exe";
    }

    TempFolder folder_;
};

TEST_F(PortableTest, BesideTheMarkerTheSettingsStayBesideTheProgram) {
    MouseRest mouse;  // the chord below is typed while the popup comes and goes
    ASSERT_TRUE(mouse.Ready());
    const fs::path exe = CopyProgram();
    WriteSettingsFile(folder_.path() / L"tiledex.portable", "");
    // The hotkey this copy reads from its own folder: Shift + Ctrl + Alt + F5.
    WriteSettingsFile(folder_.path() / L"settings" / L"tiledex.ini", "[Option]\r\nVkMod=7\r\nVkKey=0x74\r\n");
    // Settings of the older layout beside it stay where they are.
    WriteSettingsFile(folder_.path() / L"tiledex.INI", "[Option]\r\nColMax=3\r\n");
    TiledexProcess tiledex(exe);
    ASSERT_TRUE(tiledex.Start());

    PressKeys({VK_SHIFT, VK_CONTROL, VK_MENU, VK_F5});
    EXPECT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }));
    PressKeys({VK_ESCAPE});
    ASSERT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }));
    ASSERT_TRUE(StoreOptionsThroughTheDialog(tiledex));

    const fs::path file = folder_.path() / L"settings" / L"tiledex.ini";
    EXPECT_NE(StoredOption(file, L"KeyCursorFlag"), -1) << "the dialog's OK wrote the options here";
    EXPECT_EQ(StoredOption(file, L"VkKey"), 0x74);
    EXPECT_FALSE(fs::exists(tiledex.SettingsFolder())) << "nothing under %APPDATA%";
    EXPECT_TRUE(fs::exists(folder_.path() / L"tiledex.INI")) << "no migration";
}

TEST_F(PortableTest, WithoutTheMarkerTheSameCopyUsesTheUsersFolder) {
    TiledexProcess tiledex(CopyProgram());
    ASSERT_TRUE(tiledex.Start());
    ASSERT_TRUE(StoreOptionsThroughTheDialog(tiledex));
    const fs::path file = tiledex.SettingsFolder() / L"tiledex.ini";
    EXPECT_EQ(StoredOption(file, L"VkKey"), 'J');
    EXPECT_FALSE(fs::exists(folder_.path() / L"settings"));
}

}  // namespace
}  // namespace tdx::test
