#include "dialogs/working_table.h"
#include "winbase/ui_text.h"
#include "winbase/decimal_text.h"

#include <algorithm>

namespace tdx {
namespace {

bool UsedBy(const WorkingTable& working, int fileNumber) {
    return std::any_of(working.Slots.begin(), working.Slots.end(),
                       [fileNumber](const EnvironmentSlot& s) { return s.IniOrder == fileNumber; });
}

}  // namespace

WorkingTable MakeWorkingTable(const EnvironmentTable& table) {
    WorkingTable working;
    working.Count = std::clamp(table.IniMax, 1, kMaxEnvironments);
    working.EditedSlot = table.IniNo;
    for (int n = 1; n <= kMaxEnvironments; ++n) {
        if (n <= working.Count) working.Slot(n) = table.Slot(n);
        else working.Slot(n).IniOrder = -1;
    }
    return working;
}

int SmallestFreeFileNumber(const WorkingTable& working) {
    for (int n = 1; n <= kMaxEnvironments; ++n)
        if (!UsedBy(working, n)) return n;
    return 0;
}

void PrepareAdd(WorkingTable& working) {
    if (working.Count >= kMaxEnvironments) return;
    working.EditedSlot = working.Count + 1;
    EnvironmentSlot& slot = working.Slot(working.EditedSlot);
    slot.IniName = FormatText(IDS_ENVIRONMENT_NAME, DecimalText(SmallestFreeFileNumber(working)));
    slot.IniUserName.clear();
    slot.IniPopup = 1;
    slot.IniOrder = -1;
}

void ConfirmName(WorkingTable& working, bool adding, const std::wstring& name, int popup) {
    EnvironmentSlot& slot = working.Slot(working.EditedSlot);
    slot.IniName = name;
    slot.IniPopup = popup;
    if (adding) {
        ++working.Count;
        slot.IniOrder = SmallestFreeFileNumber(working);
    }
}

int DeleteLine(WorkingTable& working, int line) {
    if (line < 1 || line >= working.Count) return line;
    --working.Count;
    for (int s = line + 1; s <= kMaxEnvironments - 1; ++s) working.Slot(s) = working.Slot(s + 1);
    working.Slot(kMaxEnvironments) = EnvironmentSlot{};
    working.Slot(kMaxEnvironments).IniOrder = -1;
    return std::min(line, working.Count - 1);
}

EnvironmentFileChanges FileChangesOf(const EnvironmentTable& table, const WorkingTable& working) {
    EnvironmentFileChanges changes;
    for (int n = 1; n <= kMaxEnvironments; ++n) {
        const int file = table.Slot(n).IniOrder;
        // File 1 also holds the table itself: it is never removed, whatever the copy says.
        if (file != -1 && file != 1 && !UsedBy(working, file)) changes.Removed.push_back(file);
    }
    for (int n = 1; n <= kMaxEnvironments; ++n) {
        const int file = working.Slot(n).IniOrder;
        if (file == -1) continue;
        const bool known = std::any_of(table.Slots.begin(), table.Slots.end(),
                                       [file](const EnvironmentSlot& s) { return s.IniOrder == file; });
        if (!known) changes.Added.push_back(file);
    }
    return changes;
}

EnvironmentTable ApplyWorkingTable(const EnvironmentTable& table, const WorkingTable& working) {
    EnvironmentTable next = table;
    for (int n = 1; n <= kMaxEnvironments; ++n) {
        if (n <= working.Count) next.Slot(n) = working.Slot(n);
        else next.Slot(n).IniOrder = -1;
    }
    next.IniMax = working.Count;
    return next;
}

int SlotOfFile(const EnvironmentTable& table, int fileNumber) {
    for (int n = 1; n <= table.IniMax && n <= kMaxEnvironments; ++n)
        if (table.Slot(n).IniOrder == fileNumber) return n;
    return 0;
}

}  // namespace tdx
