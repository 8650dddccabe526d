// Entry icons from real files, folders, drives and shell folders.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "resources/icon_pixels.h"
#include "settings/item_icons_win.h"
#include "settings/path_macros_win.h"
#include "settings/special_folders.h"
#include "settings/special_folders_win.h"

namespace tdx {
namespace {

// A fresh folder under %TEMP% holding the files a test writes; removed afterwards.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"tdx_icons_" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const auto& file : files_) ::DeleteFileW(file.c_str());
        ::RemoveDirectoryW(path_.c_str());
    }
    std::wstring Write(const std::wstring& name, const std::string& bytes) {
        const std::wstring file = path_ + L"\\" + name;
        HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(h);
        files_.push_back(file);
        return file;
    }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

// An icon the caller owns: DestroyIcon accepts it exactly once.
void ExpectOwnedAndDestroy(HICON icon) {
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(IsSharedIcon(icon));
    EXPECT_TRUE(::DestroyIcon(icon));
}

TEST(SharedIcons, ComeFromTheSystemShellLibrary) {
    LoadSharedIcons();
    HICON document = DocumentIcon();
    HICON application = ApplicationIcon();
    ASSERT_NE(document, nullptr);
    ASSERT_NE(application, nullptr);
    EXPECT_NE(document, application);
    EXPECT_TRUE(IsSharedIcon(document));
    EXPECT_TRUE(IsSharedIcon(application));
    EXPECT_FALSE(IsSharedIcon(nullptr));
    // Loading again keeps the same handles: lists compare against them.
    LoadSharedIcons();
    EXPECT_EQ(DocumentIcon(), document);

    const std::wstring shell32 = ExpandPathMacros(L"%sysdir%\\Shell32.Dll");
    HICON first = ::ExtractIconW(::GetModuleHandleW(nullptr), shell32.c_str(), 0);
    HICON third = ::ExtractIconW(::GetModuleHandleW(nullptr), shell32.c_str(), 2);
    EXPECT_EQ(test::IconPixels(document, 32), test::IconPixels(first, 32));
    EXPECT_EQ(test::IconPixels(application, 32), test::IconPixels(third, 32));
    ::DestroyIcon(first);
    ::DestroyIcon(third);
}

TEST(LoadItemIconOnWindows, IndexedSourcesAndTheirFallbacks) {
    TempFolder folder;
    // One "ret" instruction: a program without any icon.
    const std::wstring com = folder.Write(L"noicon.com", "\xC3");
    const std::wstring upperCom = folder.Write(L"NOICON2.COM", "\xC3");
    const std::wstring text = folder.Write(L"note.txt", "hello");

    EXPECT_EQ(LoadItemIcon(0, folder.path() + L"\\missing.exe", 3), DocumentIcon());
    EXPECT_EQ(LoadItemIcon(0, com, 0), ApplicationIcon());
    EXPECT_EQ(LoadItemIcon(0, upperCom, 1), ApplicationIcon());
    EXPECT_EQ(LoadItemIcon(0, text, 0), DocumentIcon());
    // The system's shell library has more than three icons.
    ExpectOwnedAndDestroy(LoadItemIcon(3, ExpandPathMacros(L"%sysdir%\\Shell32.Dll"), 3));
}

TEST(LoadItemIconOnWindows, OwnProgramWordReadsTheRunningFile) {
    for (const int index : {0, 5, 7}) {
        HICON icon = LoadItemIcon(7, L"tiledex.EXE", index);
        ASSERT_NE(icon, nullptr);
        ASSERT_FALSE(IsSharedIcon(icon)) << index;
        static const wchar_t* const names[] = {L"MAINICON", L"", L"", L"", L"", L"TSTANDBY", L"", L"XCH16"};
        HICON named = static_cast<HICON>(
            ::LoadImageW(::GetModuleHandleW(nullptr), names[index], IMAGE_ICON, 32, 32, 0));
        EXPECT_EQ(test::IconPixels(icon, 32), test::IconPixels(named, 32)) << index;
        ::DestroyIcon(named);
        EXPECT_TRUE(::DestroyIcon(icon));
    }
    // Past the last icon of an .exe: the program fallback.
    EXPECT_EQ(LoadItemIcon(0, L"TILEDEX.exe", 8), ApplicationIcon());
}

TEST(LoadItemIconOnWindows, AssociatedIconsOfFilesFoldersAndDrives) {
    ExpectOwnedAndDestroy(LoadItemIcon(0, ExpandPathMacros(L"%sysdir%\\cmd.exe"), -1));
    ExpectOwnedAndDestroy(LoadItemIcon(1, L"C:\\", -1));

    // Files and folders whose icon the shell cannot say (Wine knows none for
    // these) still get an icon to draw.
    TempFolder folder;
    const std::wstring text = folder.Write(L"note.txt", "hello");
    for (const std::wstring& path : {text, folder.path()}) {
        HICON icon = LoadItemIcon(0, path, -1);
        ASSERT_NE(icon, nullptr);
        if (!IsSharedIcon(icon)) {
            EXPECT_TRUE(::DestroyIcon(icon));
        }
    }
    EXPECT_EQ(LoadItemIcon(0, folder.path() + L"\\gone.txt", -1), DocumentIcon());
}

TEST(SpecialFoldersOnWindows, EveryKnownNameResolvesToAShellFolder) {
    for (const wchar_t* name :
         {L"ControlPanel", L"MyComputer", L"DustBox", L"NetWork", L"Printer", L"MyDocument", L"DeskTop"}) {
        PIDLIST_ABSOLUTE list = nullptr;
        EXPECT_TRUE(SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, SpecialFolderId(name), &list)))
            << std::wstring(name).size();
        ::CoTaskMemFree(list);
    }
}

