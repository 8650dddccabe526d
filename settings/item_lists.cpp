#include "settings/item_lists.h"

#include <cstdlib>
#include <stdexcept>

#include "settings/ini_values.h"

namespace tdx {
namespace {

void Require(bool present, const char* member) {
    if (!present) throw std::logic_error(std::string("ItemContext::") + member + " is not set");
}

}  // namespace

void CheckItemContext(const ItemContext& c) {
    Require(static_cast<bool>(c.openReader), "openReader");
    Require(static_cast<bool>(c.openWriter), "openWriter");
    Require(static_cast<bool>(c.deleteFile), "deleteFile");
    Require(static_cast<bool>(c.writeOptions), "writeOptions");
    Require(static_cast<bool>(c.expandPathMacros), "expandPathMacros");
    Require(static_cast<bool>(c.loadIcon), "loadIcon");
    Require(static_cast<bool>(c.destroyIcon), "destroyIcon");
    Require(static_cast<bool>(c.windowsVersion), "windowsVersion");
    Require(static_cast<bool>(c.fileExists), "fileExists");
    Require(static_cast<bool>(c.driveMask), "driveMask");
    Require(static_cast<bool>(c.isRemoteDrive), "isRemoteDrive");
    Require(static_cast<bool>(c.shellFileInfo), "shellFileInfo");
    Require(static_cast<bool>(c.openCdDevice), "openCdDevice");
    Require(static_cast<bool>(c.closeCdDevice), "closeCdDevice");
}

ItemList ReadItemSection(const SettingsReader& store, std::wstring_view section) {
    ItemList items;
    for (int n = 0; n < kMaxStoredItems; ++n) {
        std::wstring title = ReadText(store, section, NumberedKey(L"Title", n));
        if (title.empty()) break;
        LaunchItem item;
        item.Title = std::move(title);
        item.Status = static_cast<std::uint32_t>(ReadInteger(store, section, NumberedKey(L"Status", n), 0));
        item.IconIndex = ReadInteger(store, section, NumberedKey(L"IconIndex", n), 0);
        item.IconFileName = ReadText(store, section, NumberedKey(L"IconFileName", n));
        item.ExeFileName = ReadText(store, section, NumberedKey(L"ExeFileName", n));
        item.ArgumentName = ReadText(store, section, NumberedKey(L"ArgumentName", n));
        item.DirectoryName = ReadText(store, section, NumberedKey(L"DirectoryName", n));
        items.push_back(std::move(item));
    }
    return items;
}

void WriteItemSection(SettingsWriter& store, std::wstring_view section, const ItemList& items) {
    store.EraseSection(section);
    int n = 0;
    for (const LaunchItem& item : items) {
        // An empty title ends the list when it is read: every later entry would
        // be lost. A blank one keeps the entry and its followers.
        WriteText(store, section, NumberedKey(L"Title", n), item.Title.empty() ? L" " : item.Title);
        WriteText(store, section, NumberedKey(L"ExeFileName", n), item.ExeFileName);
        WriteText(store, section, NumberedKey(L"IconFileName", n), item.IconFileName);
        WriteText(store, section, NumberedKey(L"ArgumentName", n), item.ArgumentName);
        WriteText(store, section, NumberedKey(L"DirectoryName", n), item.DirectoryName);
        WriteInteger(store, section, NumberedKey(L"IconIndex", n), item.IconIndex);
        WriteInteger(store, section, NumberedKey(L"Status", n), static_cast<std::int32_t>(item.Status));
        ++n;
    }
}

std::size_t FirstNotInUseIndex(const ItemList& items) noexcept {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].Has(ItemStatus::NotInUse)) return i;
    return items.size();
}

void FreeItemList(const ItemContext& context, ItemList& items, bool destroyIcons) {
    if (destroyIcons) {
        for (LaunchItem& item : items) {
            if (item.Icon && item.Icon != context.documentIcon &&
                item.Icon != context.applicationIcon)
                context.destroyIcon(item.Icon);
            item.Icon = nullptr;
        }
    }
    items.clear();
}

void CopyItemList(const ItemContext& context, ItemList& destination, const ItemList& source) {
    // Built apart first: copying a list onto itself must not free the source.
    ItemList copies;
    copies.reserve(source.size());
    try {
        for (const LaunchItem& item : source) {
            LaunchItem copy;
            copy.Window = item.Window;
            copy.IconIndex = item.IconIndex;
            copy.Status = item.Status;
            // Carried so that a list put back from a copy still offers the
            // disconnect command of its network drives.
            copy.NetworkDrive = item.NetworkDrive;
            copy.Title = item.Title;
            copy.ExeFileName = item.ExeFileName;
            copy.IconFileName = item.IconFileName;
            copy.ArgumentName = item.ArgumentName;
            copy.DirectoryName = item.DirectoryName;
            copy.Icon = context.loadIcon(copy.Status, copy.IconFileName, copy.IconIndex);
            copies.push_back(std::move(copy));
        }
    } catch (...) {
        FreeItemList(context, copies, true);
        throw;
    }
    FreeItemList(context, destination, true);
    destination = std::move(copies);
}

void WriteProgramItems(const ItemContext& context, const ItemList& programItems, int fileNumber) {
    auto writer = context.openWriter(fileNumber);
    WriteItemSection(*writer, kProgramSection, programItems);
    writer->Commit();
}

std::int32_t FindSameEntry(const ItemList& items, const LaunchItem& recorded, std::int32_t hint) {
    std::int32_t best = -1;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const LaunchItem& e = items[i];
        if (e.Icon != recorded.Icon || e.Status != recorded.Status || e.Title != recorded.Title ||
            e.ExeFileName != recorded.ExeFileName || e.IconFileName != recorded.IconFileName ||
            e.IconIndex != recorded.IconIndex || e.ArgumentName != recorded.ArgumentName ||
            e.DirectoryName != recorded.DirectoryName)
            continue;
        const auto index = static_cast<std::int32_t>(i);
        if (best < 0 || std::abs(index - hint) < std::abs(best - hint)) best = index;
    }
    return best;
}

bool SetEntryValues(LaunchItem& target, const LaunchItem& edited) {
    target.Title = edited.Title;
    target.ExeFileName = edited.ExeFileName;
    target.Status = edited.Status;
    target.DirectoryName = edited.DirectoryName;
    target.ArgumentName = edited.ArgumentName;
    if (target.IconIndex == edited.IconIndex && target.IconFileName == edited.IconFileName) return false;
    target.IconIndex = edited.IconIndex;
    target.IconFileName = edited.IconFileName;
    return true;
}

void ApplyEntryEdit(const ItemContext& context, LaunchItem& target, const LaunchItem& edited) {
    if (!SetEntryValues(target, edited)) return;
    if (target.Icon && target.Icon != context.documentIcon && target.Icon != context.applicationIcon &&
        context.destroyIcon)
        context.destroyIcon(target.Icon);
    target.Icon = context.loadIcon ? context.loadIcon(target.Status, target.IconFileName, target.IconIndex) : nullptr;
}

}  // namespace tdx
