// The tags of FLAC, Ogg Vorbis and Opus files (Vorbis comments, "NAME=value" in UTF-8)
// as the fields the player shows, and the loudness corrections they store.
#pragma once

#include <string>
#include <vector>

#include "plugins/mpeg/id3.h"

namespace velmora::openaudio {

// The fields of the comments; names are matched without regard to case, the first of
// each name counts.
mpeg::TagFields FieldsFromComments(const std::vector<std::string>& comments);

// Which stored correction playback applies (the choice the configuration window stores).
enum class GainMode { off = 0, track = 1, album = 2 };

struct StoredGains {
  bool has_track = false, has_album = false;
  double track_db = 0, album_db = 0;
  double track_peak = 0, album_peak = 0;  // 0 when not stored
};

// REPLAYGAIN_{TRACK,ALBUM}_{GAIN,PEAK}, and Opus's R128_{TRACK,ALBUM}_GAIN (Q7.8 dB towards
// -23 LUFS, taken 5 dB louder to match the ReplayGain level).
StoredGains GainsFromComments(const std::vector<std::string>& comments);

// The factor the samples are multiplied by: the track's gain (the album's when the track
// has none), or the album's (the track's when the album has none); lowered so that the
// stored peak does not clip. 1 when off or nothing is stored.
double GainFactor(const StoredGains& gains, GainMode mode);

}  // namespace velmora::openaudio
