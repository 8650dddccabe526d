// Path macros, the version number and the environment on a real system.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "settings/path_macros_win.h"
#include "settings/windows_version_win.h"

namespace tdx {
namespace {

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH] = {};
    ::GetSystemDirectoryW(buffer, MAX_PATH);
    return buffer;
}

std::wstring WindowsFolder() {
    wchar_t buffer[MAX_PATH] = {};
    ::GetWindowsDirectoryW(buffer, MAX_PATH);
    return buffer;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Sets an environment variable of this process for one test.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedVariable() { ::SetEnvironmentVariableW(name_, nullptr); }

private:
    const wchar_t* name_;
};

TEST(PathMacrosOnWindows, SystemFolderMacroNamesARealFile) {
    const std::wstring expected = SystemFolder() + L"\\Shell32.Dll";
    EXPECT_EQ(ExpandPathMacros(L"%sysdir%\\Shell32.Dll"), expected);
    EXPECT_EQ(ExpandPathMacros(L"%SYSDIR%\\Shell32.Dll"), expected);
    EXPECT_TRUE(Exists(expected));
    EXPECT_EQ(ExpandPathMacros(L"C:\\x\\%sysdir%"), L"C:\\x\\%sysdir%");
}

TEST(PathMacrosOnWindows, CommandInterpreterFollowsThePlatform) {
    EXPECT_EQ(ExpandPathMacros(L"%TiledexDosCommand%"), SystemFolder() + L"\\cmd.exe");
    EXPECT_TRUE(Exists(ExpandPathMacros(L"%TiledexDosCommand%")));
    EXPECT_EQ(ExpandPathMacros(L"%TiledexDosIcon%"), SystemFolder() + L"\\cmd.exe");
    {
        ScopedWindowsVersion windows98(410);
        EXPECT_EQ(ExpandPathMacros(L"%TiledexDosCommand%"), WindowsFolder() + L"\\command.com");
        EXPECT_EQ(ExpandPathMacros(L"%TiledexDosIcon%"), SystemFolder() + L"\\WINOA386.MOD");
    }
    EXPECT_EQ(ExpandPathMacros(L"%TiledexDosCommand%"), SystemFolder() + L"\\cmd.exe");
}

TEST(PathMacrosOnWindows, BrowserOnTheSystemDrive) {
    const std::wstring drive = SystemFolder().substr(0, 2);
    EXPECT_EQ(ExpandPathMacros(L"%InternetExplorer% -x"),
              drive + L"\\Program Files\\Internet Explorer\\iexplore.exe");
}

TEST(PathMacrosOnWindows, EnvironmentVariablesComeFirst) {
    wchar_t root[MAX_PATH] = {};
    ASSERT_GT(::GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH), 0u);
    EXPECT_EQ(ExpandPathMacros(L"%SystemRoot%\\notepad.exe"), std::wstring(root) + L"\\notepad.exe");

    ScopedVariable indirect(L"TDX_TEST_TOOLS", L"%sysdir%\\tools");
    EXPECT_EQ(ExpandPathMacros(L"%TDX_TEST_TOOLS%\\a.exe"), SystemFolder() + L"\\tools\\a.exe");
    // A user variable of the macro's name wins over the macro.
    ScopedVariable shadow(L"sysdir", L"E:\\mine");
    EXPECT_EQ(ExpandPathMacros(L"%sysdir%\\b.exe"), L"E:\\mine\\b.exe");
    EXPECT_EQ(ExpandPathMacros(L"%TDX_NO_SUCH_VARIABLE%\\c"), L"%TDX_NO_SUCH_VARIABLE%\\c");
}

TEST(PathMacrosOnWindows, LongExpansionsAreExpandedWholeBeforeTheCut) {
    ScopedVariable longValue(L"TDX_TEST_LONG", std::wstring(2000, L'q'));
    EXPECT_EQ(ExpandEnvironmentVariables(L"<%TDX_TEST_LONG%>"), L"<" + std::wstring(2000, L'q') + L">");
    EXPECT_EQ(ExpandPathMacros(L"%TDX_TEST_LONG%"), std::wstring(260, L'q'));
    EXPECT_EQ(ExpandPathMacros(L"%sysdir%%TDX_TEST_LONG%"), SystemFolder() + std::wstring(260, L'q'));
}

TEST(WindowsVersionOnWindows, RealVersionAndTheTestSeam) {
    const int real = WindowsVersionNumber();
    EXPECT_TRUE(IsNtFamily(real));
    EXPECT_GE(real, WindowsVersion::WindowsXP);
    {
        ScopedWindowsVersion me(490);
        EXPECT_EQ(WindowsVersionNumber(), 490);
        {
            ScopedWindowsVersion xp(1501);
            EXPECT_EQ(WindowsVersionNumber(), 1501);
        }
        EXPECT_EQ(WindowsVersionNumber(), 490);
    }
    EXPECT_EQ(WindowsVersionNumber(), real);
}

}  // namespace
}  // namespace tdx
