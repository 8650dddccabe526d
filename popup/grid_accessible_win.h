// What a screen reader sees of a custom-drawn grid of cells (the popup's trays,
// the registration grids, the editor's icon strip): a list with a name whose
// items are the cells, the cell under the cursor focused, and "run" as default
// action where the grid has one. Active Accessibility reads it through WM_GETOBJECT.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <atomic>
#include <string>
#include <vector>

namespace tdx {

struct AccessibleCell {
    std::wstring name;
    std::wstring shortcut;  // the key that runs it, if any
    RECT rect{};            // where the source's Describe says (see there)
};
struct AccessibleGrid {
    std::wstring name;  // the list's own
    std::vector<AccessibleCell> cells;
    int focused = -1;  // the cell with the cursor
};

// The window that draws the grid, answering for it.
class AccessibleGridSource {
public:
    virtual HWND GridWindow() const noexcept = 0;
    // The grid now, cells in screen pixels; false when there is none.
    virtual bool Describe(AccessibleGrid& grid) const noexcept = 0;
    virtual bool CanRunCells() const noexcept = 0;
    // Runs a cell once the messages before it have been handled.
    virtual void RunCellLater(int cell) noexcept = 0;

protected:
    ~AccessibleGridSource() = default;
};

class GridAccessible final : public IAccessible {
public:
    // Holds one reference for its creator.
    explicit GridAccessible(AccessibleGridSource& box) noexcept : box_(&box) {}
    GridAccessible(const GridAccessible&) = delete;
    GridAccessible& operator=(const GridAccessible&) = delete;

    // The grid's window is going: clients that still hold the object get errors, not a dead box.
    void Disconnect() noexcept { box_ = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;
    // IDispatch: the object is used through its vtable only.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) noexcept override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) noexcept override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) noexcept override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) noexcept override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) noexcept override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) noexcept override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) noexcept override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) noexcept override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) noexcept override;

private:
    ~GridAccessible() = default;
    // The cell a child id names (0-based), -1 for the list itself; false when
    // the id names nothing.
    bool CellOf(const VARIANT& child, int& cell) const noexcept;

    std::atomic<ULONG> references_{1};
    AccessibleGridSource* box_;
};

// Answers WM_GETOBJECT with the object; 0 when Active Accessibility is missing.
LRESULT AccessibleResult(GridAccessible& object, WPARAM wParam) noexcept;

// Tells screen readers that the cursor is now on the cell (-1: none).
void NotifyAccessibleFocus(HWND grid, int cell) noexcept;

}  // namespace tdx
