#include "settings/environments.h"

#include <stdexcept>

#include "settings/ini_values.h"
#include "settings/system_items.h"
#include "winbase/ui_text.h"
#include "winbase/decimal_text.h"

namespace tdx {
namespace {

bool IsFileNumber(std::int32_t n) noexcept { return n >= 1 && n <= kMaxEnvironments; }

}  // namespace

int EnvironmentTable::FileNumberOfSlot(int s) const noexcept {
    const int max = IniMax < 1 ? 1 : (IniMax > kMaxEnvironments ? kMaxEnvironments : IniMax);
    if (s >= 1 && s <= max && IsFileNumber(Slots[static_cast<std::size_t>(s - 1)].IniOrder))
        return Slots[static_cast<std::size_t>(s - 1)].IniOrder;
    return IsFileNumber(Slots[0].IniOrder) ? Slots[0].IniOrder : 1;
}

std::wstring DefaultEnvironmentName(int slot) { return FormatText(IDS_ENVIRONMENT_NAME, DecimalText(slot)); }

void ReadEnvironments(const SettingsReader& file1, EnvironmentTable& table) {
    for (int s = 1; s <= kMaxEnvironments; ++s) {
        EnvironmentSlot& slot = table.Slot(s);
        if (s > table.IniMax) {
            slot.IniOrder = -1;
            continue;
        }
        slot.IniPopup = ReadInteger(file1, kOptionSection, NumberedKey(L"IniPopup", s), 0);
        slot.IniName = ReadText(file1, kOptionSection, NumberedKey(L"IniName", s), DefaultEnvironmentName(s));
        slot.IniUserName = ReadText(file1, kOptionSection, NumberedKey(L"IniUserName", s));
        slot.IniOrder = ReadInteger(file1, kOptionSection, NumberedKey(L"IniOrder", s), s);
    }
}

void ReadEnvironmentTable(const SettingsReader& file1, EnvironmentTable& table) {
    table.IniNo = ReadInteger(file1, kOptionSection, L"IniNo", 1);
    table.IniMax = ReadInteger(file1, kOptionSection, L"IniMax", 1);
    // Slot 1 always exists and there are only five slots; whatever a hand-edited
    // file says, the table stays within them.
    if (table.IniMax < 1) table.IniMax = 1;
    if (table.IniMax > kMaxEnvironments) table.IniMax = kMaxEnvironments;
    if (table.IniNo < 1 || table.IniNo > table.IniMax) table.IniNo = 1;
    ReadEnvironments(file1, table);
    if (!IsFileNumber(table.Slot(table.IniNo).IniOrder)) table.IniNo = 1;
}

void WriteEnvironments(const ItemContext& context, const EnvironmentTable& table) {
    auto writer = context.openWriter(1);
    for (int s = 1; s <= kMaxEnvironments; ++s) {
        const EnvironmentSlot& slot = table.Slot(s);
        WriteInteger(*writer, kOptionSection, NumberedKey(L"IniPopup", s), slot.IniPopup);
        WriteText(*writer, kOptionSection, NumberedKey(L"IniName", s), slot.IniName);
        WriteInteger(*writer, kOptionSection, NumberedKey(L"IniOrder", s), slot.IniOrder);
    }
    writer->Commit();
}

void WriteCurrentEnvironment(const ItemContext& context, const EnvironmentTable& table) {
    auto writer = context.openWriter(1);
    WriteInteger(*writer, kOptionSection, L"IniNo", table.IniNo);
    WriteInteger(*writer, kOptionSection, L"IniMax", table.IniMax);
    writer->Commit();
}

void InitEnvironmentFile(const ItemContext& context, int fileNumber) {
    if (!IsFileNumber(fileNumber))
        throw std::out_of_range("environment file number outside 1..5");
    context.deleteFile(fileNumber);

    // Working lists of their own: the current lists and the CD device stay as they are.
    ItemList system;
    try {
        RestoreDefaultSystemItems(context, system);
        auto writer = context.openWriter(fileNumber);
        writer->EraseSection(kProgramSection);
        context.writeOptions(*writer, OptionSet{});
        WriteItemSection(*writer, kSystemSection, system);
        writer->Commit();
    } catch (...) {
        FreeItemList(context, system, true);
        throw;
    }
    FreeItemList(context, system, true);
}

void ReadProgramItems(const ItemContext& context, EnvironmentTable& table, ItemList& programItems,
                      int fileNumber) {
    if (fileNumber == -1) {
        ReadEnvironmentTable(*context.openReader(1), table);
        fileNumber = table.CurrentFileNumber();
    }
    FreeItemList(context, programItems, true);
    ItemList stored = ReadItemSection(*context.openReader(fileNumber), kProgramSection);
    for (LaunchItem& item : stored)
        item.Icon = context.loadIcon(item.Status, item.IconFileName, item.IconIndex);
    programItems = std::move(stored);
}

}  // namespace tdx
