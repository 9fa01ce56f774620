#include "plugins/openaudio/stream_tags.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace velmora::openaudio {

namespace {

std::string Upper(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Splits "NAME=value"; false without '='.
bool Split(const std::string& comment, std::string* name, std::string* value) {
  const size_t eq = comment.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  *name = Upper(comment.substr(0, eq));
  *value = comment.substr(eq + 1);
  return true;
}

// A leading decimal number ("-6.50 dB"); false when there is none or it is not finite.
bool Number(const std::string& text, double* out) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const double v = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

}  // namespace

mpeg::TagFields FieldsFromComments(const std::vector<std::string>& comments) {
  mpeg::TagFields f;
  std::string name, value;
  for (const std::string& c : comments) {
    if (!Split(c, &name, &value) || value.empty()) continue;
    std::string* slot = name == "TITLE"                              ? &f.title
                        : name == "ARTIST"                           ? &f.artist
                        : name == "ALBUM"                            ? &f.album
                        : name == "DATE"                             ? &f.year
                        : name == "TRACKNUMBER"                      ? &f.track
                        : name == "GENRE"                            ? &f.genre
                        : name == "COMMENT" || name == "DESCRIPTION" ? &f.comment
                                                                     : nullptr;
    if (slot && slot->empty()) *slot = value;
  }
  return f;
}

StoredGains GainsFromComments(const std::vector<std::string>& comments) {
  StoredGains g;
  std::string name, value;
  // The Opus offset: R128 gains aim at -23 LUFS, ReplayGain's level is about 5 dB louder.
  constexpr double kR128ToReplayGainDb = 5.0;
  for (const std::string& c : comments) {
    if (!Split(c, &name, &value)) continue;
    double v = 0;
    if (!Number(value, &v)) continue;
    if (name == "REPLAYGAIN_TRACK_GAIN" && !g.has_track) {
      g.track_db = v;
      g.has_track = true;
    } else if (name == "REPLAYGAIN_ALBUM_GAIN" && !g.has_album) {
      g.album_db = v;
      g.has_album = true;
    } else if (name == "R128_TRACK_GAIN" && !g.has_track) {
      g.track_db = v / 256.0 + kR128ToReplayGainDb;
      g.has_track = true;
    } else if (name == "R128_ALBUM_GAIN" && !g.has_album) {
      g.album_db = v / 256.0 + kR128ToReplayGainDb;
      g.has_album = true;
    } else if (name == "REPLAYGAIN_TRACK_PEAK" && v > 0) {
      g.track_peak = v;
    } else if (name == "REPLAYGAIN_ALBUM_PEAK" && v > 0) {
      g.album_peak = v;
    }
  }
  return g;
}

double GainFactor(const StoredGains& g, GainMode mode) {
  if (mode == GainMode::off) return 1.0;
  const bool album_first = mode == GainMode::album;
  double db = 0, peak = 0;
  if (album_first ? g.has_album : g.has_track) {
    db = album_first ? g.album_db : g.track_db;
    peak = album_first ? g.album_peak : g.track_peak;
  } else if (album_first ? g.has_track : g.has_album) {
    db = album_first ? g.track_db : g.album_db;
    peak = album_first ? g.track_peak : g.album_peak;
  } else {
    return 1.0;
  }
  db = std::fmax(-60.0, std::fmin(db, 30.0));
  double factor = std::pow(10.0, db / 20.0);
  if (peak > 0 && factor * peak > 1.0) factor = 1.0 / peak;
  return factor;
}

}  // namespace velmora::openaudio
