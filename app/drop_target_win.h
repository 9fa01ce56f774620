// The main window as an OLE drop target: it reports every stage of a drag over it (the
// status line follows the drag) and takes dropped files. The shell's older WM_DROPFILES
// route stays in place for senders that post it.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace velmora {

enum class DragPhase { Enter, Move, Leave };

// The status texts of one drag event, in the order they are shown: every event first
// asks what is being dragged, then names its stage.
std::vector<std::string> DragStatusTexts(DragPhase phase);

class FileDropTarget final : public IDropTarget {
 public:
  using DragHandler = std::function<void(DragPhase)>;
  using DropHandler = std::function<void(std::vector<std::string> names)>;

  FileDropTarget(DragHandler on_drag, DropHandler on_drop)
      : on_drag_(std::move(on_drag)), on_drop_(std::move(on_drop)) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDropTarget
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL pt,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL pt, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override;

 private:
  ~FileDropTarget() = default;  // only Release deletes
  void Report(DragPhase phase) noexcept;

  LONG refs_ = 1;
  bool has_files_ = false;
  DragHandler on_drag_;
  DropHandler on_drop_;
};

// The file names of an HDROP (each as the shell gives it).
std::vector<std::string> DroppedFileNames(HDROP drop);

// RegisterDragDrop for the life of the object (OLE must be initialised on this thread).
class DropRegistration {
 public:
  DropRegistration() = default;
  ~DropRegistration() { Revoke(); }
  DropRegistration(const DropRegistration&) = delete;
  DropRegistration& operator=(const DropRegistration&) = delete;

  // False when the window system refuses (the WM_DROPFILES route still works then).
  bool Register(HWND window, FileDropTarget::DragHandler on_drag,
                FileDropTarget::DropHandler on_drop);
  void Revoke();

 private:
  HWND window_ = nullptr;
  FileDropTarget* target_ = nullptr;
};

}  // namespace velmora
