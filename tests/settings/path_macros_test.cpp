#include "settings/path_macros.h"

#include <gtest/gtest.h>

#include <map>

namespace tdx {
namespace {

// A Windows 2000 machine installed on D:, with a small environment.
SystemPaths NtPaths() {
    SystemPaths p;
    p.WindowsFolder = L"D:\\WINNT";
    p.SystemFolder = L"D:\\WINNT\\system32";
    p.NtFamily = true;
    p.ExpandEnvironment = [](std::wstring_view text) {
        static const std::map<std::wstring, std::wstring> vars = {
            {L"%SystemRoot%", L"D:\\WINNT"},
            {L"%ToSysdir%", L"%sysdir%\\x"},
            {L"%Long%", std::wstring(300, L'z')},
        };
        std::wstring out(text);
        for (const auto& [name, value] : vars) {
            for (auto at = out.find(name); at != std::wstring::npos; at = out.find(name, at + value.size())) {
                out.replace(at, name.size(), value);
            }
        }
        return out;
    };
    return p;
}

SystemPaths Win98Paths() {
    SystemPaths p;
    p.WindowsFolder = L"C:\\WINDOWS";
    p.SystemFolder = L"C:\\WINDOWS\\SYSTEM";
    p.NtFamily = false;
    return p;
}

TEST(PathMacros, SystemFolderMacroInAnyLetterCase) {
    const SystemPaths p = NtPaths();
    EXPECT_EQ(ExpandPathMacros(L"%sysdir%\\Shell32.Dll", p), L"D:\\WINNT\\system32\\Shell32.Dll");
    EXPECT_EQ(ExpandPathMacros(L"%SYSDIR%\\Shell32.Dll", p), L"D:\\WINNT\\system32\\Shell32.Dll");
    EXPECT_EQ(ExpandPathMacros(L"%SysDir%", p), L"D:\\WINNT\\system32");
}

TEST(PathMacros, CommandInterpreterAndItsIconFollowThePlatform) {
    const SystemPaths nt = NtPaths();
    EXPECT_EQ(ExpandPathMacros(L"%TiledexDosCommand%", nt), L"D:\\WINNT\\system32\\cmd.exe");
    EXPECT_EQ(ExpandPathMacros(L"%tiledexdosicon%", nt), L"D:\\WINNT\\system32\\cmd.exe");
    const SystemPaths w98 = Win98Paths();
    EXPECT_EQ(ExpandPathMacros(L"%TiledexDosCommand%", w98), L"C:\\WINDOWS\\command.com");
    EXPECT_EQ(ExpandPathMacros(L"%TiledexDosIcon%", w98), L"C:\\WINDOWS\\SYSTEM\\WINOA386.MOD");
    // The longer macro is tried first, so the shorter one's text is no prefix trap.
    EXPECT_EQ(ExpandPathMacros(L"%TiledexDosCommand% /k", nt), L"D:\\WINNT\\system32\\cmd.exe /k");
}

TEST(PathMacros, BrowserMacroIsTheWholePathOnTheSystemDrive) {
    const SystemPaths p = NtPaths();
    const std::wstring browser = L"D:\\Program Files\\Internet Explorer\\iexplore.exe";
    EXPECT_EQ(ExpandPathMacros(L"%InternetExplorer%", p), browser);
    EXPECT_EQ(ExpandPathMacros(L"%InternetExplorer% -x", p), browser);
    EXPECT_EQ(ExpandPathMacros(L"%internetexplorer%\\whatever", p), browser);
    EXPECT_EQ(InternetExplorerPath(Win98Paths()), L"C:\\Program Files\\Internet Explorer\\iexplore.exe");
    EXPECT_EQ(SystemDrive(p), L"D:");
}

TEST(PathMacros, MacrosCountOnlyAtTheStart) {
    const SystemPaths p = NtPaths();
    EXPECT_EQ(ExpandPathMacros(L"C:\\Tools\\%sysdir%", p), L"C:\\Tools\\%sysdir%");
    EXPECT_EQ(ExpandPathMacros(L" %sysdir%", p), L" %sysdir%");
    EXPECT_EQ(ExpandPathMacros(L"x%InternetExplorer%", p), L"x%InternetExplorer%");
    EXPECT_EQ(ExpandPathMacros(L"%sysdi", p), L"%sysdi");
    EXPECT_EQ(ExpandPathMacros(L"", p), L"");
    EXPECT_EQ(ExpandPathMacros(L"MyComputer", p), L"MyComputer");
}

TEST(PathMacros, EnvironmentIsExpandedBeforeTheMacros) {
    const SystemPaths p = NtPaths();
    EXPECT_EQ(ExpandPathMacros(L"%SystemRoot%\\notepad.exe", p), L"D:\\WINNT\\notepad.exe");
    // A variable may itself produce a macro, which is then recognised.
    EXPECT_EQ(ExpandPathMacros(L"%ToSysdir%", p), L"D:\\WINNT\\system32\\x");
    // Without an expander the text is taken as it is.
    EXPECT_EQ(ExpandPathMacros(L"%SystemRoot%\\a", Win98Paths()), L"%SystemRoot%\\a");
}

TEST(PathMacros, TextAfterTheMacroIsKeptTo260Characters) {
    const SystemPaths p = NtPaths();
    const std::wstring rest = L"\\" + std::wstring(400, L'a');
    EXPECT_EQ(ExpandPathMacros(L"%sysdir%" + rest, p), p.SystemFolder + rest.substr(0, 260));
    EXPECT_EQ(ExpandPathMacros(L"%Long%", p), std::wstring(260, L'z'));
    // A character outside the basic plane is never split in half.
    std::wstring pairs = std::wstring(259, L'b') + L"\xD83D\xDE00";
    EXPECT_EQ(ExpandPathMacros(pairs, p), std::wstring(259, L'b'));
}

TEST(PathMacros, CaseInsensitiveComparisonTouchesOnlyAsciiLetters) {
    EXPECT_TRUE(EqualsIgnoringCase(L"tiledex.EXE", L"Tiledex.exe"));
    EXPECT_FALSE(EqualsIgnoringCase(L"Tiledex.exe ", L"Tiledex.exe"));
    // '@' and '`' sit next to the letters in ASCII: they are not letters.
    EXPECT_FALSE(EqualsIgnoringCase(L"@", L"`"));
    EXPECT_FALSE(EqualsIgnoringCase(L"\x00C4", L"\x00E4"));
    EXPECT_TRUE(StartsWithIgnoringCase(L"ABC", L""));
    EXPECT_FALSE(StartsWithIgnoringCase(L"AB", L"ABC"));
}

}  // namespace
}  // namespace tdx
