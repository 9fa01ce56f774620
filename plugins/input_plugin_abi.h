// The binary contract of an input plug-in library: entry points exported by name,
// stdcall, 8-bit text (the active code page, or UTF-8 once `utf8names` agreed to it). Shared by the loader, the shipped plug-ins and the test plug-ins.
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

typedef const char*(VELMORA_STDCALL* PluginLoadFn)(VelmoraStringRef* path);
typedef void(VELMORA_STDCALL* PluginPlayFn)(VelmoraStringRef* path);
typedef void(VELMORA_STDCALL* PluginVoidFn)(void);
typedef void(VELMORA_STDCALL* PluginInitFn)(VelmoraStringRef* folder);
typedef void(VELMORA_STDCALL* PluginPopupFn)(int32_t x, int32_t y);
typedef VelmoraFlag(VELMORA_STDCALL* PluginFlagFn)(void);
typedef int32_t(VELMORA_STDCALL* PluginIntFn)(void);
typedef void(VELMORA_STDCALL* PluginJumpFn)(int32_t ms);
typedef const char*(VELMORA_STDCALL* PluginTextFn)(void);
typedef const char*(VELMORA_STDCALL* PluginWebLoadFn)(VelmoraStringRef* url);

/* Optional entries beyond the player's own table. A library may leave any of them out;
   the player looks each up by name when it needs it and does without it when absent.

   streamtitle   PluginTextFn: the title of the stream now playing, from its metadata;
                 "" for files; while the stream has sent none, its name or "". Polled
                 for URL entries.

   audiblepeaks  PluginAudiblePeaksFn: the peaks of the samples audible now, that is of
                 what the library's output is sounding at this moment (not of what it has
                 decoded ahead). The caller sets `size` to the size of the record it
                 passes; the library fills the fields that lie within both that size and
                 its own version of the record, sets `size` to the bytes it filled, and
                 returns 1. It returns 0 when nothing is playing (the record's fields then
                 read 0). While paused nothing is audible: the peaks are 0. Later versions
                 append fields after the ones below (the second version appended the
                 audible samples themselves, for visualisation), so a caller of an
                 earlier version reads only its fields and a library of an earlier
                 version fills only its fields. The player calls it from its
                 window thread, like the other entries. The VU meter uses it where the
                 system has no meter of the sound card.

   utf8names     PluginFlagFn: the player calls it once after loading the library, before
                 init; answering 1 the library agrees that every name it is handed from
                 then on (init's folder, load, play, webload) and every text it hands back
                 are UTF-8, whatever the active code page. A library that lacks it, or
                 answers 0, keeps the 8-bit contract: its names and texts are in the active
                 code page, and a file whose name that code page cannot hold reaches it as
                 the file's short (8.3) alias. A library that exports it must still take
                 names in the active code page when it is never called (an older player). */
typedef struct VelmoraAudiblePeaks {
  uint32_t size;    /* in: bytes the caller passes; out: bytes the library filled */
  int32_t channels; /* channels of the output (1 or 2); 0 when nothing is playing */
  int32_t peak[2];  /* largest |sample| per channel on the signed 16-bit scale
                        (0 to 32768); a mono output fills peak[0] and copies it to peak[1] */
  /* Second version: the samples audible now, for visualisation. A library that does not
     keep them fills sample_count with 0. */
  int32_t sample_count;    /* samples per channel below (0 to 576) */
  int16_t samples[2][576]; /* the last sample_count samples sounding now, per channel, oldest
                              first; a mono output copies channel 0 to channel 1 */
} VelmoraAudiblePeaks;

/* The size of the record's first version (size, channels, peak). */
#define VELMORA_AUDIBLE_PEAKS_V1_SIZE 16

typedef VelmoraFlag(VELMORA_STDCALL* PluginAudiblePeaksFn)(VelmoraAudiblePeaks* peaks);

#ifdef __cplusplus
}
#endif

#if defined(_WIN32)
#define VELMORA_PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#define VELMORA_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif
