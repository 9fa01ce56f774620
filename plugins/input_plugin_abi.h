// The binary contract of an input plug-in library: entry points exported by name,
// stdcall, 8-bit text. Shared by the loader, the shipped plug-ins and the test plug-ins.
// A "string reference" is the address of a variable holding a pointer to the text.
#pragma once

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define VELMORA_STDCALL __attribute__((stdcall))
#else
#define VELMORA_STDCALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef const char* VelmoraStringRef;  // the variable whose address is passed
typedef uint32_t VelmoraFlag;          // only the low byte counts

typedef const char* (VELMORA_STDCALL* PluginLoadFn)(VelmoraStringRef* path);
typedef void (VELMORA_STDCALL* PluginPlayFn)(VelmoraStringRef* path);
typedef void (VELMORA_STDCALL* PluginVoidFn)(void);
typedef void (VELMORA_STDCALL* PluginInitFn)(VelmoraStringRef* folder);
typedef void (VELMORA_STDCALL* PluginPopupFn)(int32_t x, int32_t y);
typedef VelmoraFlag (VELMORA_STDCALL* PluginFlagFn)(void);
typedef int32_t (VELMORA_STDCALL* PluginIntFn)(void);
typedef void (VELMORA_STDCALL* PluginJumpFn)(int32_t ms);
typedef const char* (VELMORA_STDCALL* PluginTextFn)(void);
typedef const char* (VELMORA_STDCALL* PluginWebLoadFn)(VelmoraStringRef* url);

#ifdef __cplusplus
}
#endif

#if defined(_WIN32)
#define VELMORA_PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#define VELMORA_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif
