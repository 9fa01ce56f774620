/*
 * velmora_design.h - what a design library needs to draw the Velmora player.
 *
 * A design library is a DLL in the player's Library folder that draws the whole player in
 * windows of its own. While it is active the player's main window is hidden; the player
 * tells the library what to show through notifications and the library drives the player
 * through host services. This header is the whole contract: C, no other header of the
 * player's is needed. Build the DLL for the player's architecture (the release player is
 * 32-bit x86; a 64-bit build takes 64-bit libraries).
 *
 * EXPORTS (by these exact names, undecorated; all four are required):
 *
 *   void init(void)                              called first, before GetDesignHeader
 *   VelmoraDesignHeader* GetDesignHeader(void)   your header record, notification slots
 *                                                and DesignName / PreviewPicture filled in
 *   void update(VelmoraDesignHeader* header)     the host has written its slots: create and
 *                                                show nothing yet, OnShow follows
 *   void deinit(void)                            called last, before the DLL is released
 *
 * A library without GetDesignHeader is not a design library; one that lacks init, update
 * or deinit is refused when the user applies it.
 *
 * ORDER OF CALLS. The chooser lists and previews libraries by loading them on their own:
 * init, GetDesignHeader, (DesignName and PreviewPicture are read), deinit, release; so
 * DesignName and PreviewPicture must be ready when GetDesignHeader returns, and nothing
 * else may be assumed there. When the user applies the design:
 *
 *   init, GetDesignHeader, update, OnPositionMax, OnPosition, OnStatus, OnSongTitle,
 *   OnTotalTime, OnPositionTime, OnLayer, OnBitrate, OnFrequency, OnVolume, OnShow,
 *   ... any notifications ..., OnClose, deinit.
 *
 * Every notification slot you leave null is simply not called.
 *
 * CONVENTIONS.
 *  - Calling convention: every export, slot and string-list function uses
 *    VELMORA_DESIGN_CALL (cdecl on 32-bit x86, the platform convention on x86-64).
 *  - Text is a pointer to zero-terminated 8-bit text in the system code page. Text passed
 *    to a notification is valid only during the call: copy what you keep.
 *  - A boolean is one byte, 0 or 1 (VelmoraBool).
 *  - A sender is an opaque pointer passed along; never interpret it. Pass NULL or the
 *    sender you were given.
 *  - Everything happens on the player's user-interface thread. Call services only from
 *    that thread (your window procedures run on it). A service may call your
 *    notifications before it returns (HostSetVolume shows "Volume : 40%" through
 *    OnStatus), so notifications must cope with being entered from inside your own
 *    service call.
 *  - A fault inside a notification is caught and ignored by the player; a fault during
 *    init/update or the first notifications makes the apply fail with an error.
 *
 * OWNERSHIP AND LIFETIME.
 *  - The header record lives in your library and stays valid from GetDesignHeader until
 *    deinit. The host writes its slots after GetDesignHeader and before update.
 *  - DesignName and PreviewPicture belong to you. PreviewPicture is an HBITMAP the chooser
 *    copies; the player never deletes or selects it.
 *  - SetupMenu, PlayMenu, PauseMenu and StopMenu are HMENUs owned by the player, valid
 *    from update until OnClose returns; never destroy or change them. Pop one up with
 *    VelmoraDesignPopupMenu below (the chosen command is run by the player).
 *  - VersionText is valid only during update. LayerHint, BitrateHint and FrequencyHint
 *    stay valid until OnClose.
 *  - HostGetPlaylist and HostSortPlaylist hand out two string lists owned by the player
 *    (display names first, full paths second; a path beginning with '*' is a URL). They
 *    are copies of the playlist taken at the call: reading and editing them changes
 *    nothing until you pass them to HostSetPlaylist. They stay valid until the next
 *    HostGetPlaylist / HostSortPlaylist call or OnClose; never free them.
 *  - HostSetPlaylist copies the two lists it is given (through their Count and Get only,
 *    so you may also pass a VelmoraStringList of your own) into the playlist. Keep the two
 *    lists the same length: the player keeps only as many rows as the shorter one has.
 *  - A text returned by VelmoraStringList.Get is valid until that list next changes.
 *
 * BALANCE. Two numbers, as the player's Sound Options page has them:
 *  - the slider v, 0..100 (50 centred): HostSetBalance(v) moves the slider (values above
 *    100 are ignored), HostGetBalance() returns it;
 *  - the balance b = 100 - v, which OnBalance(b) tells at every change: above 50 the left
 *    channel is the louder (b = 60 reads "20 Left"), 50 "Centered", below 50 the right
 *    (b = 0 reads "100 Right").
 * So HostSetBalance(40) is answered by OnBalance(60).
 */
