#include "settings/system_items.h"

#include <iterator>

#include "settings/path_macros.h"
#include "winbase/ui_text.h"

namespace tdx {
namespace {

constexpr std::wstring_view kExit = L"Exit";
constexpr std::wstring_view kSuspend = L"Suspend";
constexpr std::wstring_view kInternetExplorer = L"%InternetExplorer%";
constexpr std::wstring_view kDosIcon = L"%TiledexDosIcon%";
constexpr int kNtFamily = 1000;

// The file-name part of a path: what follows the last '\' or ':'.
std::wstring_view FileNamePart(std::wstring_view path) {
    const auto cut = path.find_last_of(L"\\:");
    return cut == std::wstring_view::npos ? path : path.substr(cut + 1);
}

// How a stored entry is recognised as a drive root (any first character).
bool LooksLikeDriveRoot(std::wstring_view text) {
    return text.size() == 3 && text[1] == L':' && text[2] == L'\\';
}


void InsertBeforeNotInUse(ItemList& items, LaunchItem item) {
    const auto at = FirstNotInUseIndex(items);
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
}

LaunchItem MakeDriveItem(const ItemContext& context, const std::wstring& root) {
    LaunchItem item;
    item.ExeFileName = root;
    item.IconFileName = root;
    item.IconIndex = -1;
    item.Status = ItemStatus::BuiltIn;
    ShellFileInfo info = context.shellFileInfo(root);
    item.Icon = info.Icon;
    // An empty title would end the stored list at this entry.
    item.Title = info.DisplayName.empty() ? root : std::move(info.DisplayName);
    item.NetworkDrive = context.isRemoteDrive(root);
    return item;
}

void ApplyVersionAdjustments(LaunchItem& item, int version) {
    if (item.ExeFileName == kExit) {
        if (version == 410) item.IconIndex = 50;
        else if (version == 490) item.IconIndex = 105;
        else if (version == 1500) item.IconIndex = 107;
        else if (version >= 1501) item.IconIndex = 27;
    } else if (item.ExeFileName == kSuspend) {
        if (version >= 1501) {
            item.IconFileName = L"Tiledex.exe";
            item.IconIndex = 5;
        }
        if (version >= 1600) item.Title = Text(IDS_SYS_SLEEP);
    } else if (item.ExeFileName == kCdPlayerCommand) {
        if (version >= 1501) item.IconIndex = 6;
    }
}

}  // namespace

const std::array<DefaultSystemItem, kDefaultSystemItemCount> DefaultSystemItems = {{
    {L"MyComputer", L"MyComputer", IDS_SYS_MYCOMPUTER, -1, 11},
    {L"NetWork", L"NetWork", IDS_SYS_NETWORK, -1, 11},
    {L"MyDocument", L"%sysdir%\\mydocs.dll", IDS_SYS_MYDOCUMENT, 0, 3},
    {L"ControlPanel", L"ControlPanel", IDS_SYS_CONTROLPANEL, -1, 11},
    {L"DeskTop", L"DeskTop", IDS_SYS_DESKTOP, -1, 11},
    {L"DustBox", L"DustBox", IDS_SYS_DUSTBOX, -1, 11},
    {L"Exit", L"%sysdir%\\Shell32.Dll", IDS_SYS_EXIT, 45, 3},
    {L"Suspend", L"%sysdir%\\Shell32.Dll", IDS_SYS_SUSPEND, 25, 3},
    {L"%InternetExplorer%", L"%InternetExplorer%", IDS_SYS_BROWSER, 0, 1},
    {L"%TiledexDosCommand%", L"%TiledexDosIcon%", IDS_SYS_COMMAND_PROMPT, 1, 5},
    {L"CD Player", L"Tiledex.exe", IDS_SYS_CD_PLAYER, 1, 7},
}};

int FindSystemItem(const ItemContext& context, const ItemList& items, std::wstring_view target) {
    const std::wstring expanded = context.expandPathMacros(target);
    const bool browser = target == kInternetExplorer;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].ExeFileName == expanded) return static_cast<int>(i);
        if (browser && FileNamePart(expanded) == FileNamePart(items[i].ExeFileName))
            return static_cast<int>(i);
    }
    return -1;
}

bool AddDefaultSystemItem(const ItemContext& context, ItemList& items, int row) {
    const DefaultSystemItem& def = DefaultSystemItems.at(static_cast<std::size_t>(row));
    if (def.ExeFileName == kInternetExplorer &&
        !context.fileExists(context.expandPathMacros(def.ExeFileName)))
        return false;

    LaunchItem item;
    item.ExeFileName = context.expandPathMacros(def.ExeFileName);
    item.IconFileName = context.expandPathMacros(def.IconFileName);
    item.Title = context.expandPathMacros(Text(def.TitleId));
    item.IconIndex = def.IconIndex;
    const int version = context.windowsVersion();
    // On the NT family the command interpreter's own icon is its associated one.
    if (def.IconFileName == kDosIcon && version >= kNtFamily) item.IconIndex = -1;
    ApplyVersionAdjustments(item, version);
    item.Status = def.Status;
    item.Icon = context.loadIcon(item.Status, item.IconFileName, item.IconIndex);
    InsertBeforeNotInUse(items, std::move(item));
    return true;
}

