// The item lists on a real system: drives from GetLogicalDrives, shell names and
// icons of drive roots, and lists and the environment table through real INI files.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <bitset>
#include <memory>

#include "settings/environments.h"
#include "settings/item_context_win.h"
#include "settings/system_items.h"
#include "support/profile_settings_win.h"

namespace tdx {
namespace {

using test::ProfileSettingsForTests;

std::wstring TempFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"tdx_lists_" + name + L"_" +
                          std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string Narrow(const std::wstring& text) {
    char buffer[MAX_PATH * 2];
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
    return n > 0 ? std::string(buffer) : std::string();
}

std::wstring SystemFolder() {
    wchar_t sys[MAX_PATH];
    ::GetSystemDirectoryW(sys, MAX_PATH);
    return sys;
}

// The real platform half, with settings files in a folder of the test's own and
// simple stand-ins for what the path and icon helpers will provide.
class RealItemContext {
public:
    explicit RealItemContext(const wchar_t* name) : folder(TempFolder(name)) {
        ctx = MakeWin32ItemContext();
        ctx.openReader = [this](int n) -> std::unique_ptr<SettingsReader> {
            return std::make_unique<ProfileSettingsForTests>(FileName(n));
        };
        ctx.openWriter = [this](int n) -> std::unique_ptr<SettingsWriter> {
            return std::make_unique<ProfileSettingsForTests>(FileName(n));
        };
        ctx.deleteFile = [this](int n) { ::DeleteFileW(FileName(n).c_str()); };
        ctx.writeOptions = [](SettingsWriter& w, const OptionSet& o) {
            w.WriteString(L"Option", L"VkKey", std::to_wstring(o.VkKey));
        };
        ctx.expandPathMacros = [](std::wstring_view text) {
            const std::wstring_view macro = L"%sysdir%";
            if (text.substr(0, macro.size()) == macro)
                return SystemFolder() + std::wstring(text.substr(macro.size()));
            return std::wstring(text);
        };
        ctx.loadIcon = [this](std::uint32_t, std::wstring_view file, std::int32_t index) -> IconHandle {
            HICON icon = ::ExtractIconW(::GetModuleHandleW(nullptr), std::wstring(file).c_str(),
                                        static_cast<UINT>(index < 0 ? 0 : index));
            return reinterpret_cast<UINT_PTR>(icon) > 1 ? icon : ctx.documentIcon;
        };
        ctx.documentIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
        ctx.applicationIcon = ::LoadIconW(nullptr, IDI_WINLOGO);
        ctx.windowsVersion = [] { return 1501; };
        ctx.openCdDevice = [] {};
        ctx.closeCdDevice = [] {};
        CheckItemContext(ctx);
    }
    ~RealItemContext() {
        for (int n = 1; n <= 5; ++n) ::DeleteFileW(FileName(n).c_str());
        ::RemoveDirectoryW(folder.c_str());
    }
    std::wstring FileName(int n) const {
        return folder + (n == 1 ? std::wstring(L"\\tiledex.ini")
                                : L"\\tiledex" + std::to_wstring(n) + L".ini");
    }

