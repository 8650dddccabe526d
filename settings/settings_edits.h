// What a dialog hands back to the owner of the settings in force
// (ProgramSettings): the edited copies, and what a commit answers. Dialogs
// include this, never the owner itself.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "settings/environments.h"
#include "settings/item_lists.h"
#include "settings/option_set.h"

namespace tdx {

// Which parts a change touched.
struct SettingsChange {
    bool Options = false;
    bool Environments = false;
    bool Lists = false;
};

// An edited copy; only the parts set are stored. Lists own their icons, and a
// commit that stores them takes them over (the optionals are emptied); a
// refused or failed commit leaves them with the caller.
struct SettingsEdit {
    std::uint64_t BasedOn = 0;  // Revision() when the copy was taken
    std::optional<OptionSet> Options;
    std::optional<ItemList> Programs;
    std::optional<ItemList> Systems;
};

// The environment dialog's result: the new table, the files to make for the
// environments added and those to delete for the ones removed.
struct EnvironmentEdit {
    std::uint64_t BasedOn = 0;
    EnvironmentTable Table;
    std::vector<int> AddedFiles;
    std::vector<int> RemovedFiles;
};

// One entry as the item editor hands it back: the entry as it was when the
// editor opened (to find it again) and the values typed.
struct EntryEdit {
    std::int32_t List = kProgramTray;  // or kSystemTray
    std::int32_t Index = 0;
    LaunchItem Recorded;
    LaunchItem Edited;
};

enum class CommitResult { Stored, Stale };

}  // namespace tdx
