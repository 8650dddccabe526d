#include "dialogs/config_model.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>

#include "popup/launch_rules.h"
#include "popup/tray_layout.h"
#include "settings/path_macros.h"
#include "settings/system_items.h"

namespace tdx {
namespace {

bool InRange(const ItemList& items, std::int32_t index) noexcept {
    return index >= 0 && static_cast<std::size_t>(index) < items.size();
}

bool SameText(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(x) == std::towlower(y);
           });
}

}  // namespace

void MoveEntry(ItemList& items, std::int32_t from, std::int32_t to) {
    if (!InRange(items, from) || !InRange(items, to) || from == to) return;
    // The entries between the two places shift by one; the list never changes
    // its length, so nothing is reallocated and no entry is copied.
    const auto f = static_cast<std::size_t>(from);
    const auto t = static_cast<std::size_t>(to);
    LaunchItem moving = std::move(items[f]);
    if (f < t) {
        for (std::size_t i = f; i < t; ++i) items[i] = std::move(items[i + 1]);
    } else {
        for (std::size_t i = f; i > t; --i) items[i] = std::move(items[i - 1]);
    }
    items[t] = std::move(moving);
}

std::int32_t SwitchInUse(ItemList& items, std::int32_t index) {
    if (!InRange(items, index)) return index;
    LaunchItem& item = items[static_cast<std::size_t>(index)];
    if (item.Has(ItemStatus::NotInUse)) {
        item.Status &= ~ItemStatus::NotInUse;
        // The entries not in use before it are passed over: it joins the end of
        // those in use.
        const auto n = static_cast<std::int32_t>(FirstNotInUseIndex(items));
        const auto count = static_cast<std::int32_t>(items.size());
        if (n != count && n - 1 != index && n < index) {
            MoveEntry(items, index, n);
            return n;
        }
        return index;
    }
    const auto n = static_cast<std::int32_t>(FirstNotInUseIndex(items));
    std::int32_t moved = index;
    if (n != index) {
        MoveEntry(items, index, n - 1);
        moved = n - 1;
    }
    items[static_cast<std::size_t>(moved)].Status |= ItemStatus::NotInUse;
    return moved;
}

std::int32_t InsertionIndex(const ItemList& items, std::int32_t selected) noexcept {
    const auto first = static_cast<std::int32_t>(FirstNotInUseIndex(items));
    return std::clamp(selected, 0, first);
}

ConfigFormGeometry FitDialogGeometry(std::int32_t colMax, std::size_t programCount,
                                     std::size_t systemCount) noexcept {
    const std::int32_t columns = ClampColumns(colMax);
    ConfigFormGeometry g;
    g.Width = std::max(columns, 8) * kCellPitch + 18;
    g.PageWidth = columns * kCellPitch + 12;
    const auto m = static_cast<std::int32_t>(std::max(programCount, systemCount));
    const std::int32_t rows = m / columns + (m % columns != 0 ? 1 : 0);
    g.ExtraRows = std::max(rows - 3, 0);
    return g;
}

std::wstring FileNamePartOf(std::wstring_view path) {
    const std::size_t cut = path.find_last_of(L"\\:");
    return std::wstring(cut == std::wstring_view::npos ? path : path.substr(cut + 1));
}

bool HasExtension(std::wstring_view path, std::wstring_view ext) {
    const std::wstring name = FileNamePartOf(path);
    const std::size_t dot = name.rfind(L'.');
    return dot != std::wstring::npos && SameText(std::wstring_view(name).substr(dot), ext);
}

LaunchItem NewFileItem(std::wstring_view path, const std::optional<ShortcutTarget>& shortcut,
                       const std::function<std::wstring(std::wstring_view)>& expandPathMacros) {
    LaunchItem item;
    item.Title = FileNamePartOf(path);
    item.IconIndex = -1;
    item.DirectoryName = FolderPartOf(path);
    std::wstring target(path);
    std::wstring iconSource(path);
    if (HasExtension(path, L".lnk")) {
        item.Title = item.Title.substr(0, item.Title.find(L'.'));
        if (shortcut) {
            target = shortcut->Path;
            iconSource = shortcut->Path;
            if (!shortcut->Arguments.empty()) item.ArgumentName = shortcut->Arguments;
            if (!shortcut->Folder.empty()) item.DirectoryName = shortcut->Folder;
        }
    }
    // The expansion keeps 260 characters: a longer path (one the shell really
    // has) would become the name of another file, so it stays whole.
    const auto expand = [&expandPathMacros](const std::wstring& p) {
        return p.size() > kMacroRestLimit ? p : expandPathMacros(p);
    };
    item.ExeFileName = expand(target);
    if (HasExtension(item.ExeFileName, L".exe")) item.IconIndex = 0;
    item.IconFileName = expand(iconSource);
    item.Status = 0;
    return item;
}

}  // namespace tdx
