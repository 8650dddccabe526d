#include "popup/launch_rules.h"

#include <gtest/gtest.h>

#include <map>

#include "popup/popup_mode.h"
#include "popup/tray_fixtures.h"

namespace tdx {
namespace {

EnvironmentLookup Environment(std::map<std::wstring, std::wstring> vars) {
    return [vars = std::move(vars)](std::wstring_view name) -> std::optional<std::wstring> {
        auto it = vars.find(std::wstring(name));
        if (it == vars.end()) return std::nullopt;
        return it->second;
    };
}

LaunchItem FileItem(std::wstring exe, std::wstring dir = {}, std::wstring args = {}) {
    LaunchItem item = test::Entry(L"item");
    item.ExeFileName = std::move(exe);
    item.DirectoryName = std::move(dir);
    item.ArgumentName = std::move(args);
    return item;
}

TEST(LaunchRules, FolderPartOfAFileName) {
    EXPECT_EQ(FolderPartOf(L"C:\\Program Files\\Editor\\edit.exe"), L"C:\\Program Files\\Editor");
    EXPECT_EQ(FolderPartOf(L"C:\\Tools\\a.exe"), L"C:\\Tools");
    EXPECT_EQ(FolderPartOf(L"C:\\a.exe"), L"C:\\");
    EXPECT_EQ(FolderPartOf(L"D:a.exe"), L"D:");
    EXPECT_EQ(FolderPartOf(L"a.exe"), L"");
    EXPECT_EQ(FolderPartOf(L""), L"");
    EXPECT_EQ(FolderPartOf(L"\\\\server\\share\\a.exe"), L"\\\\server\\share");
    EXPECT_EQ(FolderPartOf(L"C:\\Tools\\\\a.exe"), L"C:\\Tools\\\\");
    EXPECT_EQ(FolderPartOf(L"%windir%\\notepad.exe"), L"%windir%");
    // Katakana whose Shift-JIS trail byte is 0x5C is one character here.
    EXPECT_EQ(FolderPartOf(L"C:\\\x30BD\x30D5\x30C8\\a.exe"), L"C:\\\x30BD\x30D5\x30C8");
}

TEST(LaunchRules, EnvironmentReferencesExpand) {
    const EnvironmentLookup env = Environment({{L"TEMP", L"C:\\Temp"}, {L"B", L"bee"}});
    EXPECT_EQ(ExpandEnvironmentReferences(L"%TEMP%", env), L"C:\\Temp");
    EXPECT_EQ(ExpandEnvironmentReferences(L"%TEMP%\\work", env), L"C:\\Temp\\work");
    EXPECT_EQ(ExpandEnvironmentReferences(L"%NOPE%\\x", env), L"%NOPE%\\x");
    EXPECT_EQ(ExpandEnvironmentReferences(L"%NOPE%B%", env), L"%NOPEbee");
    EXPECT_EQ(ExpandEnvironmentReferences(L"50%", env), L"50%");
    EXPECT_EQ(ExpandEnvironmentReferences(L"%%B%", env), L"%bee");
    EXPECT_EQ(ExpandEnvironmentReferences(L"%TEMP%", {}), L"%TEMP%");
}

TEST(LaunchRules, WorkingFolder) {
    const EnvironmentLookup env = Environment({{L"TEMP", L"C:\\Temp"}, {L"windir", L"C:\\W"}});
    EXPECT_EQ(WorkingFolderFor(FileItem(L"C:\\Program Files\\Editor\\edit.exe"), env),
              L"C:\\Program Files\\Editor");
    EXPECT_EQ(WorkingFolderFor(FileItem(L"C:\\x\\a.exe", L"%TEMP%"), env), L"C:\\Temp");
    EXPECT_EQ(WorkingFolderFor(FileItem(L"%windir%\\notepad.exe"), env), L"C:\\W");
    EXPECT_EQ(WorkingFolderFor(FileItem(L"notepad.exe"), env), L"");
}

TEST(LaunchRules, FileItemsGoToTheShellAsStored) {
    Trays trays;
    trays[kProgramTray].Items.push_back(FileItem(L"%windir%\\notepad.exe", L"%TEMP%", L"%TEMP%\\a.txt"));
    const EnvironmentLookup env = Environment({{L"TEMP", L"C:\\Temp"}, {L"windir", L"C:\\W"}});
    const LaunchPlan plan = PlanRunEntry(trays, kProgramTray, 0, kPopupByHotkey, env);
    EXPECT_EQ(plan.Kind, LaunchKind::ShellOpen);
    EXPECT_EQ(plan.File, L"%windir%\\notepad.exe");
    EXPECT_EQ(plan.Parameters, L"%TEMP%\\a.txt");
    EXPECT_EQ(plan.Directory, L"C:\\Temp");
    EXPECT_TRUE(plan.HidePopup);
    EXPECT_FALSE(PlanRunEntry(trays, kProgramTray, 0, kPopupHidden, env).HidePopup);
    // An empty file name is still handed over; the shell's failure is ignored.
    trays[kSystemTray].Items.push_back(FileItem(L""));
    EXPECT_EQ(PlanRunEntry(trays, kSystemTray, 0, kPopupByGesture, env).Kind, LaunchKind::ShellOpen);
}

TEST(LaunchRules, CommandsAndTasksNeverReachTheShell) {
    Trays trays;
    LaunchItem command = FileItem(L"Suspend");
    command.Status = ItemStatus::InternalCommand;
    trays[kProgramTray].Items.push_back(command);
    trays[kSystemTray].Items.push_back(command);
    LaunchItem task = test::Entry(L"window");
    task.Window = reinterpret_cast<WindowHandle>(0x42);
    task.Status = ItemStatus::InternalCommand;  // the Task tray ignores the bit
    trays[kTaskTray].Items.push_back(task);

    for (std::int32_t t : {kProgramTray, kSystemTray}) {
        const LaunchPlan plan = PlanRunEntry(trays, t, 0, kPopupByHotkey, {});
        EXPECT_EQ(plan.Kind, LaunchKind::SystemCommand);
        EXPECT_EQ(plan.Keyword, L"Suspend");
        EXPECT_TRUE(plan.File.empty());
    }
    const LaunchPlan activate = PlanRunEntry(trays, kTaskTray, 0, kPopupByGesture, {});
    EXPECT_EQ(activate.Kind, LaunchKind::ActivateTask);
    EXPECT_EQ(activate.Window, task.Window);
    EXPECT_TRUE(activate.HidePopup);
}

TEST(LaunchRules, MissingOrSwitchedOffEntriesDoNothing) {
    Trays trays;
    trays[kProgramTray].Items.push_back(FileItem(L"a.exe"));
    LaunchItem off = FileItem(L"cmd.exe");
    off.Status = ItemStatus::NotInUse | ItemStatus::BuiltIn;
    trays[kSystemTray].Items.push_back(off);
    for (auto [tray, index] : {std::pair{kProgramTray, 1}, std::pair{kProgramTray, -1},
                               std::pair{kTaskTray, 0}, std::pair{3, 0}, std::pair{kSystemTray, 0}}) {
        const LaunchPlan plan = PlanRunEntry(trays, tray, index, kPopupByHotkey, {});
        EXPECT_EQ(plan.Kind, LaunchKind::Nothing) << tray << "," << index;
        EXPECT_FALSE(plan.HidePopup);
    }
}

}  // namespace
}  // namespace tdx
