#include "settings/migration_win.h"

#include "settings/migration.h"
#include "settings/profile_file_win.h"
#include "settings/settings_folder_win.h"
#include "winbase/window_base.h"

namespace tdx {
namespace {

class Win32MigrationHost final : public MigrationHost {
public:
    explicit Win32MigrationHost(const MigrationSeams& seams) : seams_(seams) {}

    std::wstring ExecutablePath() const override {
        return seams_.executablePath.empty() ? RunningExecutablePath() : seams_.executablePath;
    }
    std::wstring SettingsFolder() const override { return tdx::SettingsFolder(); }

    std::optional<std::int64_t> LastWriteTime(const std::wstring& file) const override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
        return (static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
               data.ftLastWriteTime.dwLowDateTime;
    }
    void CreateFolderWithParents(const std::wstring& folder) override {
        Win32Folders folders;
        tdx::CreateFolderWithParents(folders, folder);
    }
    bool CopyFileOver(const std::wstring& from, const std::wstring& to) override {
        return ::CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
    }
    // Failures to set an old file aside are not reported: the next start's
    // decision keeps it from being copied again.
    bool RemoveFile(const std::wstring& file) override { return ::DeleteFileW(file.c_str()) != FALSE; }
    bool RenameFile(const std::wstring& from, const std::wstring& to) override {
        return ::MoveFileW(from.c_str(), to.c_str()) != FALSE;
    }
    std::unique_ptr<SettingsReader> OpenSettings(const std::wstring& file) const override {
        return std::make_unique<ProfileFile>(file);
    }
    std::wstring LoginUserName() const override { return tdx::LoginUserName(); }
    void ShowMessage(const std::wstring& text) override {
        if (seams_.showMessage) {
            seams_.showMessage(text);
            return;
        }
        ::MessageBoxW(seams_.owner, text.c_str(), kApplicationTitle, MB_OK | MB_ICONINFORMATION);
    }

private:
    const MigrationSeams& seams_;
};

}  // namespace

bool MigrateOldSettings(HWND owner) {
    // A portable copy's settings already stand beside it: files of the older
    // layout there are its own, not something to move to the user's folder.
    if (PortableSettings()) return false;
    MigrationSeams seams;
    seams.owner = owner;
    return MigrateOldSettings(seams);
}

bool MigrateOldSettings(const MigrationSeams& seams) {
    Win32MigrationHost host(seams);
    return RunMigration(host);
}

}  // namespace tdx
