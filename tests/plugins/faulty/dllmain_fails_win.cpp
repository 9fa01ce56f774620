// A library whose start-up refuses to load: DllMain returns FALSE. It exports `extension`
// so that only the failed load keeps it out of the plug-in list.
#include <windows.h>

#include "plugins/input_plugin_abi.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL extension(void) { return "MP3"; }