#ifndef VELMORA_DESIGN_H
#define VELMORA_DESIGN_H

#include <stddef.h>
#include <stdint.h>
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN64)
#define VELMORA_DESIGN_CALL
#else
#define VELMORA_DESIGN_CALL __cdecl
#endif

typedef uint8_t VelmoraBool;
typedef void* VelmoraSender;

/* ---- string lists ------------------------------------------------------------------- */

typedef struct VelmoraStringList VelmoraStringList;

typedef struct VelmoraStringListFunctions {
  int32_t(VELMORA_DESIGN_CALL* Count)(const VelmoraStringList* list);
  /* NULL for an index outside 0 .. Count-1. */
  const char*(VELMORA_DESIGN_CALL* Get)(const VelmoraStringList* list, int32_t index);
  /* The editing functions return 1 when done, 0 for an index out of range. */
  VelmoraBool(VELMORA_DESIGN_CALL* Set)(VelmoraStringList* list, int32_t index, const char* text);
  /* index == Count appends. */
  VelmoraBool(VELMORA_DESIGN_CALL* Insert)(VelmoraStringList* list, int32_t index,
                                           const char* text);
  VelmoraBool(VELMORA_DESIGN_CALL* Delete)(VelmoraStringList* list, int32_t index);
  void(VELMORA_DESIGN_CALL* Clear)(VelmoraStringList* list);
} VelmoraStringListFunctions;

/* Call through fn: list->fn->Count(list). An implementation may put its own data after fn. */
struct VelmoraStringList {
  const VelmoraStringListFunctions* fn;
};

/* ---- slot types ---------------------------------------------------------------------- */

typedef void(VELMORA_DESIGN_CALL* VelmoraSenderService)(VelmoraSender sender);
typedef void(VELMORA_DESIGN_CALL* VelmoraIntService)(int32_t value);
typedef void(VELMORA_DESIGN_CALL* VelmoraService)(void);
typedef int32_t(VELMORA_DESIGN_CALL* VelmoraIntQuery)(void);
typedef void(VELMORA_DESIGN_CALL* VelmoraListsOut)(VelmoraStringList** names,
                                                   VelmoraStringList** paths);
typedef void(VELMORA_DESIGN_CALL* VelmoraListsIn)(const VelmoraStringList* names,
                                                  const VelmoraStringList* paths);

typedef void(VELMORA_DESIGN_CALL* VelmoraIntNotification)(int32_t value);
typedef void(VELMORA_DESIGN_CALL* VelmoraTextNotification)(const char* text);
typedef void(VELMORA_DESIGN_CALL* VelmoraBoolNotification)(VelmoraBool on);
typedef void(VELMORA_DESIGN_CALL* VelmoraSenderNotification)(VelmoraSender sender);

/* ---- the header record: 55 pointer-sized slots (220 bytes on 32-bit x86) ------------- */

