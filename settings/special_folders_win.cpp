#include "settings/special_folders_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <memory>

#include "settings/item_icons_win.h"
#include "settings/special_folders.h"

namespace tdx {

namespace {

struct IdListFree {
    // The shell's own free: the list came from its allocator.
    void operator()(ITEMIDLIST* list) const noexcept { ::ILFree(list); }
};
using UniqueIdList = std::unique_ptr<ITEMIDLIST, IdListFree>;

UniqueIdList FolderIdList(int csidl, HWND owner) noexcept {
    if (csidl == SpecialFolder::None) return nullptr;
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(owner, csidl, &list))) return nullptr;
    return UniqueIdList(list);
}

}  // namespace

HICON SpecialFolderIcon(std::wstring_view name, HWND owner) noexcept {
    const UniqueIdList list = FolderIdList(SpecialFolderId(name), owner);
    if (!list) return nullptr;
    return ShellIconOf(reinterpret_cast<LPCWSTR>(list.get()), SHGFI_PIDL);
}

bool OpenSpecialFolder(int csidl, HWND owner) noexcept {
    const UniqueIdList list = FolderIdList(csidl, owner);
    if (!list) return false;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_IDLIST;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.nShow = SW_SHOWNORMAL;
    info.lpIDList = list.get();
    return ::ShellExecuteExW(&info) != FALSE;
}

bool OpenSpecialFolder(std::wstring_view name, HWND owner) noexcept {
    return OpenSpecialFolder(SpecialFolderId(name), owner);
}

}  // namespace tdx
