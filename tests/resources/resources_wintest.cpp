// The program's own resources as the shell and the program read them. The
// test executable carries the same resource script as tiledex.exe.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <string_view>

#include "resources/icon_pixels.h"
#include "settings/item_icons.h"
#include "settings/item_icons_win.h"

namespace tdx {
namespace {

constexpr std::array<const wchar_t*, OwnIcon::Count> kIconNames = {
    L"MAINICON", L"PCDIMAGE", L"PCDPLAY", L"PCDSTOP", L"START", L"TSTANDBY", L"XCD", L"XCH16"};

HICON NamedIcon(const wchar_t* name, int size) {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), name, IMAGE_ICON, size, size, 0));
}

bool SmallAppIconPair(int a, int b) {
    return (a == OwnIcon::Main && b == OwnIcon::MainSmall) || (a == OwnIcon::MainSmall && b == OwnIcon::Main);
}

long long Distance(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    long long sum = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            sum += std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF));
        }
    }
    return sum;
}

std::array<std::vector<std::uint32_t>, OwnIcon::Count> NamedIcons(int size) {
    std::array<std::vector<std::uint32_t>, OwnIcon::Count> named;
    for (int j = 0; j < OwnIcon::Count; ++j) {
        HICON icon = NamedIcon(kIconNames[j], size);
        if (!icon) continue;
        named[j] = test::IconPixels(icon, size);
        ::DestroyIcon(icon);
    }
    return named;
}

TEST(OwnResources, ExtractionIndexFollowsTheIconNames) {
    const std::wstring self = OwnProgramPath();
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(::ExtractIconExW(self.c_str(), -1, nullptr, nullptr, 0), UINT(OwnIcon::Count));

    const auto named32 = NamedIcons(32);
    const auto named16 = NamedIcons(16);
    for (int i = 0; i < OwnIcon::Count; ++i) {
        ASSERT_FALSE(named32[i].empty() || named16[i].empty()) << i;
        HICON large = nullptr;
        HICON small = nullptr;
        ASSERT_EQ(::ExtractIconExW(self.c_str(), i, &large, &small, 1), 2u) << i;
        const auto extracted32 = test::IconPixels(large, 32);
        const auto extracted16 = test::IconPixels(small, 16);
        ::DestroyIcon(large);
        ::DestroyIcon(small);
        // Large: each index shows exactly its own named icon and no other.
        for (int j = 0; j < OwnIcon::Count; ++j) {
            EXPECT_EQ(extracted32 == named32[j], i == j) << "index " << i << " name " << j;
        }
        // Small: Wine may scale a larger image down instead of taking the
        // 16-pixel one, so the closest named icon must be the right one (the
        // small app icon is the app icon at this size by design).
        int closest = 0;
        for (int j = 1; j < OwnIcon::Count; ++j) {
            if (Distance(extracted16, named16[j]) < Distance(extracted16, named16[closest])) closest = j;
        }
        EXPECT_TRUE(closest == i || SmallAppIconPair(closest, i)) << "index " << i << " looks like " << closest;
    }
}

TEST(OwnResources, IconsAreTransparentAroundTheirPicture) {
    // Round icons: the corners show whatever lies below, the centre does not.
    for (const int index : {OwnIcon::CdImage, OwnIcon::CdPlaying, OwnIcon::CdStopped, OwnIcon::Start,
                            OwnIcon::Standby, OwnIcon::CdTray}) {
        for (const int size : {16, 32}) {
            HICON icon = NamedIcon(kIconNames[index], size);
            ASSERT_NE(icon, nullptr);
            const auto onWhite = test::IconPixels(icon, size, 0x00FFFFFF);
            const auto onBlack = test::IconPixels(icon, size, 0x00000000);
            ::DestroyIcon(icon);
            for (const int corner : {0, size - 1, size * (size - 1), size * size - 1}) {
                EXPECT_EQ(onWhite[corner], 0x00FFFFFFu) << index << " " << size;
                EXPECT_EQ(onBlack[corner], 0x00000000u) << index << " " << size;
            }
            const int middle = size * (size / 2) + size / 2 + size / 4;  // right of the disc's hole
            EXPECT_EQ(onWhite[middle], onBlack[middle]) << index << " " << size;
        }
    }
}

TEST(OwnResources, CdStateIconsLoadAtThirtyTwoPixels) {
    for (const wchar_t* name : {L"PCDPLAY", L"PCDSTOP"}) {
        HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), name);
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        BITMAP colour{};
        ASSERT_NE(info.hbmColor, nullptr);
        ::GetObjectW(info.hbmColor, sizeof(colour), &colour);
        EXPECT_EQ(colour.bmWidth, 32);
        EXPECT_EQ(colour.bmHeight, 32);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
    }
}

TEST(OwnResources, ScreeningPatternIsAnEightPixelCheckerboard) {
    HBITMAP pattern = ::LoadBitmapW(::GetModuleHandleW(nullptr), L"NETPATTERN");
    ASSERT_NE(pattern, nullptr);
    BITMAP bm{};
    ::GetObjectW(pattern, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 8);
    EXPECT_EQ(bm.bmHeight, 8);
    EXPECT_EQ(bm.bmBitsPixel, 1);

    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{};
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = 8;
    info.header.biHeight = -8;
    info.header.biPlanes = 1;
    info.header.biBitCount = 32;
    info.header.biCompression = BI_RGB;
    std::uint32_t pixels[64] = {};
    HDC dc = ::GetDC(nullptr);
    ASSERT_EQ(::GetDIBits(dc, pattern, 0, 8, pixels, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS), 8);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(pattern);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const std::uint32_t expected = ((x + y) % 2 == 0) ? 0x000000u : 0xFFFFFFu;
            EXPECT_EQ(pixels[y * 8 + x] & 0xFFFFFF, expected) << x << "," << y;
        }
    }
}

TEST(OwnResources, GripCursorPointsWithItsTip) {
    HCURSOR grip = ::LoadCursorW(::GetModuleHandleW(nullptr), L"GripCursor");
    ASSERT_NE(grip, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(grip, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 1u);
    EXPECT_EQ(info.yHotspot, 1u);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
}

// The manifest of the built tiledex.exe beside the tests, as Windows reads it at start.
std::string ProgramManifestText() {
    wchar_t path[MAX_PATH]{};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path);
    program = program.substr(0, program.find_last_of(L"\\/") + 1) + L"tiledex.exe";
    HMODULE module = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return {};
    std::string text;
    if (HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {  // RT_MANIFEST
        const char* data = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
        if (data) text.assign(data, ::SizeofResource(module, found));
    }
    ::FreeLibrary(module);
    return text;
}

TEST(OwnResources, ManifestAsksForThemedControlsNoElevationAndPerMonitorDpi) {
    const std::string manifest = ProgramManifestText();
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    // Without these the system reports 96 DPI and stretches every window as a bitmap.
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
}

TEST(OwnResources, VersionResourceNamesTheProgram) {
    const std::wstring self = OwnProgramPath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(self.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(::GetFileVersionInfoW(self.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010008u);  // 1.8
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);  // .0.0

    wchar_t* text = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\StringFileInfo\\041104B0\\FileDescription",
                                 reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(std::wstring_view(text), L"Tiledex");
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\StringFileInfo\\041104B0\\FileVersion",
                                 reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(std::wstring_view(text), L"1.8.0");
}

}  // namespace
}  // namespace tdx
