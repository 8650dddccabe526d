// The environment table: up to five named settings sets, each in a settings file
// of its own, listed in the Option section of file 1.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "settings/item_lists.h"
#include "settings/options_io.h"
#include "settings/settings_store.h"

namespace tdx {

inline constexpr int kMaxEnvironments = 5;

struct EnvironmentSlot {
    std::int32_t IniOrder = -1;  // file number; -1 beyond IniMax
    std::int32_t IniPopup = 0;   // 0 not offered, 1 offered, 2 tied to IniUserName
    std::wstring IniName;
    std::wstring IniUserName;    // read, never written
};

struct EnvironmentTable {
    std::int32_t IniNo = 1;   // current slot
    std::int32_t IniMax = 1;  // slots 1..IniMax are in use
    std::array<EnvironmentSlot, kMaxEnvironments> Slots{};

    // Slot s, 1-based; throws std::out_of_range outside 1..5.
    EnvironmentSlot& Slot(int s) { return Slots.at(static_cast<std::size_t>(s - 1)); }
    const EnvironmentSlot& Slot(int s) const { return Slots.at(static_cast<std::size_t>(s - 1)); }

    // The file number of slot s. A slot outside the table or beyond IniMax, or
    // one whose IniOrder is no file number, stands for slot 1's file (and file
    // 1 when slot 1's own number is broken), so that a hand-edited table never
    // sends reads or writes to a file outside 1..5.
    int FileNumberOfSlot(int s) const noexcept;
    // The current environment's file number: FileNumberOfSlot(IniNo).
    int CurrentFileNumber() const noexcept { return FileNumberOfSlot(IniNo); }
};

// The default name of slot s: "環境" followed by s.
std::wstring DefaultEnvironmentName(int slot);

// Fills slots 1..5 from file 1, given IniMax: slots beyond IniMax get IniOrder
// -1 and keep their other fields.
void ReadEnvironments(const SettingsReader& file1, EnvironmentTable& table);

// Reads IniNo and IniMax (default 1) and then the slots. IniMax is kept within
// 1..5 and IniNo within 1..IniMax; an IniNo whose slot has no valid file number
// falls back to slot 1.
void ReadEnvironmentTable(const SettingsReader& file1, EnvironmentTable& table);

// Writes IniPopup, IniName and IniOrder of all five slots to file 1; never
// IniUserName. One commit.
void WriteEnvironments(const ItemContext& context, const EnvironmentTable& table);
// Writes IniNo, then IniMax, to file 1. One commit.
void WriteCurrentEnvironment(const ItemContext& context, const EnvironmentTable& table);

// Makes the settings file of a new environment: a stale file of that number is
// deleted, then an empty Program section, the default options and a System
// section of the defaults and present drives are written in one commit. The
// current lists are not touched. Throws std::out_of_range for a number outside 1..5.
void InitEnvironmentFile(const ItemContext& context, int fileNumber);

// Replaces the Program list by the Program section of the file. With -1, first
// reads the environment table from file 1 and takes the current environment's file.
void ReadProgramItems(const ItemContext& context, EnvironmentTable& table,
                      ItemList& programItems, int fileNumber);

}  // namespace tdx
