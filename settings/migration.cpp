#include "settings/migration.h"

#include <algorithm>

#include "settings/ini_values.h"
#include "settings/options_io.h"
#include "settings/settings_files.h"
#include "winbase/ui_text.h"
#include "winbase/decimal_text.h"

namespace tdx {
namespace {

std::wstring EnvironmentFileName(int fileNumber) {
    return L"\\" + SettingsFileTitle(fileNumber);
}

// Moves an old file out of the way so that the next start does not find it.
// Failures are left alone: DecideMigration keeps a stale file from being copied again.
void SetAside(MigrationHost& host, const std::wstring& file) {
    const std::wstring aside = file + L".old";
    host.RemoveFile(aside);
    host.RenameFile(file, aside);
}

}  // namespace

std::wstring MigrationMessage(std::wstring_view settingsFolder, bool perUserNotice) {
    std::wstring text = FormatText(IDS_SETTINGS_MOVED, settingsFolder);
    if (perUserNotice) text += Text(IDS_SETTINGS_PER_USER);
    return text;
}

bool NeedsPerUserNotice(const std::vector<std::wstring>& slotUserNames,
                        std::wstring_view loginUserName) {
    return std::any_of(slotUserNames.begin(), slotUserNames.end(), [&](const std::wstring& name) {
        return !name.empty() && name != loginUserName;
    });
}

int MigratedSlotCount(std::int32_t iniMax) {
    return std::clamp<std::int32_t>(iniMax, 0, kEnvironmentSlots);
}

MigrationStart DecideMigration(const MigrationFacts& facts) {
    if (!facts.oldMainWriteTime) return MigrationStart::NothingToMigrate;
    if (facts.perUserWriteTime && *facts.perUserWriteTime >= *facts.oldMainWriteTime)
        return MigrationStart::AlreadyMigrated;
    return MigrationStart::Migrate;
}

bool RunMigration(MigrationHost& host) {
    const std::wstring oldMain = OldMainSettingsFile(host.ExecutablePath());
    // Without its trailing separator, even at a drive root ("D:"), since every
    // file name added to it starts with one.
    std::wstring oldFolder = ParentFolderOf(oldMain);
    if (!oldFolder.empty() && oldFolder.back() == L'\\') oldFolder.pop_back();
    const std::wstring folder = host.SettingsFolder();
    const std::wstring newMain = SettingsFilePath(folder, 1);

    const MigrationFacts facts{host.LastWriteTime(oldMain), host.LastWriteTime(newMain)};
    if (DecideMigration(facts) != MigrationStart::Migrate) return false;

    host.CreateFolderWithParents(folder);
    if (!host.CopyFileOver(oldMain, newMain)) return false;
    SetAside(host, oldMain);

    const auto settings = host.OpenSettings(newMain);
    const int slots =
        MigratedSlotCount(ReadInteger(*settings, kOptionSection, L"IniMax", 1));
    std::vector<std::wstring> userNames;
    for (int slot = 1; slot <= slots; ++slot) {
        userNames.push_back(ReadText(*settings, kOptionSection,
                                     L"IniUserName" + DecimalText(slot)));
        if (slot < 2) continue;
        const std::wstring name = EnvironmentFileName(slot);
        const std::wstring oldFile = oldFolder + name;
        if (host.CopyFileOver(oldFile, folder + name)) SetAside(host, oldFile);
    }

    host.ShowMessage(MigrationMessage(folder, NeedsPerUserNotice(userNames, host.LoginUserName())));
    return true;
}

}  // namespace tdx