typedef struct VelmoraDesignHeader {
  /* Host services, written by the player. The sender ones act as a click on that button. */
  VelmoraSenderService HostPlay;         /*   0 */
  VelmoraSenderService HostStop;         /*   4 */
  VelmoraSenderService HostPause;        /*   8 */
  VelmoraSenderService HostNextTrack;    /*  12 */
  VelmoraSenderService HostPrevTrack;    /*  16 */
  VelmoraSenderService HostFastForward;  /*  20 */
  VelmoraSenderService HostRewind;       /*  24 */
  VelmoraSenderService HostExit;         /*  28 */
  VelmoraSenderService HostMinimize;     /*  32 */
  VelmoraIntService HostSeek;            /*  36 position in OnPositionMax units */
  VelmoraIntService HostSetVolume;       /*  40 volume 0..250 */
  VelmoraService HostShowPopup;          /*  44 the input plug-in's menu at the mouse */
  VelmoraSenderService HostId3;          /*  48 */
  VelmoraSenderService HostOpen;         /*  52 */
  VelmoraSenderService HostShowPlaylist; /* 56 */
  VelmoraIntService HostSetBalance;      /*  60 the balance slider 0..100 (see BALANCE) */
  VelmoraIntQuery HostGetBalance;        /*  64 the balance slider 0..100 */
  void* Reserved1[4];                    /*  68 never written nor called */
  VelmoraListsOut HostGetPlaylist;       /*  84 */
  VelmoraListsIn HostSetPlaylist;        /*  88 */
  VelmoraListsOut HostSortPlaylist;      /*  92 sorts by name, then as HostGetPlaylist */
  VelmoraService HostSavePlaylist;       /*  96 the playlist's save dialog */
  VelmoraIntQuery HostGetCurrentIndex;   /* 100 the playlist row that plays next */
  VelmoraIntService HostPlayIndex;       /* 104 makes the row current and plays it */

  /* Notifications, filled by the library (NULL: not wanted). */
  VelmoraIntNotification OnPosition;      /* 108 position slider value */
  VelmoraIntNotification OnPositionMax;   /* 112 position slider maximum */
  VelmoraTextNotification OnStatus;       /* 116 status line */
  VelmoraTextNotification OnSongTitle;    /* 120 */
  VelmoraTextNotification OnTotalTime;    /* 124 "mm:ss" */
  VelmoraTextNotification OnPositionTime; /* 128 "mm:ss" elapsed or remaining */
  VelmoraTextNotification OnLayer;        /* 132 */
  VelmoraTextNotification OnBitrate;      /* 136 */
  VelmoraTextNotification OnFrequency;    /* 140 */
  VelmoraIntNotification OnVolume;        /* 144 0..250 */
  VelmoraIntNotification OnBalance;       /* 148 the balance 0..100 (see BALANCE) */
  VelmoraBoolNotification OnRandom;       /* 152 random play on/off */
  VelmoraBoolNotification OnLoop;         /* 156 loop on/off */
  VelmoraIntNotification OnCurrentIndex;  /* 160 the playlist's current row changed */
  VelmoraSenderNotification OnShow;       /* 164 show your player */
  VelmoraSenderNotification OnClose;      /* 168 you are about to be released */
  VelmoraSenderNotification OnHide;       /* 172 hide your player (minimise) */

  /* Host data, written by the player. */
  HMENU SetupMenu;           /* 176 the general menu */
  HMENU PlayMenu;            /* 180 "Fade In" */
  HMENU PauseMenu;           /* 184 "Fadeout" / "Fadein" */
  HMENU StopMenu;            /* 188 "Fade Out" */
  const char* VersionText;   /* 192 valid only during update */
  const char* LayerHint;     /* 196 "Layer" */
  const char* BitrateHint;   /* 200 "Bitrate" */
  const char* FrequencyHint; /* 204 "Frequency" */
  void* Reserved2;           /* 208 */

  /* Library data. */
  const char* DesignName; /* 212 the name the chooser lists */
  HBITMAP PreviewPicture; /* 216 the chooser's preview (may be NULL) */
} VelmoraDesignHeader;

