// Records of the published visualisation plug-in interface (cdecl entries, 8-bit text).
// The module record is 2360 bytes on 32-bit Windows; plug-ins index into it, so the
// layout is checked at compile time.
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

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(VisHeader) == 12, "header record is 12 bytes on 32-bit Windows");
static_assert(sizeof(VisModule) == 2360, "module record is 2360 bytes on 32-bit Windows");
static_assert(offsetof(VisModule, spectrumData) == 36, "spectrumData at 36");
static_assert(offsetof(VisModule, waveformData) == 1188, "waveformData at 1188");
static_assert(offsetof(VisModule, Config) == 2340, "Config at 2340");
static_assert(offsetof(VisModule, Quit) == 2352, "Quit at 2352");
static_assert(offsetof(VisModule, userData) == 2356, "userData at 2356");
#endif

}  // namespace velmora
