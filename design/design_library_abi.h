// The record shared with a design library: 55 pointer-sized slots, filled partly by the
// host (services and data) and partly by the library (notifications and its own data).
// On 32-bit Windows every slot is 4 bytes, 220 bytes in all; libraries depend on the
// exact offsets, so they are checked at compile time.
#pragma once

#include <cstddef>

namespace velmora {

using DesignSlot = void*;

struct DesignHeader {
  // Host services.
  DesignSlot HostPlay, HostStop, HostPause, HostNextTrack, HostPrevTrack, HostFastForward,
      HostRewind, HostExit, HostMinimize, HostSeek, HostSetVolume, HostShowPopup, HostId3,
      HostOpen, HostShowPlaylist, HostSetBalance, HostGetBalance;
  DesignSlot Reserved1[4];
  DesignSlot HostGetPlaylist, HostSetPlaylist, HostSortPlaylist, HostSavePlaylist,
      HostGetCurrentIndex, HostPlayIndex;
  // Library notifications.
  DesignSlot OnPosition, OnPositionMax, OnStatus, OnSongTitle, OnTotalTime, OnPositionTime,
      OnLayer, OnBitrate, OnFrequency, OnVolume, OnBalance, OnRandom, OnLoop, OnCurrentIndex,
      OnShow, OnClose, OnHide;
  // Host data.
  DesignSlot SetupMenu, PlayMenu, PauseMenu, StopMenu, VersionText, LayerHint, BitrateHint,
      FrequencyHint;
  DesignSlot Reserved2;
  // Library data.
  DesignSlot DesignName, PreviewPicture;
};

static_assert(sizeof(DesignHeader) == 55 * sizeof(void*), "one slot per pointer, no padding");
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(DesignHeader) == 220, "DesignHeader is 220 bytes on 32-bit Windows");
static_assert(offsetof(DesignHeader, Reserved1) == 68, "reserved slots at 68");
static_assert(offsetof(DesignHeader, HostGetPlaylist) == 84, "playlist services at 84");
static_assert(offsetof(DesignHeader, HostPlayIndex) == 104, "HostPlayIndex at 104");
static_assert(offsetof(DesignHeader, OnPosition) == 108, "notifications at 108");
static_assert(offsetof(DesignHeader, OnHide) == 172, "OnHide at 172");
static_assert(offsetof(DesignHeader, SetupMenu) == 176, "host data at 176");
static_assert(offsetof(DesignHeader, FrequencyHint) == 204, "FrequencyHint at 204");
static_assert(offsetof(DesignHeader, DesignName) == 212, "DesignName at 212");
static_assert(offsetof(DesignHeader, PreviewPicture) == 216, "PreviewPicture at 216");
#endif

}  // namespace velmora
