#include "app/drop_target_win.h"

#include <shellapi.h>

#include <new>

#include "ui/wide_win.h"

namespace velmora {

namespace {

FORMATETC FileListFormat() {
  FORMATETC f{};
  f.cfFormat = CF_HDROP;
  f.dwAspect = DVASPECT_CONTENT;
  f.lindex = -1;
  f.tymed = TYMED_HGLOBAL;
  return f;
}

}  // namespace

std::vector<std::string> DragStatusTexts(DragPhase phase) {
  const char* stage = "Moving Drag/Drop";
  if (phase == DragPhase::Enter) stage = "Entering for Drag/Drop";
  if (phase == DragPhase::Leave) stage = "Leaving Drag/Drop";
  return {"Draging something ?", stage};
}

std::vector<std::string> DroppedFileNames(HDROP drop) {
  if (!drop) return {};
  return ui::DroppedFiles(drop);
}

HRESULT STDMETHODCALLTYPE FileDropTarget::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE FileDropTarget::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE FileDropTarget::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

void FileDropTarget::Report(DragPhase phase) noexcept {
  try {
    if (on_drag_) on_drag_(phase);
  } catch (...) {
    // A status text is never worth breaking the other program's drag.
  }
}

HRESULT STDMETHODCALLTYPE FileDropTarget::DragEnter(IDataObject* data, DWORD, POINTL,
                                                    DWORD* effect) {
  FORMATETC f = FileListFormat();
  has_files_ = data && data->QueryGetData(&f) == S_OK;
  if (effect) *effect = has_files_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  Report(DragPhase::Enter);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (effect) *effect = has_files_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  Report(DragPhase::Move);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileDropTarget::DragLeave() {
  has_files_ = false;
  Report(DragPhase::Leave);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (effect) *effect = DROPEFFECT_NONE;
  has_files_ = false;
  if (!data) return S_OK;
  FORMATETC f = FileListFormat();
  STGMEDIUM medium{};
  if (data->GetData(&f, &medium) != S_OK) return S_OK;
  std::vector<std::string> names;
  try {
    // The medium's block stays the sender's: read it, never DragFinish it.
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal)
      names = DroppedFileNames(static_cast<HDROP>(medium.hGlobal));
  } catch (...) {
    // Names that cannot be read make no drop; nothing may escape into the other
    // program's drag.
    names.clear();
  }
  ReleaseStgMedium(&medium);
  if (names.empty()) return S_OK;
  if (effect) *effect = DROPEFFECT_COPY;
  try {
    if (on_drop_) on_drop_(std::move(names));
  } catch (...) {
    // Discarded: nothing may escape into the other program's drag; the handler only
    // queues the names for the window, which reports its own failures.
  }
  return S_OK;
}

bool DropRegistration::Register(HWND window, FileDropTarget::DragHandler on_drag,
                                FileDropTarget::DropHandler on_drop) {
  Revoke();
  auto* target = new (std::nothrow) FileDropTarget(std::move(on_drag), std::move(on_drop));
  if (!target) return false;
  if (RegisterDragDrop(window, target) != S_OK) {
    target->Release();
    return false;
  }
  window_ = window;
  target_ = target;
  return true;
}

void DropRegistration::Revoke() {
  if (window_) RevokeDragDrop(window_);
  if (target_) target_->Release();
  window_ = nullptr;
  target_ = nullptr;
}

}  // namespace velmora
