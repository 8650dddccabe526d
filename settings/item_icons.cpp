#include "settings/item_icons.h"

#include "settings/path_macros.h"

namespace tdx {

bool IsDriveRoot(std::wstring_view text) noexcept {
    if (text.size() != 3) return false;
    const wchar_t letter = text[0];
    const bool ascii_letter = (letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z');
    return ascii_letter && text[1] == L':' && text[2] == L'\\';
}

bool HasProgramExtension(std::wstring_view path) noexcept {
    const auto dot = path.rfind(L'.');
    if (dot == std::wstring_view::npos) return false;
    const std::wstring_view extension = path.substr(dot);
    return EqualsIgnoringCase(extension, L".exe") || EqualsIgnoringCase(extension, L".com");
}

IconHandle LoadItemIcon(const IconServices& services, std::uint32_t status,
                        const std::wstring& storedIconFileName, std::int32_t iconIndex) {
    const std::wstring iconFileName = WithoutSurroundingQuotes(storedIconFileName);
    if (iconIndex != -1) {
        const std::wstring file =
            EqualsIgnoringCase(iconFileName, kOwnProgramIconSource) ? services.OwnProgramPath() : iconFileName;
        if (!services.Exists(file)) return services.DocumentIcon();
        if (IconHandle icon = services.ExtractIndexed(file, iconIndex)) return icon;
        return HasProgramExtension(file) ? services.ApplicationIcon() : services.DocumentIcon();
    }
    if ((status & ItemStatus::SpecialFolder) != 0) return services.SpecialFolderIcon(iconFileName);
    if (IsDriveRoot(iconFileName)) return services.DriveIcon(iconFileName);
    if (services.Exists(iconFileName)) {
        if (IconHandle icon = services.AssociatedIcon(iconFileName)) return icon;
    }
    return services.DocumentIcon();
}

}  // namespace tdx
