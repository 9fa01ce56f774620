// Records of the published visualisation plug-in interface (cdecl entries, 8-bit text).
// The module record is 2360 bytes on 32-bit Windows; plug-ins index into it, so the
// layout is checked at compile time. Plug-ins export `winampVisGetHeader` (cdecl).
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

struct VisModule;

extern "C" {
typedef VisModule* (*VisGetModuleFn)(int32_t index);
typedef void (*VisConfigFn)(VisModule* module);
typedef int32_t (*VisInitFn)(VisModule* module);
typedef int32_t (*VisRenderFn)(VisModule* module);
typedef void (*VisQuitFn)(VisModule* module);
}

struct VisHeader {
  int32_t version;
  const char* description;
  VisGetModuleFn getModule;
};

struct VisModule {
  const char* description;
  void* hwndParent;
  void* hDllInstance;
  int32_t sRate;
  int32_t nCh;
  int32_t latencyMs;
  int32_t delayMs;
  int32_t spectrumNch;
  int32_t waveformNch;
  unsigned char spectrumData[2][576];
  unsigned char waveformData[2][576];
  VisConfigFn Config;
  VisInitFn Init;
  VisRenderFn Render;
  VisQuitFn Quit;
  void* userData;
};

extern "C" {
typedef VisHeader* (*VisGetHeaderFn)(void);
}

// The module record as a 32-bit plug-in sees it (pointers are 32-bit values), so that
// every build checks the published layout, whatever its own pointer size.
struct VisModuleRecord32 {
  uint32_t description, hwndParent, hDllInstance;
  int32_t sRate, nCh, latencyMs, delayMs, spectrumNch, waveformNch;
  unsigned char spectrumData[2][576];
  unsigned char waveformData[2][576];
  uint32_t Config, Init, Render, Quit, userData;
};
static_assert(sizeof(VisModuleRecord32) == 2360, "module record is 2360 bytes");
static_assert(offsetof(VisModuleRecord32, hwndParent) == 4, "hwndParent at 4");
static_assert(offsetof(VisModuleRecord32, hDllInstance) == 8, "hDllInstance at 8");
static_assert(offsetof(VisModuleRecord32, sRate) == 12, "sRate at 12");
static_assert(offsetof(VisModuleRecord32, nCh) == 16, "nCh at 16");
static_assert(offsetof(VisModuleRecord32, latencyMs) == 20, "latencyMs at 20");
static_assert(offsetof(VisModuleRecord32, delayMs) == 24, "delayMs at 24");
static_assert(offsetof(VisModuleRecord32, spectrumNch) == 28, "spectrumNch at 28");
static_assert(offsetof(VisModuleRecord32, waveformNch) == 32, "waveformNch at 32");
static_assert(offsetof(VisModuleRecord32, spectrumData) == 36, "spectrumData at 36");
static_assert(offsetof(VisModuleRecord32, waveformData) == 1188, "waveformData at 1188");
static_assert(offsetof(VisModuleRecord32, Config) == 2340, "Config at 2340");
static_assert(offsetof(VisModuleRecord32, Init) == 2344, "Init at 2344");
static_assert(offsetof(VisModuleRecord32, Render) == 2348, "Render at 2348");
static_assert(offsetof(VisModuleRecord32, Quit) == 2352, "Quit at 2352");
static_assert(offsetof(VisModuleRecord32, userData) == 2356, "userData at 2356");

// The record the program uses has the same fields in the same places with the pointers
// of its own size: on 32-bit Windows it is the published record itself, on 64-bit
// Windows the same order with 8-byte pointers (what 64-bit plug-ins are built with).
#define VELMORA_VIS_SAME_AS_32(field) \
  static_assert(offsetof(VisModule, field) == offsetof(VisModuleRecord32, field), #field)
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(VisHeader) == 12, "header record is 12 bytes on 32-bit Windows");
static_assert(sizeof(VisModule) == 2360, "module record is 2360 bytes on 32-bit Windows");
VELMORA_VIS_SAME_AS_32(hwndParent);
VELMORA_VIS_SAME_AS_32(hDllInstance);
VELMORA_VIS_SAME_AS_32(sRate);
VELMORA_VIS_SAME_AS_32(delayMs);
VELMORA_VIS_SAME_AS_32(spectrumData);
VELMORA_VIS_SAME_AS_32(waveformData);
VELMORA_VIS_SAME_AS_32(Config);
VELMORA_VIS_SAME_AS_32(Init);
VELMORA_VIS_SAME_AS_32(Render);
VELMORA_VIS_SAME_AS_32(Quit);
VELMORA_VIS_SAME_AS_32(userData);
#elif defined(_WIN64)
static_assert(sizeof(VisHeader) == 24, "header record is 24 bytes on 64-bit Windows");
static_assert(offsetof(VisModule, sRate) == 24, "sRate at 24 on 64-bit Windows");
static_assert(offsetof(VisModule, delayMs) == 36, "delayMs at 36 on 64-bit Windows");
static_assert(offsetof(VisModule, spectrumData) == 48, "spectrumData at 48 on 64-bit Windows");
static_assert(offsetof(VisModule, waveformData) == 1200, "waveformData at 1200 on 64-bit Windows");
static_assert(offsetof(VisModule, Config) == 2352, "Config at 2352 on 64-bit Windows");
static_assert(offsetof(VisModule, Quit) == 2376, "Quit at 2376 on 64-bit Windows");
static_assert(sizeof(VisModule) == 2392, "module record is 2392 bytes on 64-bit Windows");
#endif
#undef VELMORA_VIS_SAME_AS_32

}  // namespace velmora
