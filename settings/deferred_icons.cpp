#include "settings/deferred_icons.h"

namespace tdx {

std::vector<IconRequest> PendingIcons(const std::vector<LaunchItem>& items, std::int32_t list,
                                      IconHandle fallback) {
    std::vector<IconRequest> requests;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const LaunchItem& item = items[i];
        if (item.Icon != fallback) continue;
        requests.push_back({list, i, item.Status, item.IconFileName, item.IconIndex});
    }
    return requests;
}

std::wstring IconFileRoot(const std::wstring& name, const SystemPaths& paths) {
    // Quoted, macro and variable names would otherwise all land in the group
    // of names without a place: a dead share among them would hold back every
    // local icon named that way.
    const std::wstring file = ExpandPathMacros(WithoutSurroundingQuotes(name), paths);
    if (file.size() >= 2 && (file[0] == L'\\' || file[0] == L'/') && (file[1] == L'\\' || file[1] == L'/')) {
        // \\server\share: up to the separator after the share name.
        std::size_t separators = 0, end = 2;
        for (; end < file.size(); ++end) {
            if ((file[end] == L'\\' || file[end] == L'/') && ++separators == 2) break;
        }
        std::wstring root = file.substr(0, end);
        for (wchar_t& c : root)
            if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        return root;
    }
    if (file.size() >= 2 && file[1] == L':') {
        wchar_t drive = file[0];
        if (drive >= L'a' && drive <= L'z') drive = static_cast<wchar_t>(drive - L'a' + L'A');
        return std::wstring{drive, L':'};
    }
    return {};
}

bool TakeLoadedIcon(std::vector<LaunchItem>& items, const IconRequest& request, IconHandle icon,
                    IconHandle fallback) noexcept {
    if (!icon || icon == fallback || request.index >= items.size()) return false;
    LaunchItem& item = items[request.index];
    if (item.Icon != fallback || item.Status != request.status || item.IconIndex != request.iconIndex ||
        item.IconFileName != request.iconFileName)
        return false;
    item.Icon = icon;
    return true;
}

}  // namespace tdx
