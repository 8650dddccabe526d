// The Windows half of ItemContext that the item lists need from the system
// itself: drives, files, shell names and icons of drive roots, icon destruction.
#pragma once

#include <functional>

#include "settings/item_lists.h"

namespace tdx {

// Fills destroyIcon, fileExists, driveMask, isRemoteDrive and shellFileInfo.
// The caller still plugs in the settings files (openReader, openWriter,
// deleteFile, writeOptions), expandPathMacros, loadIcon, windowsVersion, the two
// shared fallback icons and the CD device hooks.
ItemContext MakeWin32ItemContext();

// The complete context of the running program: the system half above plus the
// real settings files, path macros, icon sources, version and the CD device hooks.
ItemContext MakeProgramItemContext(std::function<void()> openCdDevice,
                                   std::function<void()> closeCdDevice);

}  // namespace tdx
