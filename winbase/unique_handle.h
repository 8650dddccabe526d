// Every handle the program holds is owned by one of these: a small move-only
// wrapper that closes the handle exactly once.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace tdx {

// InvalidBits is the invalid value as an integer: a pointer constant such as
// INVALID_HANDLE_VALUE cannot be a template argument.
template <typename T, auto Close, std::intptr_t InvalidBits = 0>
class UniqueHandle {
    static T Invalid() noexcept { return reinterpret_cast<T>(InvalidBits); }

public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(T value) noexcept : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Invalid(); }
    T release() noexcept { return std::exchange(value_, Invalid()); }
    void reset(T value = Invalid()) noexcept {
        T old = std::exchange(value_, value);
        if (old != Invalid()) Close(old);
    }

private:
    T value_ = Invalid();
};

namespace detail {
inline void CloseKernelHandle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void DestroyIconHandle(HICON h) noexcept { ::DestroyIcon(h); }
inline void DestroyMenuHandle(HMENU h) noexcept { ::DestroyMenu(h); }
inline void DeleteGdiObject(HGDIOBJ h) noexcept { ::DeleteObject(h); }
inline void DeleteFontHandle(HFONT h) noexcept { ::DeleteObject(h); }
inline void DeleteBrushHandle(HBRUSH h) noexcept { ::DeleteObject(h); }
inline void DeleteBitmapHandle(HBITMAP h) noexcept { ::DeleteObject(h); }
inline void DeleteDcHandle(HDC h) noexcept { ::DeleteDC(h); }
inline void CloseKeyHandle(HKEY h) noexcept { ::RegCloseKey(h); }
inline void UnmapView(void* p) noexcept { ::UnmapViewOfFile(p); }
inline void FreeModuleHandle(HMODULE h) noexcept { ::FreeLibrary(h); }
inline void DestroyWindowHandle(HWND h) noexcept { ::DestroyWindow(h); }
inline void FreeLocalMemory(HLOCAL h) noexcept { ::LocalFree(h); }
}  // namespace detail

using UniqueKernelHandle = UniqueHandle<HANDLE, detail::CloseKernelHandle>;
using UniqueMutex = UniqueKernelHandle;
using UniqueMapping = UniqueKernelHandle;
using UniqueFile = UniqueHandle<HANDLE, detail::CloseKernelHandle, -1>;
using UniqueIcon = UniqueHandle<HICON, detail::DestroyIconHandle>;
using UniqueMenu = UniqueHandle<HMENU, detail::DestroyMenuHandle>;
using UniqueFont = UniqueHandle<HFONT, detail::DeleteFontHandle>;
using UniqueBrush = UniqueHandle<HBRUSH, detail::DeleteBrushHandle>;
using UniqueBitmap = UniqueHandle<HBITMAP, detail::DeleteBitmapHandle>;
using UniqueDc = UniqueHandle<HDC, detail::DeleteDcHandle>;
using UniqueKey = UniqueHandle<HKEY, detail::CloseKeyHandle>;
using UniqueView = UniqueHandle<void*, detail::UnmapView>;
using UniqueModule = UniqueHandle<HMODULE, detail::FreeModuleHandle>;
using UniqueWindow = UniqueHandle<HWND, detail::DestroyWindowHandle>;
// Memory the system handed over with LocalAlloc (security descriptors, messages).
using UniqueLocal = UniqueHandle<HLOCAL, detail::FreeLocalMemory>;

// Puts a GDI object into a DC for the guard's lifetime.
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;
    ~SelectObjectGuard() { ::SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint/EndPaint as a scope.
class PaintGuard {
public:
    explicit PaintGuard(HWND window) noexcept : window_(window) { dc_ = ::BeginPaint(window, &ps_); }
    PaintGuard(const PaintGuard&) = delete;
    PaintGuard& operator=(const PaintGuard&) = delete;
    ~PaintGuard() { ::EndPaint(window_, &ps_); }
    HDC dc() const noexcept { return dc_; }
    const PAINTSTRUCT& paint() const noexcept { return ps_; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// GetDC/ReleaseDC as a scope.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { if (dc_) ::ReleaseDC(window_, dc_); }
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) noexcept : f_(std::move(f)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() { f_(); }

private:
    F f_;
};

}  // namespace tdx
