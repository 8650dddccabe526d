// The one owner of what the settings files hold while the program runs: the
// options in force, the environment table and the Program and System lists.
// Windows and dialogs read it through const&. A dialog edits a copy and hands
// it back to a commit, which stores it first and only then puts it in force
// and tells the observers; a copy taken before another commit is refused, so
// that two windows never overwrite each other's changes.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "settings/deferred_icons.h"
#include "settings/settings_edits.h"
#include "settings/environments.h"
#include "settings/item_lists.h"
#include "settings/option_set.h"

namespace tdx {

class ProgramSettings {
public:
    using Observer = std::function<void(const SettingsChange&)>;
    // Runs one step of reading; a failure it reports does not stop the next step.
    using StepRunner = std::function<void(const std::function<void()>& step)>;

    ProgramSettings() = default;
    ProgramSettings(const ProgramSettings&) = delete;
    ProgramSettings& operator=(const ProgramSettings&) = delete;
    ~ProgramSettings();

    // The platform's files, icons and drives; set once, before anything is read.
    void SetContext(ItemContext context) { context_ = std::move(context); }
    const ItemContext& Context() const noexcept { return context_; }

    const OptionSet& Options() const noexcept { return options_; }
    const EnvironmentTable& Environments() const noexcept { return environments_; }
    const ItemList& Programs() const noexcept { return programs_; }
    const ItemList& Systems() const noexcept { return systems_; }
    int CurrentFileNumber() const noexcept { return environments_.CurrentFileNumber(); }
    // Counts the commits; a copy remembers it to be recognised as stale.
    std::uint64_t Revision() const noexcept { return revision_; }

    // Told after every change is in force, before anything replaced is freed.
    void Subscribe(Observer observer) { observers_.push_back(std::move(observer)); }

    // A copy of a list for a dialog to edit: every entry with an icon of its own.
    ItemList CopyList(std::int32_t list) const;

    // Start-up, in two parts: the language first (the default titles of the
    // lists are in it), then the environment table, Program list, options and
    // System list of the current environment. Every entry shows the shared
    // fallback icon until PendingIcons' icons are loaded.
    std::int32_t LoadLanguage();
    void Load(const StepRunner& runStep);

    // Makes slot current (file 1 names it first; when that fails nothing has
    // changed) and reads its lists and options. Once file 1 is written every
    // step runs; the first failure is thrown afterwards.
    void SwitchEnvironment(int slot);

    CommitResult Commit(SettingsEdit& edit);
    // The entry is found again wherever it went since the editor opened; Stale
    // when it is gone. Writes both lists, as the editor's OK always did.
    CommitResult CommitEntry(const EntryEdit& edit);
    // New files first, then the table that names them, then the removed files
    // are deleted: a failure at any step leaves a table whose files all exist.
    CommitResult CommitEnvironments(const EnvironmentEdit& edit);

    // Changes that are not stored: the drive entries follow the present drives
    // (no observer is told; the caller reads the lists again), and icons
    // loaded after start-up take their entries' places.
    bool RefreshDrives();
    std::vector<IconRequest> PendingIcons() const;
    bool TakeLoadedIcon(const IconRequest& request, IconHandle icon) noexcept;

    // Frees both lists; at exit.
    void Clear() noexcept;

private:
    ItemList& ListOf(std::int32_t list) noexcept;
    void Announce(const SettingsChange& change);
    void CdDeviceFollowsList();

    ItemContext context_;
    OptionSet options_;
    EnvironmentTable environments_;
    ItemList programs_;
    ItemList systems_;
    std::uint64_t revision_ = 0;
    std::vector<Observer> observers_;
};

}  // namespace tdx
