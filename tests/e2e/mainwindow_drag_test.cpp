// Dragging files over the main window from another program (OLE drag and drop): the
// status line follows the drag's stages and a drop adds the files like the shell's
// WM_DROPFILES does.
#include <gtest/gtest.h>

#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"

namespace velmora::e2e {
namespace {

// A data object that offers one format: a file list (CF_HDROP, 8-bit names).
class FileListData final : public IDataObject {
 public:
  explicit FileListData(std::vector<std::string> paths) : paths_(std::move(paths)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(IDataObject))) {
      *object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on the test's stack

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* medium) override {
    if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
    std::string names;
    for (const auto& p : paths_) names += p + '\0';
    names += '\0';
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
    if (!block) return E_OUTOFMEMORY;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
    return f && f->cfFormat == CF_HDROP && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** e) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC f{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &f, e);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  ULONG refs_ = 1;
  std::vector<std::string> paths_;
};

// Drives the drag: the drag manager asks QueryContinueDrag once per step, before it
// looks for the target under the pointer. Each call reads the status line (the result
// of the previous step) and decides where the pointer goes next:
// over the window until "Moving Drag/Drop" shows, away until "Leaving Drag/Drop", back
// until "Entering for Drag/Drop", then drop.
class ScriptedSource final : public IDropSource {
 public:
  ScriptedSource(HWND main, POINT inside) : main_(main), inside_(inside) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(IDropSource))) {
      *object = static_cast<IDropSource*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override {
    const std::string status = ControlText(main_, ids::banner2);
    if (seen_.empty() || seen_.back() != status) seen_.push_back(status);
    if (++calls_ > 400) return DRAGDROP_S_CANCEL;  // never hang the suite
    switch (stage_) {
      case 0:  // over the window: wait for the drag to be reported moving
        if (status == "Moving Drag/Drop") {
          SetCursorPos(2, 2);  // off the window (the desktop takes nothing)
          stage_ = 1;
        }
        return S_OK;
      case 1:
        if (status == "Leaving Drag/Drop") {
          SetCursorPos(inside_.x, inside_.y);
          stage_ = 2;
        }
        return S_OK;
      case 2:
        if (status == "Entering for Drag/Drop" || status == "Moving Drag/Drop") {
          stage_ = 3;
          return DRAGDROP_S_DROP;
        }
        return S_OK;
      default: return DRAGDROP_S_DROP;
    }
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

  const std::vector<std::string>& Seen() const { return seen_; }
  int Stage() const { return stage_; }

 private:
  HWND main_;
  POINT inside_;
  int stage_ = 0;
  int calls_ = 0;
  std::vector<std::string> seen_;
};

// The suite links no OLE library of its own: the three calls come from ole32 at run time.
struct Ole {
  HMODULE module = LoadLibraryA("ole32.dll");
  using InitFn = HRESULT(WINAPI*)(void*);
  using UninitFn = void(WINAPI*)();
  using DragFn = HRESULT(WINAPI*)(IDataObject*, IDropSource*, DWORD, DWORD*);
  InitFn initialize =
      reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(module, "OleInitialize")));
  UninitFn uninitialize = reinterpret_cast<UninitFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "OleUninitialize")));
  DragFn do_drag_drop =
      reinterpret_cast<DragFn>(reinterpret_cast<void*>(GetProcAddress(module, "DoDragDrop")));
  bool Ok() const { return module && initialize && uninitialize && do_drag_drop; }
};

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  for (const auto& x : v)
    if (x == s) return true;
  return false;
}

TEST(MainWindowDrag, StatusFollowsTheDragAndTheDropAddsTheFiles) {
  registry::ClearSettings();
  registry::WriteDword("EnableTooltips", 0);  // no hint texts while the pointer crosses controls
  registry::WriteDword("Nag", 0);
  registry::WriteDword("autoplay", 0);
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string("extensions=PRB\nlength_ms=60000\n"));
  const std::string a = folder.MakeMediaFile("a.prb");
  const std::string b = folder.MakeMediaFile("b.prb");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  HWND main = player.MainWindow();
  ProbeLog log(folder);
  ASSERT_TRUE(log.WaitFor("extension"));
  ASSERT_EQ(SendRegistered(main, "VelmoraNumberFiles"), 0);

  Ole ole;
  ASSERT_TRUE(ole.Ok());
  ASSERT_TRUE(SUCCEEDED(ole.initialize(nullptr)));
  RECT r{};
  GetWindowRect(main, &r);
  const POINT inside{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  SetCursorPos(inside.x, inside.y);
  FileListData data({a, b});
  ScriptedSource source(main, inside);
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = ole.do_drag_drop(&data, &source, DROPEFFECT_COPY, &effect);
  SetCursorPos(0, 0);
  ole.uninitialize();

  EXPECT_EQ(hr, DRAGDROP_S_DROP);
  EXPECT_EQ(source.Stage(), 3);
  EXPECT_TRUE(Contains(source.Seen(), "Moving Drag/Drop"));
  EXPECT_TRUE(Contains(source.Seen(), "Leaving Drag/Drop"));
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  // The drop went the same way as WM_DROPFILES: both files appended, Play enabled.
  EXPECT_TRUE(WaitUntil([&] { return SendRegistered(main, "VelmoraNumberFiles") == 2; }));
  EXPECT_TRUE(WaitUntil([&] { return IsControlEnabled(main, ids::playbut); }));
  EXPECT_TRUE(player.Close());
}

TEST(MainWindowDrag, ShellDropMessageStillWorksBesideTheDropTarget) {
  registry::ClearSettings();
  registry::WriteDword("Nag", 0);
  TestFolder folder;
  folder.AddPlugin("probe.dll", "probe.dll", std::string("extensions=PRB\nlength_ms=60000\n"));
  const std::string one = folder.MakeMediaFile("one.prb");
  PlayerProcess player;
  ASSERT_TRUE(player.Start(folder));
  ASSERT_TRUE(player.WaitForStartup());
  HWND main = player.MainWindow();
  ProbeLog log(folder);
  ASSERT_TRUE(log.WaitFor("extension"));
  ASSERT_TRUE(DropFiles(main, {one}));
  EXPECT_TRUE(WaitUntil([&] { return SendRegistered(main, "VelmoraNumberFiles") == 1; }));
  EXPECT_TRUE(player.Close());
}

}  // namespace
}  // namespace velmora::e2e