/* The four exports. */
typedef void(VELMORA_DESIGN_CALL* VelmoraDesignInitFn)(void);
typedef VelmoraDesignHeader*(VELMORA_DESIGN_CALL* VelmoraGetDesignHeaderFn)(void);
typedef void(VELMORA_DESIGN_CALL* VelmoraDesignUpdateFn)(VelmoraDesignHeader* header);
typedef void(VELMORA_DESIGN_CALL* VelmoraDesignDeinitFn)(void);

/* Pops up one of the player's menus at screen point (x, y) for your window `owner`; the
 * player runs the command chosen (its window is kept in the menu's MENUINFO.dwMenuData). */
static __inline void VelmoraDesignPopupMenu(HMENU menu, HWND owner, int x, int y) {
  MENUINFO info;
  UINT command;
  if (!menu) return;
  ZeroMemory(&info, sizeof info);
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  if (!GetMenuInfo(menu, &info) || !info.dwMenuData) return;
  SetForegroundWindow(owner);
  command = (UINT)TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0, owner, NULL);
  PostMessageA(owner, WM_NULL, 0, 0); /* a click elsewhere closes the next one too */
  if (command) PostMessageA((HWND)info.dwMenuData, WM_COMMAND, (WPARAM)command, 0);
}

/* ---- layout checks ------------------------------------------------------------------- */

#ifdef __cplusplus
#define VELMORA_DESIGN_ASSERT(c, m) static_assert(c, m)
#else
#define VELMORA_DESIGN_ASSERT(c, m) _Static_assert(c, m)
#endif

#define VELMORA_DESIGN_SLOT(n) ((n) * sizeof(void*))
VELMORA_DESIGN_ASSERT(sizeof(VelmoraDesignHeader) == VELMORA_DESIGN_SLOT(55),
                      "55 slots, no padding");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, HostSeek) == VELMORA_DESIGN_SLOT(9),
                      "HostSeek");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, HostGetBalance) == VELMORA_DESIGN_SLOT(16),
                      "HostGetBalance");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, Reserved1) == VELMORA_DESIGN_SLOT(17),
                      "Reserved1");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, HostGetPlaylist) == VELMORA_DESIGN_SLOT(21),
                      "HostGetPlaylist");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, HostPlayIndex) == VELMORA_DESIGN_SLOT(26),
                      "HostPlayIndex");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, OnPosition) == VELMORA_DESIGN_SLOT(27),
                      "OnPosition");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, OnVolume) == VELMORA_DESIGN_SLOT(36),
                      "OnVolume");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, OnHide) == VELMORA_DESIGN_SLOT(43), "OnHide");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, SetupMenu) == VELMORA_DESIGN_SLOT(44),
                      "SetupMenu");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, VersionText) == VELMORA_DESIGN_SLOT(48),
                      "VersionText");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, FrequencyHint) == VELMORA_DESIGN_SLOT(51),
                      "FrequencyHint");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, DesignName) == VELMORA_DESIGN_SLOT(53),
                      "DesignName");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, PreviewPicture) == VELMORA_DESIGN_SLOT(54),
                      "PreviewPicture");
#if defined(_WIN64)
VELMORA_DESIGN_ASSERT(sizeof(void*) == 8 && sizeof(VelmoraDesignHeader) == 440,
                      "8-byte slots on x86-64");
#else
VELMORA_DESIGN_ASSERT(sizeof(VelmoraDesignHeader) == 220, "220 bytes on 32-bit x86");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, HostGetPlaylist) == 84,
                      "HostGetPlaylist at 84");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, OnPosition) == 108, "OnPosition at 108");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, OnHide) == 172, "OnHide at 172");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, SetupMenu) == 176, "SetupMenu at 176");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, Reserved2) == 208, "Reserved2 at 208");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, DesignName) == 212, "DesignName at 212");
VELMORA_DESIGN_ASSERT(offsetof(VelmoraDesignHeader, PreviewPicture) == 216,
                      "PreviewPicture at 216");
#endif
#undef VELMORA_DESIGN_SLOT
#undef VELMORA_DESIGN_ASSERT

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_DESIGN_H */