    std::wstring folder;
    ItemContext ctx;
};

TEST(Win32ItemContext, DrivesAreTheMachinesOwn) {
    RealItemContext real(L"drives");
    const DWORD mask = ::GetLogicalDrives();
    ASSERT_NE(mask, 0u);
    EXPECT_EQ(real.ctx.driveMask(), mask);

    ItemList list;
    EXPECT_TRUE(RefreshDriveItems(real.ctx, list));
    EXPECT_EQ(list.size(), std::bitset<32>(mask).count());
    bool sawC = false;
    for (const auto& item : list) {
        SCOPED_TRACE(testing::Message() << item.ExeFileName.c_str());
        EXPECT_EQ(item.ExeFileName.size(), 3u);
        EXPECT_EQ(item.IconFileName, item.ExeFileName);
        EXPECT_EQ(item.Status, ItemStatus::BuiltIn);
        EXPECT_FALSE(item.Title.empty());
        sawC = sawC || item.ExeFileName == L"C:\\";
    }
    EXPECT_TRUE(sawC);
    EXPECT_FALSE(RefreshDriveItems(real.ctx, list));
    FreeItemList(real.ctx, list, true);
}

TEST(Win32ItemContext, FilesDrivesAndShellInfo) {
    RealItemContext real(L"files");
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_TRUE(real.ctx.fileExists(self));
    EXPECT_FALSE(real.ctx.fileExists(real.folder));                  // a folder is no file
    EXPECT_FALSE(real.ctx.fileExists(real.folder + L"\\none.exe"));
    EXPECT_FALSE(real.ctx.isRemoteDrive(L"C:\\"));

    ShellFileInfo info = real.ctx.shellFileInfo(L"C:\\");
    EXPECT_NE(info.Icon, nullptr);
    EXPECT_FALSE(info.DisplayName.empty());
    real.ctx.destroyIcon(info.Icon);
}

TEST(Win32ItemLists, SystemListRoundTripsThroughTheIniFileInShiftJis) {
    RealItemContext real(L"system");
    ItemList first;
    ReadSystemItems(real.ctx, first, 1);  // no file yet: defaults and drives are written
    ASSERT_NE(FindSystemItem(real.ctx, first, L"Exit"), -1);
    EXPECT_EQ(first[static_cast<std::size_t>(FindSystemItem(real.ctx, first, L"Exit"))].IconIndex, 27);

    // The file is in the system code page, as older versions of the program wrote it.
    char raw[256];
    ::GetPrivateProfileStringA("System", "Title0", "", raw, sizeof raw,
                               Narrow(real.FileName(1)).c_str());
    EXPECT_STREQ(raw, "\x83\x7d\x83\x43\x83\x52\x83\x93\x83\x73\x83\x85\x81\x5b\x83\x5e");

    ItemList second;
    ReadSystemItems(real.ctx, second, 1);
    ASSERT_EQ(second.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(second[i].Title, first[i].Title);
        EXPECT_EQ(second[i].ExeFileName, first[i].ExeFileName);
        EXPECT_EQ(second[i].Status, first[i].Status);
        EXPECT_EQ(second[i].IconIndex, first[i].IconIndex);
    }
    FreeItemList(real.ctx, first, true);
    FreeItemList(real.ctx, second, true);
}

TEST(Win32ItemLists, ProgramListRoundTripsAndAFailedWriteIsReported) {
    RealItemContext real(L"program");
    LaunchItem item;
    item.Title = L"メモ帳";
    item.ExeFileName = SystemFolder() + L"\\notepad.exe";
    item.IconFileName = item.ExeFileName;
    item.ArgumentName = L"/p \"a b.txt\"";
    item.Status = 0x4200;
    ItemList list = {item};
    WriteProgramItems(real.ctx, list, 2);

    EnvironmentTable table;
    ItemList back;
    ReadProgramItems(real.ctx, table, back, 2);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].Title, L"メモ帳");
    EXPECT_EQ(back[0].ArgumentName, item.ArgumentName);
    EXPECT_EQ(back[0].Status, 0x4200u);
    FreeItemList(real.ctx, back, true);

    // A folder where the file should be: the write fails with the file's name.
    ASSERT_TRUE(::CreateDirectoryW(real.FileName(3).c_str(), nullptr));
    try {
        WriteProgramItems(real.ctx, list, 3);
        ADD_FAILURE() << "no error";
    } catch (const SettingsWriteError& e) {
        EXPECT_EQ(e.Message(), real.FileName(3) + L" に書き込めません");
    }
    ::RemoveDirectoryW(real.FileName(3).c_str());
}

TEST(Win32ItemLists, EnvironmentTableAndNewEnvironmentFileOnDisk) {
    RealItemContext real(L"env");
    ::WritePrivateProfileStringW(L"Option", L"IniUserName1", L"hanako", real.FileName(1).c_str());
    ::WritePrivateProfileStringW(L"Option", L"IniMax", L"2", real.FileName(1).c_str());
    ::WritePrivateProfileStringW(L"Option", L"IniOrder2", L"3", real.FileName(1).c_str());
    ::WritePrivateProfileStringW(L"Option", L"IniNo", L"2", real.FileName(1).c_str());
    ::WritePrivateProfileStringW(L"Program", L"Title0", L"古い", real.FileName(3).c_str());

    EnvironmentTable table;
    ItemList program;
    ReadProgramItems(real.ctx, table, program, -1);
    EXPECT_EQ(table.CurrentFileNumber(), 3);
    ASSERT_EQ(program.size(), 1u);
    EXPECT_EQ(program[0].Title, L"古い");
    FreeItemList(real.ctx, program, true);

    table.Slot(2).IniName = L"自宅";
    WriteEnvironments(real.ctx, table);
    WriteCurrentEnvironment(real.ctx, table);
    EnvironmentTable again;
    ReadEnvironmentTable(ProfileSettingsForTests(real.FileName(1)), again);
    EXPECT_EQ(again.IniNo, 2);
    EXPECT_EQ(again.Slot(2).IniName, L"自宅");
    EXPECT_EQ(again.Slot(1).IniUserName, L"hanako");

    InitEnvironmentFile(real.ctx, 3);
    ProfileSettingsForTests file3(real.FileName(3));
    EXPECT_FALSE(file3.ReadString(L"Program", L"Title0"));
    EXPECT_EQ(file3.ReadString(L"Option", L"VkKey"), L"74");
    EXPECT_EQ(file3.ReadString(L"System", L"ExeFileName0"), L"MyComputer");
}

}  // namespace
}  // namespace tdx
