// Icons loaded after the lists: at start-up the entries first show the shared
// fallback icon, and each icon read later takes its entry's place only if that
// entry still shows the fallback for the same icon source. A list replaced in
// the meantime (another environment, a dialog's OK) holds entries with their
// own icons or other sources, so a late icon never lands in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/launch_item.h"
#include "settings/path_macros.h"

namespace tdx {

struct IconRequest {
    std::int32_t list = 0;  // which list the caller meant (its own numbering)
    std::size_t index = 0;
    std::uint32_t status = 0;
    std::wstring iconFileName;
    std::int32_t iconIndex = 0;
};

// The entries of items that show fallback, in order.
std::vector<IconRequest> PendingIcons(const std::vector<LaunchItem>& items, std::int32_t list,
                                      IconHandle fallback);

// The drive or share an icon file is read from ("C:", "\\\\server\\share"), or
// "" for names without one, after one pair of quotes around the name is
// dropped and its macros and environment variables are expanded. Files of one
// place are read one after another; a share that does not answer holds back
// only its own entries.
std::wstring IconFileRoot(const std::wstring& file, const SystemPaths& paths);

// Puts icon on the entry the request names when that entry still waits for it;
// false when it does not (the caller then destroys icon).
bool TakeLoadedIcon(std::vector<LaunchItem>& items, const IconRequest& request, IconHandle icon,
                    IconHandle fallback) noexcept;

}  // namespace tdx
