#include "popup/grid_accessible_win.h"

#include <string>

#include "winbase/com_ptr.h"
#include "winbase/late_bound.h"

namespace tdx {
namespace {

// Only a screen reader ever asks for these: the automation library is bound
// at its first question (oleacc, which answers it, needs it loaded anyway).
BSTR MakeBstr(const std::wstring& text) noexcept {
    static const auto allocate = LateBound<decltype(&::SysAllocStringLen)>(L"oleaut32.dll", "SysAllocStringLen");
    return allocate ? allocate(text.data(), static_cast<UINT>(text.size())) : nullptr;
}

HRESULT TextResult(const std::wstring& text, BSTR* out) noexcept {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = MakeBstr(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

// What VariantInit does; binding the automation library for it is not worth it.
void Empty(VARIANT* out) noexcept { out->vt = VT_EMPTY; }

void SetChild(VARIANT* out, int cell) noexcept {
    out->vt = VT_I4;
    out->lVal = cell + 1;
}

}  // namespace

HRESULT GridAccessible::QueryInterface(REFIID riid, void** object) noexcept {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG GridAccessible::AddRef() noexcept { return ++references_; }

ULONG GridAccessible::Release() noexcept {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT GridAccessible::GetTypeInfoCount(UINT* count) noexcept {
    if (!count) return E_INVALIDARG;
    *count = 0;
    return S_OK;
}
HRESULT GridAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept { return E_NOTIMPL; }
HRESULT GridAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept { return E_NOTIMPL; }
HRESULT GridAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept {
    return E_NOTIMPL;
}

bool GridAccessible::CellOf(const VARIANT& child, int& cell) const noexcept {
    if (!box_ || child.vt != VT_I4) return false;
    if (child.lVal == CHILDID_SELF) {
        cell = -1;
        return true;
    }
    AccessibleGrid grid;
    if (!box_ || !box_->Describe(grid)) return false;
    if (child.lVal < 1 || child.lVal > static_cast<long>(grid.cells.size())) return false;
    cell = static_cast<int>(child.lVal - 1);
    return true;
}

HRESULT GridAccessible::get_accParent(IDispatch** parent) noexcept {
    if (!parent) return E_INVALIDARG;
    *parent = nullptr;
    if (!box_) return CO_E_OBJNOTCONNECTED;
    static const auto fromWindow =
        LateBound<decltype(&::AccessibleObjectFromWindow)>(L"oleacc.dll", "AccessibleObjectFromWindow");
    if (!fromWindow) return S_FALSE;
    return fromWindow(box_->GridWindow(), static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                      reinterpret_cast<void**>(parent));
}

HRESULT GridAccessible::get_accChildCount(long* count) noexcept {
    if (!count) return E_INVALIDARG;
    AccessibleGrid grid;
    if (!box_ || !box_->Describe(grid)) return CO_E_OBJNOTCONNECTED;
    *count = static_cast<long>(grid.cells.size());
    return S_OK;
}

HRESULT GridAccessible::get_accChild(VARIANT child, IDispatch** object) noexcept {
    if (!object) return E_INVALIDARG;
    *object = nullptr;
    int cell = 0;
    // The cells are simple elements of the list, not objects of their own.
    return CellOf(child, cell) ? S_FALSE : E_INVALIDARG;
}

HRESULT GridAccessible::get_accName(VARIANT child, BSTR* name) noexcept {
    int cell = 0;
    AccessibleGrid grid;
    if (!CellOf(child, cell) || !box_->Describe(grid)) return E_INVALIDARG;
    return TextResult(cell < 0 ? grid.name : grid.cells[static_cast<std::size_t>(cell)].name, name);
}

HRESULT GridAccessible::get_accValue(VARIANT, BSTR* value) noexcept { return TextResult(L"", value); }
HRESULT GridAccessible::get_accDescription(VARIANT, BSTR* description) noexcept {
    return TextResult(L"", description);
}
HRESULT GridAccessible::get_accHelp(VARIANT, BSTR* help) noexcept { return TextResult(L"", help); }
HRESULT GridAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) noexcept {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
}

HRESULT GridAccessible::get_accRole(VARIANT child, VARIANT* role) noexcept {
    if (!role) return E_INVALIDARG;
    int cell = 0;
    if (!CellOf(child, cell)) return E_INVALIDARG;
    Empty(role);
    role->vt = VT_I4;
    role->lVal = cell < 0 ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM;
    return S_OK;
}

HRESULT GridAccessible::get_accState(VARIANT child, VARIANT* state) noexcept {
    if (!state) return E_INVALIDARG;
    int cell = 0;
    AccessibleGrid grid;
    if (!CellOf(child, cell) || !box_->Describe(grid)) return E_INVALIDARG;
    Empty(state);
    state->vt = VT_I4;
    long flags = ::IsWindowVisible(box_->GridWindow()) ? 0 : STATE_SYSTEM_INVISIBLE;
    if (cell >= 0) {
        flags |= STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
        if (cell == grid.focused) flags |= STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED;
    }
    state->lVal = flags;
    return S_OK;
}

HRESULT GridAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) noexcept {
    int cell = 0;
    AccessibleGrid grid;
    if (!CellOf(child, cell) || !box_->Describe(grid)) return E_INVALIDARG;
    return TextResult(cell < 0 ? std::wstring() : grid.cells[static_cast<std::size_t>(cell)].shortcut, shortcut);
}

HRESULT GridAccessible::get_accFocus(VARIANT* child) noexcept {
    if (!child) return E_INVALIDARG;
    Empty(child);
    AccessibleGrid grid;
    if (!box_ || !box_->Describe(grid)) return CO_E_OBJNOTCONNECTED;
    if (grid.focused < 0) return S_FALSE;
    SetChild(child, grid.focused);
    return S_OK;
}

HRESULT GridAccessible::get_accSelection(VARIANT* children) noexcept { return get_accFocus(children); }

HRESULT GridAccessible::get_accDefaultAction(VARIANT child, BSTR* action) noexcept {
    int cell = 0;
    if (!CellOf(child, cell)) return E_INVALIDARG;
    return TextResult(cell >= 0 && box_->CanRunCells() ? L"run" : L"", action);
}

HRESULT GridAccessible::accSelect(long, VARIANT) noexcept { return DISP_E_MEMBERNOTFOUND; }

HRESULT GridAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) noexcept {
    if (!left || !top || !width || !height) return E_INVALIDARG;
    int cell = 0;
    AccessibleGrid grid;
    if (!CellOf(child, cell) || !box_->Describe(grid)) return E_INVALIDARG;
    RECT r{};
    if (cell < 0) ::GetWindowRect(box_->GridWindow(), &r);
    else r = grid.cells[static_cast<std::size_t>(cell)].rect;
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

HRESULT GridAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) noexcept {
    if (!end) return E_INVALIDARG;
    Empty(end);
    int cell = 0;
    AccessibleGrid grid;
    if (!CellOf(start, cell) || !box_->Describe(grid)) return E_INVALIDARG;
    const int count = static_cast<int>(grid.cells.size());
    int to = -1;
    if (cell < 0) {
        if (direction == NAVDIR_FIRSTCHILD) to = 0;
        else if (direction == NAVDIR_LASTCHILD) to = count - 1;
        else return S_FALSE;  // siblings of the list are its window's to tell
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_RIGHT) {
        to = cell + 1;
    } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_LEFT) {
        to = cell - 1;
    } else {
        return S_FALSE;
    }
    if (to < 0 || to >= count) return S_FALSE;
    SetChild(end, to);
    return S_OK;
}

HRESULT GridAccessible::accHitTest(long x, long y, VARIANT* child) noexcept {
    if (!child) return E_INVALIDARG;
    Empty(child);
    AccessibleGrid grid;
    if (!box_ || !box_->Describe(grid)) return CO_E_OBJNOTCONNECTED;
    const POINT p{x, y};
    for (std::size_t i = 0; i < grid.cells.size(); ++i) {
        if (::PtInRect(&grid.cells[i].rect, p)) {
            SetChild(child, static_cast<int>(i));
            return S_OK;
        }
    }
    RECT box{};
    ::GetWindowRect(box_->GridWindow(), &box);
    if (!::PtInRect(&box, p)) return S_FALSE;
    child->vt = VT_I4;
    child->lVal = CHILDID_SELF;
    return S_OK;
}

HRESULT GridAccessible::accDoDefaultAction(VARIANT child) noexcept {
    int cell = 0;
    if (!CellOf(child, cell)) return E_INVALIDARG;
    if (cell < 0 || !box_->CanRunCells()) return DISP_E_MEMBERNOTFOUND;
    // Run from the box's own queue: the caller is another program waiting on this call.
    box_->RunCellLater(cell);
    return S_OK;
}

HRESULT GridAccessible::put_accName(VARIANT, BSTR) noexcept { return E_NOTIMPL; }
HRESULT GridAccessible::put_accValue(VARIANT, BSTR) noexcept { return E_NOTIMPL; }

LRESULT AccessibleResult(GridAccessible& object, WPARAM wParam) noexcept {
    static const auto fromObject =
        LateBound<decltype(&::LresultFromObject)>(L"oleacc.dll", "LresultFromObject");
    if (!fromObject) return 0;
    // The object reaches the screen reader through COM marshalling, which needs
    // COM on this thread; kept for the life of the process, like the thread.
    static const ComApartment com;
    const LRESULT result = fromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(&object));
    return result > 0 ? result : 0;
}

}  // namespace tdx

namespace tdx {

void NotifyAccessibleFocus(HWND grid, int cell) noexcept {
    if (cell < 0 || !::IsWindowVisible(grid)) return;
    ::NotifyWinEvent(EVENT_OBJECT_FOCUS, grid, OBJID_CLIENT, cell + 1);
}

}  // namespace tdx
