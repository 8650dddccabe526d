// The start-up migration of settings files from beside the executable into the
// per-user settings folder, on the real file system.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace tdx {

// What a test replaces: where the program seems to live, and how the message
// is shown. Empty members mean the real thing.
struct MigrationSeams {
    std::wstring executablePath;
    std::function<void(const std::wstring& text)> showMessage;
    HWND owner = nullptr;  // owner of the message box
};

// Runs once at start-up, before any setting is read. Shows the information box
// (caption "tiledex") after a migration; true when files were migrated.
bool MigrateOldSettings(HWND owner = nullptr);
bool MigrateOldSettings(const MigrationSeams& seams);

}  // namespace tdx
