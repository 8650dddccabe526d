// Test helper: an icon drawn into 32-bit pixels over a plain background, so
// that two icon handles can be compared by what they show.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace tdx::test {

inline std::vector<std::uint32_t> IconPixels(HICON icon, int size, std::uint32_t background = 0x00FF00FF) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<std::uint32_t> pixels;
    if (dc && bitmap && bits) {
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        auto* p = static_cast<std::uint32_t*>(bits);
        for (int i = 0; i < size * size; ++i) p[i] = background;
        ::DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        ::GdiFlush();
        pixels.assign(p, p + size * size);
        for (auto& px : pixels) px &= 0x00FFFFFF;  // the alpha byte of a screen DC is meaningless
        ::SelectObject(dc, old);
    }
    if (bitmap) ::DeleteObject(bitmap);
    if (dc) ::DeleteDC(dc);
    return pixels;
}

}  // namespace tdx::test
