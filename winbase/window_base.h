// The window base every form of the program derives from: the static procedure
// takes `this` at WM_NCCREATE, forwards to HandleMessage and forgets the pointer
// at WM_NCDESTROY.
#pragma once

#include <windows.h>

#include <string>

namespace tdx {

class WindowBase {
public:
    WindowBase() = default;
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;
    virtual ~WindowBase();

    HWND hwnd() const noexcept { return hwnd_; }
    bool IsShown() const noexcept { return hwnd_ && ::IsWindowVisible(hwnd_); }
    void Show() noexcept;
    void Hide() noexcept;

protected:
    // Registers the class once (by name) and creates the window.
    bool CreateWindowOfClass(const wchar_t* className, const wchar_t* caption, DWORD style,
                             DWORD exStyle, int x, int y, int width, int height, HWND owner,
                             UINT classStyle = 0, HICON icon = nullptr);
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    HWND hwnd_ = nullptr;
};

// A child control described as a row of a form's layout table, in design
// pixels at 96 DPI; CreateControl scales them for the parent's DPI.
struct ControlSpec {
    const wchar_t* className;
    const wchar_t* text;
    int x, y, width, height;
    DWORD style;
    int id;
    DWORD exStyle = 0;
};

HWND CreateControl(HWND parent, const ControlSpec& spec) noexcept;

// The application title, the caption of the program's message boxes.
inline constexpr wchar_t kApplicationTitle[] = L"tiledex";

}  // namespace tdx
