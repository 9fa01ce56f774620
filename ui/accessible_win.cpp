#include "ui/accessible_win.h"

#include <oleacc.h>

#include <new>

#include "ui/wide_win.h"

namespace velmora::ui {

namespace {

BSTR ToBstr(const std::string& text) {
  const std::wstring wide = Widen(text);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

// The item a VARIANT names: CHILDID_SELF or an item number; -1 when it names none.
long ItemOf(const VARIANT& v) {
  if (v.vt == VT_I4) return v.lVal;
  if (v.vt == VT_EMPTY) return CHILDID_SELF;
  return -1;
}

class ControlAccessible final : public IAccessible {
 public:
  explicit ControlAccessible(HWND control) : hwnd_(control) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: readers use the IAccessible methods directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!Source()) return E_FAIL;
    return AccessibleObjectFromWindow(hwnd_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                      reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    AccessibleSource* source = Source();
    if (!source) return E_FAIL;
    *count = source->ItemCount();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    AccessibleSource* source = Source();
    if (!source) return E_FAIL;
    const long item = ItemOf(child);
    return item >= 1 && item <= source->ItemCount() ? S_FALSE : E_INVALIDARG;  // simple items
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    return Text(child, out, &AccessibleInfo::name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    return Text(child, out, &AccessibleInfo::value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    return Text(child, out, &AccessibleInfo::description);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    return Text(child, out, &AccessibleInfo::default_action);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    AccessibleInfo info;
    const HRESULT hr = Describe(child, info);
    if (hr != S_OK) return hr;
    out->vt = VT_I4;
    out->lVal = info.role;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    AccessibleInfo info;
    const HRESULT hr = Describe(child, info);
    if (hr != S_OK) return hr;
    out->vt = VT_I4;
    out->lVal = info.state;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    AccessibleSource* source = Source();
    if (!source) return E_FAIL;
    if (GetFocus() != hwnd_) return S_FALSE;
    out->vt = VT_I4;
    out->lVal = source->FocusedItem();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    AccessibleInfo info;
    const HRESULT hr = Describe(child, info);
    if (hr != S_OK) return hr;
    RECT rc = info.screen;
    if (ItemOf(child) == CHILDID_SELF) GetWindowRect(hwnd_, &rc);
    *left = rc.left;
    *top = rc.top;
    *width = rc.right - rc.left;
    *height = rc.bottom - rc.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    AccessibleSource* source = Source();
    if (!source) return E_FAIL;
    const long count = source->ItemCount();
    const long from = ItemOf(start);
    long to = 0;
    if (from == CHILDID_SELF) {
      if (direction == NAVDIR_FIRSTCHILD)
        to = count > 0 ? 1 : 0;
      else if (direction == NAVDIR_LASTCHILD)
        to = count;
      else
        return S_FALSE;  // siblings are the window's business
    } else if (from >= 1 && from <= count) {
      if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN)
        to = from < count ? from + 1 : 0;
      else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP)
        to = from - 1;
      else
        return S_FALSE;
    } else {
      return E_INVALIDARG;
    }
    if (to <= 0) return S_FALSE;
    out->vt = VT_I4;
    out->lVal = to;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    AccessibleSource* source = Source();
    if (!source) return E_FAIL;
    RECT rc{};
    GetWindowRect(hwnd_, &rc);
    const POINT pt{x, y};
    if (!PtInRect(&rc, pt)) return S_FALSE;
    out->vt = VT_I4;
    out->lVal = CHILDID_SELF;
    const long count = source->ItemCount();
    for (long i = 1; i <= count; ++i) {
      AccessibleInfo info;
      if (source->Describe(i, info) && PtInRect(&info.screen, pt)) {
        out->lVal = i;
        break;
      }
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    AccessibleSource* source = Source();
    if (!source) return E_FAIL;
    const long item = ItemOf(child);
    if (item < 0 || item > source->ItemCount()) return E_INVALIDARG;
    return source->DoDefaultAction(item) ? S_OK : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~ControlAccessible() = default;

  AccessibleSource* Source() const {
    if (!IsWindow(hwnd_)) return nullptr;
    return reinterpret_cast<AccessibleSource*>(SendMessageW(hwnd_, kGetAccessibleMessage, 0, 0));
  }

  HRESULT Describe(const VARIANT& child, AccessibleInfo& info) const {
    AccessibleSource* source = Source();
    if (!source) return E_FAIL;
    const long item = ItemOf(child);
    if (item < 0 || item > source->ItemCount()) return E_INVALIDARG;
    try {
      if (!source->Describe(item, info)) return E_INVALIDARG;
    } catch (...) {
      // The screen reader asked: it is told the item cannot be described (the
      // interface's answer for that), and nothing may escape into its process.
      return E_FAIL;
    }
    if (item == CHILDID_SELF) {
      if (!IsWindowEnabled(hwnd_)) info.state |= STATE_SYSTEM_UNAVAILABLE;
      if (!IsWindowVisible(hwnd_)) info.state |= STATE_SYSTEM_INVISIBLE;
      if (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_TABSTOP) info.state |= STATE_SYSTEM_FOCUSABLE;
      if (GetFocus() == hwnd_) info.state |= STATE_SYSTEM_FOCUSED;
    }
    return S_OK;
  }

  HRESULT Text(const VARIANT& child, BSTR* out, std::string AccessibleInfo::*field) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    AccessibleInfo info;
    const HRESULT hr = Describe(child, info);
    if (hr != S_OK) return hr;
    const std::string& text = info.*field;
    if (text.empty()) return S_FALSE;
    *out = ToBstr(text);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  LONG refs_ = 1;
  HWND hwnd_;
};

}  // namespace

LRESULT AnswerGetObject(HWND control, WPARAM wp, LPARAM lp) {
  if (static_cast<LONG>(lp) != static_cast<LONG>(OBJID_CLIENT)) return 0;
  if (!SendMessageW(control, kGetAccessibleMessage, 0, 0)) return 0;
  auto* object = new (std::nothrow) ControlAccessible(control);
  if (!object) return 0;
  const LRESULT result = LresultFromObject(IID_IAccessible, wp, object);
  object->Release();
  return result > 0 ? result : 0;
}

void AnnounceChange(HWND control, DWORD event, long item) {
  if (control) NotifyWinEvent(event, control, OBJID_CLIENT, item);
}

}  // namespace velmora::ui