bool RefreshDriveItems(const ItemContext& context, ItemList& items) {
    const std::uint32_t mask = context.driveMask();
    bool changed = false;
    for (int letter = 0; letter < 26; ++letter) {
        const std::wstring root{static_cast<wchar_t>(L'A' + letter), L':', L'\\'};
        const bool present = (mask >> letter) & 1u;
        const int found = FindSystemItem(context, items, root);
        if (!present && found >= 0) {
            LaunchItem& gone = items[static_cast<std::size_t>(found)];
            if (gone.Icon && gone.Icon != context.documentIcon &&
                gone.Icon != context.applicationIcon)
                context.destroyIcon(gone.Icon);
            items.erase(items.begin() + found);
            changed = true;
        } else if (present && found < 0) {
            InsertBeforeNotInUse(items, MakeDriveItem(context, root));
            changed = true;
        }
    }
    return changed;
}

bool RestoreDefaultSystemItems(const ItemContext& context, ItemList& items) {
    bool changed = false;
    for (int row = 0; row < kDefaultSystemItemCount; ++row) {
        // The drives come before the CD player, which starts switched off.
        if (row == kDefaultSystemItemCount - 1 && RefreshDriveItems(context, items)) changed = true;
        // A browser that is not installed adds nothing, and so changes nothing:
        // the file is not rewritten at every read for it.
        if (FindSystemItem(context, items, DefaultSystemItems[static_cast<std::size_t>(row)].ExeFileName) < 0 &&
            AddDefaultSystemItem(context, items, row))
            changed = true;
    }
    return changed;
}

std::int32_t StoredExitIconIndex(std::int32_t iconIndex, int version) noexcept {
    if (iconIndex == 45) {
        if (version == 410) iconIndex = 50;
        else if (version == 490) iconIndex = 105;
        else if (version == 1500) iconIndex = 107;
    }
    if (iconIndex == 50 && version == 490) iconIndex = 105;
    return iconIndex;
}

void ReadSystemItems(const ItemContext& context, ItemList& systemItems, int fileNumber) {
    FreeItemList(context, systemItems, true);
    ItemList stored = ReadItemSection(*context.openReader(fileNumber), kSystemSection);
    const int version = context.windowsVersion();
    for (LaunchItem& item : stored) {
        if (item.ExeFileName == kExit) item.IconIndex = StoredExitIconIndex(item.IconIndex, version);
        if (item.IconIndex == -1 && LooksLikeDriveRoot(item.IconFileName)) {
            // A drive root shows the drive's current name, not the stored one;
            // without a name the stored title stays, as an empty one would end
            // the stored list here at the next write.
            ShellFileInfo info = context.shellFileInfo(item.IconFileName);
            item.Icon = info.Icon;
            if (!info.DisplayName.empty()) item.Title = std::move(info.DisplayName);
        } else {
            item.Icon = context.loadIcon(item.Status, item.IconFileName, item.IconIndex);
        }
        item.NetworkDrive = (item.Status & 0xFF) == ItemStatus::BuiltIn &&
                            context.isRemoteDrive(item.ExeFileName);
        systemItems.push_back(std::move(item));
    }

    bool changed = RestoreDefaultSystemItems(context, systemItems);
    try {
        // Written back to the file it came from, so that reading another
        // environment's file never overwrites the current one.
        if (changed) WriteSystemItems(context, systemItems, fileNumber);
    } catch (...) {
        if (CdPlayerInUse(systemItems)) context.openCdDevice();
        throw;
    }
    if (CdPlayerInUse(systemItems)) context.openCdDevice();
}

void WriteSystemItems(const ItemContext& context, const ItemList& systemItems, int fileNumber) {
    auto writer = context.openWriter(fileNumber);
    WriteItemSection(*writer, kSystemSection, systemItems);
    writer->Commit();
    context.closeCdDevice();
    if (CdPlayerInUse(systemItems)) context.openCdDevice();
}

bool CdPlayerInUse(const ItemList& systemItems) noexcept {
    for (const LaunchItem& item : systemItems) {
        if (item.Has(ItemStatus::InternalCommand) && !item.Has(ItemStatus::NotInUse) &&
            EqualsIgnoringCase(item.ExeFileName, kCdPlayerCommand))
            return true;
    }
    return false;
}

}  // namespace tdx
