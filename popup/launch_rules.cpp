#include "popup/launch_rules.h"

#include "popup/popup_mode.h"

namespace tdx {

std::wstring FolderPartOf(std::wstring_view fileName) {
    // Wide strings need no lead-byte care: a backslash is always a separator.
    const std::size_t sep = fileName.find_last_of(L"\\:");
    if (sep == std::wstring_view::npos) return {};
    if (fileName[sep] == L':') return std::wstring(fileName.substr(0, sep + 1));
    if (sep > 0 && (fileName[sep - 1] == L':' || fileName[sep - 1] == L'\\'))
        return std::wstring(fileName.substr(0, sep + 1));
    return std::wstring(fileName.substr(0, sep));
}

std::wstring ExpandEnvironmentReferences(std::wstring_view text, const EnvironmentLookup& lookup) {
    std::wstring out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != L'%') {
            out += text[i++];
            continue;
        }
        const std::size_t close = text.find(L'%', i + 1);
        if (close != std::wstring_view::npos && close > i + 1 && lookup) {
            if (std::optional<std::wstring> value = lookup(text.substr(i + 1, close - i - 1))) {
                out += *value;
                i = close + 1;
                continue;
            }
        }
        // Not a defined reference: keep the percent sign and go on scanning, so the
        // closing one may still open a reference of its own.
        out += L'%';
        ++i;
    }
    return out;
}

std::wstring WorkingFolderFor(const LaunchItem& item, const EnvironmentLookup& lookup) {
    const std::wstring folder = item.DirectoryName.empty()
                                    ? FolderPartOf(WithoutSurroundingQuotes(item.ExeFileName))
                                    : WithoutSurroundingQuotes(item.DirectoryName);
    return ExpandEnvironmentReferences(folder, lookup);
}

LaunchPlan PlanRunEntry(const Trays& trays, std::int32_t tray, std::int32_t index,
                        std::int32_t popupMode, const EnvironmentLookup& lookup) {
    LaunchPlan plan;
    if (!IsShownCell(trays, tray, index)) return plan;
    const LaunchItem& item =
        trays[static_cast<std::size_t>(tray)].Items[static_cast<std::size_t>(index)];
    if (item.Has(ItemStatus::NotInUse)) return plan;

    if (tray == kTaskTray) {
        plan.Kind = LaunchKind::ActivateTask;
        plan.Window = item.Window;
    } else if (item.Has(ItemStatus::InternalCommand)) {
        // Whatever the tray: a Program item with the bit is a command as well.
        plan.Kind = LaunchKind::SystemCommand;
        plan.Keyword = item.ExeFileName;
    } else {
        plan.Kind = LaunchKind::ShellOpen;
        // Stored quotes would be part of the name the shell looks for; the
        // arguments keep theirs, the program parses them.
        plan.File = WithoutSurroundingQuotes(item.ExeFileName);
        plan.Parameters = item.ArgumentName;
        plan.Directory = WorkingFolderFor(item, lookup);
    }
    plan.HidePopup = popupMode != kPopupHidden;
    return plan;
}

}  // namespace tdx
