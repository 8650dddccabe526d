#include "settings/special_folders.h"

namespace tdx {

int SpecialFolderId(std::wstring_view name) noexcept {
    struct Entry {
        std::wstring_view name;
        int id;
    };
    // These names are stored in users' settings files: they never change.
    static constexpr Entry kFolders[] = {
        {L"ControlPanel", SpecialFolder::ControlPanel},
        {L"MyComputer", SpecialFolder::Computer},
        {L"DustBox", SpecialFolder::RecycleBin},
        {L"NetWork", SpecialFolder::Network},
        {L"Printer", SpecialFolder::Printers},
        {L"MyDocument", SpecialFolder::Documents},
        {L"DeskTop", SpecialFolder::Desktop},
    };
    for (const Entry& entry : kFolders) {
        if (entry.name == name) return entry.id;
    }
    return SpecialFolder::None;
}

}  // namespace tdx
