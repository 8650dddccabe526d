// The one-time move of settings files from the older layout (beside the
// executable) into the per-user settings folder. The rules live here; the
// platform supplies the file system, the login name and the message display
// through MigrationHost.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_store.h"

namespace tdx {

// The environment table has five slots; older files had no more environments.
inline constexpr int kEnvironmentSlots = 5;

// The information shown after a migration: the new folder, and the per-user
// notice when some environment belonged to another login user.
std::wstring MigrationMessage(std::wstring_view settingsFolder, bool perUserNotice);

// True when some slot names a login user (not empty) other than the current one;
// the comparison is exact, as the names were stored.
bool NeedsPerUserNotice(const std::vector<std::wstring>& slotUserNames,
                        std::wstring_view loginUserName);

// How many environment files the migration looks at: IniMax as stored, kept
// within the table's slots (a damaged file must not send it past them).
int MigratedSlotCount(std::int32_t iniMax);

enum class MigrationStart {
    NothingToMigrate,  // no old main file beside the executable
    AlreadyMigrated,   // the per-user file is as new as the old one, or newer
    Migrate,
};

// Last-write times in any consistent unit; nothing when the file is missing.
struct MigrationFacts {
    std::optional<std::int64_t> oldMainWriteTime;
    std::optional<std::int64_t> perUserWriteTime;
};

// An old file whose ".old" rename failed (a read-only program folder) is found
// again at every start. Copying keeps its last-write time, so the per-user copy
// is then exactly as old as it, or newer once the user changed a setting: only
// an old file that is strictly newer than the per-user file (or a missing
// per-user file) is migrated. Stale data never overwrites newer settings.
MigrationStart DecideMigration(const MigrationFacts& facts);

// What the migration needs of the platform.
class MigrationHost {
public:
    virtual ~MigrationHost() = default;
    virtual std::wstring ExecutablePath() const = 0;
    // The per-user settings folder (base + "\tiledex"), not yet created.
    virtual std::wstring SettingsFolder() const = 0;
    virtual std::optional<std::int64_t> LastWriteTime(const std::wstring& file) const = 0;
    virtual void CreateFolderWithParents(const std::wstring& folder) = 0;
    // Copies, replacing an existing target; false when nothing was copied.
    virtual bool CopyFileOver(const std::wstring& from, const std::wstring& to) = 0;
    virtual bool RemoveFile(const std::wstring& file) = 0;
    virtual bool RenameFile(const std::wstring& from, const std::wstring& to) = 0;
    virtual std::unique_ptr<SettingsReader> OpenSettings(const std::wstring& file) const = 0;
    virtual std::wstring LoginUserName() const = 0;
    virtual void ShowMessage(const std::wstring& text) = 0;
};

// Runs the migration; true when the old files were copied and the message shown.
bool RunMigration(MigrationHost& host);

}  // namespace tdx
