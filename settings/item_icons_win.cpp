#include "settings/item_icons_win.h"

#include <shellapi.h>

#include <cwchar>

#include "settings/path_macros_win.h"
#include "settings/special_folders_win.h"
#include "winbase/file_tests.h"

namespace tdx {

namespace {

HICON g_documentIcon = nullptr;
HICON g_applicationIcon = nullptr;
bool g_sharedLoaded = false;

// ExtractIcon answers 1 for a file that is not a program, library or icon
// file: that is no icon either.
HICON ValidIcon(HICON icon) noexcept { return reinterpret_cast<UINT_PTR>(icon) > 1 ? icon : nullptr; }

HICON ExtractFrom(const std::wstring& file, int index) noexcept {
    return ValidIcon(::ExtractIconW(::GetModuleHandleW(nullptr), file.c_str(), static_cast<UINT>(index)));
}

}  // namespace

void LoadSharedIcons() noexcept {
    if (g_sharedLoaded) return;
    g_sharedLoaded = true;
    std::wstring shell32;
    try {
        shell32 = ExpandPathMacros(L"%sysdir%\\Shell32.Dll");
    } catch (...) {
        // Without the path the stock icon below stands in.
    }
    g_documentIcon = shell32.empty() ? nullptr : ExtractFrom(shell32, 0);
    g_applicationIcon = shell32.empty() ? nullptr : ExtractFrom(shell32, 2);
    // Entries must never be left without an icon to draw.
    if (!g_documentIcon) g_documentIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    if (!g_applicationIcon) g_applicationIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
}

HICON DocumentIcon() noexcept {
    LoadSharedIcons();
    return g_documentIcon;
}

HICON ApplicationIcon() noexcept {
    LoadSharedIcons();
    return g_applicationIcon;
}

bool IsSharedIcon(HICON icon) noexcept {
    return icon != nullptr && g_sharedLoaded && (icon == g_documentIcon || icon == g_applicationIcon);
}

void ReleaseEntryIcon(HICON icon) noexcept {
    if (icon && !IsSharedIcon(icon)) ::DestroyIcon(icon);
}

std::wstring OwnProgramPath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring Win32IconServices::OwnProgramPath() const { return tdx::OwnProgramPath(); }

bool Win32IconServices::Exists(const std::wstring& path) const {
    return PathExists(path);
}

IconHandle Win32IconServices::ExtractIndexed(const std::wstring& file, int index) const {
    return ExtractFrom(file, index);
}

HICON ShellIconOf(const wchar_t* pathOrIdList, UINT flags) noexcept {
    SHFILEINFOW info{};
    if (::SHGetFileInfoW(pathOrIdList, 0, &info, sizeof(info), flags | SHGFI_ICONLOCATION) &&
        info.szDisplayName[0] != L'\0') {
        HICON large = nullptr;
        if (::ExtractIconExW(info.szDisplayName, info.iIcon, &large, nullptr, 1) > 0 && large)
            return large;
    }
    // Locations the shell cannot name as a file (namespace extensions): ask for the icon.
    info = SHFILEINFOW{};
    if (!::SHGetFileInfoW(pathOrIdList, 0, &info, sizeof(info), flags | SHGFI_ICON)) return nullptr;
    return info.hIcon;
}

IconHandle Win32IconServices::SpecialFolderIcon(const std::wstring& name) const {
    return tdx::SpecialFolderIcon(name, owner_);
}

IconHandle Win32IconServices::DriveIcon(const std::wstring& root) const {
    return ShellIconOf(root.c_str(), 0);
}

IconHandle Win32IconServices::AssociatedIcon(const std::wstring& path) const {
    // The function may write the path of the file it took the icon from back
    // into the buffer, so it gets a writable one of full size.
    wchar_t buffer[MAX_PATH] = {};
    if (path.size() >= MAX_PATH) return nullptr;
    std::wmemcpy(buffer, path.c_str(), path.size());
    WORD index = 0;
    return ::ExtractAssociatedIconW(::GetModuleHandleW(nullptr), buffer, &index);
}

IconHandle Win32IconServices::DocumentIcon() const { return tdx::DocumentIcon(); }

IconHandle Win32IconServices::ApplicationIcon() const { return tdx::ApplicationIcon(); }

HICON LoadItemIcon(std::uint32_t status, const std::wstring& iconFileName, std::int32_t iconIndex) {
    const Win32IconServices services;
    return static_cast<HICON>(tdx::LoadItemIcon(services, status, iconFileName, iconIndex));
}

}  // namespace tdx
