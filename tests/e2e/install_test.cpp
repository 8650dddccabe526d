// The release installer as a user runs it: a silent per-user install, the
// installed program working, and a silent uninstall that leaves nothing of the
// program behind but keeps the user's settings.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "support/tiledex_process_win.h"

namespace tdx::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tiledex";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

fs::path KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

std::optional<std::wstring> ReadHkcuString(const wchar_t* key, const wchar_t* name) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data);
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

bool KeyExists(const wchar_t* key) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    ::RegCloseKey(handle);
    return true;
}

// Runs a program to its end; its exit code, or -1 when it did not end in time.
int RunToEnd(const fs::path& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          exe.parent_path().c_str(), &si, &pi))
        return -1;
    ::CloseHandle(pi.hThread);
    int code = -1;
    if (::WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        ::GetExitCodeProcess(pi.hProcess, &exitCode);
        code = static_cast<int>(exitCode);
    } else {
        ::TerminateProcess(pi.hProcess, 97);
    }
    ::CloseHandle(pi.hProcess);
    return code;
}

TEST(Installer, SilentInstallRunsAndSilentUninstallRemovesAllButTheSettings) {
#ifndef TDX_INSTALLER_NAME
    GTEST_SKIP() << "built without makensis: no installer";
#else
    const fs::path installer = ExeDir().parent_path() / L"dist" / TDX_INSTALLER_NAME;
    ASSERT_TRUE(fs::exists(installer)) << installer;
    const fs::path installDir = KnownFolder(CSIDL_LOCAL_APPDATA) / L"Programs" / L"Tiledex";
    const fs::path shortcut = KnownFolder(CSIDL_PROGRAMS) / L"Tiledex.lnk";
    const fs::path installedExe = installDir / L"tiledex.exe";

    // The user's settings, where the installed program keeps them.
    const fs::path settings = KnownFolder(CSIDL_APPDATA) / L"tiledex";
    const bool settingsExisted = fs::exists(settings);
    fs::create_directories(settings);
    const fs::path keep = settings / L"tiledex.ini";
    const bool keepExisted = fs::exists(keep);
    if (!keepExisted) std::ofstream(keep) << "[Option]\n";

    ASSERT_EQ(RunToEnd(installer, L"/S /AUTORUN"), 0);
    for (const wchar_t* name :
         {L"tiledex.exe", L"tdxhook.dll", L"tiledex.chm", L"tiledex-en.chm", L"uninstall.exe"})
        EXPECT_TRUE(fs::exists(installDir / name)) << name;
    EXPECT_FALSE(fs::exists(installDir / L"tiledex.portable")) << "an installed copy keeps per-user settings";
    EXPECT_TRUE(fs::exists(shortcut));
    EXPECT_EQ(ReadHkcuString(kRunKey, L"Tiledex"), L"\"" + installedExe.wstring() + L"\"");
    EXPECT_EQ(ReadHkcuString(kUninstallKey, L"InstallLocation"), installDir.wstring());
    const auto uninstallString = ReadHkcuString(kUninstallKey, L"UninstallString");
    ASSERT_TRUE(uninstallString.has_value());

    {
        TiledexProcess tiledex(installedExe);
        ASSERT_TRUE(tiledex.Start());
        EXPECT_TRUE(tiledex.ShowPopupByHotKey());

        // Uninstalling while the program runs asks it to exit first. The uninstaller
        // hands over to a copy of itself, so wait for its work rather than for it.
        ASSERT_EQ(RunToEnd(installDir / L"uninstall.exe", L"/S"), 0);
        EXPECT_TRUE(WaitUntil([&] { return !fs::exists(installDir) && !tiledex.Running(); }, 60s));
        EXPECT_FALSE(tiledex.Running());
    }
    EXPECT_FALSE(fs::exists(installDir));
    EXPECT_FALSE(fs::exists(shortcut));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(ReadHkcuString(kRunKey, L"Tiledex").has_value());
    EXPECT_TRUE(fs::exists(keep));

    std::error_code ignored;
    if (!keepExisted) fs::remove(keep, ignored);
    if (!settingsExisted) fs::remove(settings, ignored);
#endif
}

}  // namespace
}  // namespace tdx::test
