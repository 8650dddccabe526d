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
// in force are stored.
bool StoreOptionsThroughTheDialog(const TiledexProcess& tiledex) {
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 110, 0);
    HWND form = nullptr;
    if (!WaitUntil([&] {
            form = FindProcessWindow(L"TOptionForm", tiledex.ProcessId());
            return form && ::IsWindowVisible(form);
        }))
        return false;
    ::PostMessageW(form, WM_COMMAND, IDOK, 0);
    return WaitUntil([&] { return !::IsWindowVisible(form); });
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

    const auto file = (folder_.path() / L"settings" / L"tiledex.ini").wstring();
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    EXPECT_EQ(::GetPrivateProfileIntW(L"Option", L"VkKey", -1, file.c_str()), 0x74u);
    EXPECT_NE(::GetPrivateProfileIntW(L"Option", L"KeyCursorFlag", -1, file.c_str()), static_cast<UINT>(-1))
        << "the dialog's OK wrote the options here";
    EXPECT_FALSE(fs::exists(tiledex.SettingsFolder())) << "nothing under %APPDATA%";
    EXPECT_TRUE(fs::exists(folder_.path() / L"tiledex.INI")) << "no migration";
}

TEST_F(PortableTest, WithoutTheMarkerTheSameCopyUsesTheUsersFolder) {
    TiledexProcess tiledex(CopyProgram());
    ASSERT_TRUE(tiledex.Start());
    ASSERT_TRUE(StoreOptionsThroughTheDialog(tiledex));
    const auto file = (tiledex.SettingsFolder() / L"tiledex.ini").wstring();
    EXPECT_EQ(::GetPrivateProfileIntW(L"Option", L"VkKey", -1, file.c_str()), static_cast<UINT>('J'));
    EXPECT_FALSE(fs::exists(folder_.path() / L"settings"));
}

}  // namespace
}  // namespace tdx::test
