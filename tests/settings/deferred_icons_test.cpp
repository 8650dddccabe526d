// Icons read later are grouped by the drive or share they come from, so that a
// share that does not answer holds back only its own entries.
#include "settings/deferred_icons.h"

#include <gtest/gtest.h>

namespace tdx {
namespace {

TEST(DeferredIcons, IconFilesAreGroupedByThePlaceTheirNamesLeadTo) {
    SystemPaths paths;
    paths.WindowsFolder = L"D:\\WINNT";
    paths.SystemFolder = L"D:\\WINNT\\system32";
    paths.ExpandEnvironment = [](std::wstring_view text) {
        std::wstring out(text);
        if (const auto at = out.find(L"%Tools%"); at != std::wstring::npos)
            out.replace(at, 7, L"\\\\Server\\Tools");
        return out;
    };
    // One pair of quotes, a macro or a variable does not hide the place.
    EXPECT_EQ(IconFileRoot(L"\"\\\\server\\share\\dir\\a.ico\"", paths), L"\\\\SERVER\\SHARE");
    EXPECT_EQ(IconFileRoot(L"\"c:\\Program Files\\app.exe\"", paths), L"C:");
    EXPECT_EQ(IconFileRoot(L"%sysdir%\\shell32.dll", paths), L"D:");
    EXPECT_EQ(IconFileRoot(L"%Tools%\\x.exe", paths), L"\\\\SERVER\\TOOLS");
    EXPECT_EQ(IconFileRoot(L"//host/icons/b.ico", paths), L"//HOST/ICONS");
    // Names with no place of their own share one group.
    EXPECT_EQ(IconFileRoot(L"Tiledex.exe", paths), L"");
    EXPECT_EQ(IconFileRoot(L"\"relative\\c.ico\"", paths), L"");
}

}  // namespace
}  // namespace tdx