TEST(SpecialFoldersOnWindows, IconsOfFoldersAndOfUnknownNames) {
    for (const wchar_t* name : {L"MyComputer", L"DeskTop", L"MyDocument"}) {
        HICON icon = SpecialFolderIcon(name);
        ASSERT_NE(icon, nullptr) << std::wstring(name).size();
        EXPECT_TRUE(::DestroyIcon(icon));
    }
    EXPECT_EQ(SpecialFolderIcon(L"Attic"), nullptr);
    EXPECT_EQ(SpecialFolderIcon(L"mycomputer"), nullptr);
    ExpectOwnedAndDestroy(LoadItemIcon(11, L"MyComputer", -1));
    EXPECT_EQ(LoadItemIcon(11, L"Attic", -1), nullptr);
}

std::set<HWND> VisibleTopLevelWindows() {
    std::set<HWND> windows;
    ::EnumWindows(
        [](HWND w, LPARAM data) -> BOOL {
            if (::IsWindowVisible(w)) reinterpret_cast<std::set<HWND>*>(data)->insert(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

TEST(SpecialFoldersOnWindows, KnownFoldersOpenInTheShellAndUnknownNamesOpenNothing) {
    EXPECT_FALSE(OpenSpecialFolder(L"Attic"));
    EXPECT_FALSE(OpenSpecialFolder(SpecialFolder::None));

    const std::set<HWND> before = VisibleTopLevelWindows();
    EXPECT_TRUE(OpenSpecialFolder(L"MyComputer"));
    // Close the shell window that the request brings up, once it is there.
    bool closed = false;
    for (int i = 0; i < 30 && !closed; ++i) {
        ::Sleep(100);
        for (HWND w : VisibleTopLevelWindows()) {
            if (before.count(w) || w == ::FindWindowW(L"Shell_TrayWnd", nullptr)) continue;
            ::PostMessageW(w, WM_CLOSE, 0, 0);
            closed = true;
        }
    }
}

}  // namespace
}  // namespace tdx
