// The environment dialog's working copy of the environment table: what Add,
// Change and Delete do to it, and what its OK must create, delete and store.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "settings/environments.h"

namespace tdx {

struct WorkingTable {
    int Count = 0;       // environments in the copy
    int EditedSlot = 1;  // the slot the name dialog edits, 1..5
    std::array<EnvironmentSlot, kMaxEnvironments> Slots{};

    EnvironmentSlot& Slot(int s) { return Slots.at(static_cast<std::size_t>(s - 1)); }
    const EnvironmentSlot& Slot(int s) const { return Slots.at(static_cast<std::size_t>(s - 1)); }
};

// The copy as the dialog starts: slots 1..IniMax, the current one edited.
WorkingTable MakeWorkingTable(const EnvironmentTable& table);

// The smallest file number 1..5 that no working slot uses (0 when all are).
int SmallestFreeFileNumber(const WorkingTable& working);

// Add: the next slot gets the default name of the file number it will have.
void PrepareAdd(WorkingTable& working);

// The name dialog's OK for the edited slot; an added slot gets its file number.
void ConfirmName(WorkingTable& working, bool adding, const std::wstring& name, int popup);

// Delete of list line `line` (0-based, never the first): the later slots move
// up. Returns the line to select afterwards.
int DeleteLine(WorkingTable& working, int line);

// What OK changes on disk: files of environments gone from the table, and
// files to make for new ones.
struct EnvironmentFileChanges {
    std::vector<int> Removed;
    std::vector<int> Added;
};
EnvironmentFileChanges FileChangesOf(const EnvironmentTable& table, const WorkingTable& working);

// The table with the working copy put in (IniNo untouched).
EnvironmentTable ApplyWorkingTable(const EnvironmentTable& table, const WorkingTable& working);

// The slot of the table whose file number is `fileNumber`, or 0.
int SlotOfFile(const EnvironmentTable& table, int fileNumber);

}  // namespace tdx
