#include "app/wave_volume_win.h"

#include <mmsystem.h>
#include <mmdeviceapi.h>
#include <audiopolicy.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "ui/handles_win.h"

namespace velmora {

ChannelLevels SplitLevel(int level, int balance) {
  const uint32_t full = static_cast<uint32_t>(std::clamp(level, 0, 255)) * 256u;
  const uint32_t b = static_cast<uint32_t>(std::clamp(balance, 0, 100));
  ChannelLevels out;
  out.left = static_cast<uint16_t>(b <= 50 ? full : full * (100u - b) / 50u);
  out.right = static_cast<uint16_t>(b >= 50 ? full : full * b / 50u);
  return out;
}

int JoinLevel(ChannelLevels levels) {
  return static_cast<int>((static_cast<uint32_t>(levels.left) + levels.right) / 512u);
}

namespace {

// What a control held right after we wrote it, and what we wrote: a control that keeps
// a coarser or floating-point value reads back our exact levels for as long as nobody
// else has changed it.
template <typename Raw>
class WrittenLevels {
 public:
  void Remember(const Raw& raw, ChannelLevels levels) {
    raw_ = raw;
    levels_ = levels;
    valid_ = true;
  }
  bool Recall(const Raw& raw, ChannelLevels* levels) const {
    if (!valid_ || !(raw == raw_)) return false;
    *levels = levels_;
    return true;
  }

 private:
  Raw raw_{};
  ChannelLevels levels_;
  bool valid_ = false;
};

// --- the first device's volume ----------------------------------------------------------

class DeviceControl : public WaveOutVolume::Control {
 public:
  static std::unique_ptr<DeviceControl> Open() {
    DWORD v = 0;
    if (waveOutGetVolume(Device(), &v) != MMSYSERR_NOERROR) return nullptr;
    return std::make_unique<DeviceControl>();
  }
  bool Read(ChannelLevels* levels) override {
    DWORD v = 0;
    if (waveOutGetVolume(Device(), &v) != MMSYSERR_NOERROR) return false;
    levels->left = LOWORD(v);
    levels->right = HIWORD(v);
    return true;
  }
  bool Write(ChannelLevels levels) override {
    return waveOutSetVolume(Device(), MAKELONG(levels.left, levels.right)) == MMSYSERR_NOERROR;
  }

 private:
  // Device number 0 where a handle is expected: the device itself, not a stream.
  static HWAVEOUT Device() { return reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(0)); }
};

// --- the master volume of the first device's mixer --------------------------------------

class MixerControl : public WaveOutVolume::Control {
 public:
  static std::unique_ptr<MixerControl> Open() {
    auto c = std::make_unique<MixerControl>();
    // The mixer that belongs to wave-out device 0.
    UINT mixer_id = 0;
    if (mixerGetID(reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(0)), &mixer_id,
                   MIXER_OBJECTF_WAVEOUT) != MMSYSERR_NOERROR) {
      return nullptr;
    }
    if (mixerOpen(c->mixer_.out(), mixer_id, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR ||
        !c->mixer_) {
      return nullptr;
    }
    MIXERLINEA line{};
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    if (mixerGetLineInfoA(c->Object(), &line,
                          MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) !=
        MMSYSERR_NOERROR) {
      return nullptr;
    }
    MIXERCONTROLA control{};
    control.cbStruct = sizeof control;
    MIXERLINECONTROLSA query{};
    query.cbStruct = sizeof query;
    query.dwLineID = line.dwLineID;
    query.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    query.cControls = 1;
    query.cbmxctrl = sizeof control;
    query.pamxctrl = &control;
    if (mixerGetLineControlsA(c->Object(), &query,
                              MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
        MMSYSERR_NOERROR) {
      return nullptr;
    }
    c->control_id_ = control.dwControlID;
    c->minimum_ = control.Bounds.dwMinimum;
    c->maximum_ = control.Bounds.dwMaximum;
    if (c->maximum_ <= c->minimum_) return nullptr;
    // A uniform control has one value for every channel of the line.
    c->channels_ =
        (control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) || line.cChannels < 2 ? 1 : 2;
    ChannelLevels probe;
    if (!c->Read(&probe)) return nullptr;
    return c;
  }

  bool Read(ChannelLevels* levels) override {
    Raw raw;
    if (!Details(&raw, MIXER_GETCONTROLDETAILSF_VALUE, false)) return false;
    if (written_.Recall(raw, levels)) return true;
    levels->left = ToLevel(raw.values[0]);
    levels->right = ToLevel(raw.values[channels_ - 1]);
    return true;
  }

  bool Write(ChannelLevels levels) override {
    Raw raw;
    if (channels_ == 1) {
      raw.values[0] = ToValue(std::max(levels.left, levels.right));
    } else {
      raw.values[0] = ToValue(levels.left);
      raw.values[1] = ToValue(levels.right);
    }
    if (!Details(&raw, MIXER_SETCONTROLDETAILSF_VALUE, true)) return false;
    Raw now;
    if (Details(&now, MIXER_GETCONTROLDETAILSF_VALUE, false)) written_.Remember(now, levels);
    return true;
  }

 private:
  struct Raw {
    DWORD values[2] = {0, 0};
    bool operator==(const Raw& o) const {
      return values[0] == o.values[0] && values[1] == o.values[1];
    }
  };

  bool Details(Raw* raw, DWORD flags, bool set) {
    MIXERCONTROLDETAILS_UNSIGNED values[2] = {{raw->values[0]}, {raw->values[1]}};
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = control_id_;
    details.cChannels = channels_;
    details.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
    details.paDetails = values;
    const MMRESULT r =
        set ? mixerSetControlDetails(Object(), &details, MIXER_OBJECTF_HMIXER | flags)
            : mixerGetControlDetailsA(Object(), &details, MIXER_OBJECTF_HMIXER | flags);
    if (r != MMSYSERR_NOERROR) return false;
    raw->values[0] = values[0].dwValue;
    raw->values[1] = channels_ > 1 ? values[1].dwValue : values[0].dwValue;
    return true;
  }

  DWORD ToValue(uint16_t level) const {
    const uint64_t range = maximum_ - minimum_;
    return minimum_ + static_cast<DWORD>((level * range + 0x7FFF) / 0xFFFF);
  }
  uint16_t ToLevel(DWORD value) const {
    const uint64_t range = maximum_ - minimum_;
    const uint64_t above = value > minimum_ ? std::min<uint64_t>(value - minimum_, range) : 0;
    return static_cast<uint16_t>((above * 0xFFFF + range / 2) / range);
  }

  HMIXEROBJ Object() const { return reinterpret_cast<HMIXEROBJ>(mixer_.get()); }

  ui::UniqueMixer mixer_;
  DWORD control_id_ = 0;
  DWORD minimum_ = 0, maximum_ = 0;
  DWORD channels_ = 1;
  WrittenLevels<Raw> written_;
};

// --- the process's audio session (Core Audio) -------------------------------------------

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

// COM for the life of the control, on the thread that uses the volume.
class ComApartment {
 public:
  ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  // Usable also when the thread already runs COM in the other model.
  bool Usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT hr_;
};

class SessionControl : public WaveOutVolume::Control {
 public:
  static std::unique_ptr<SessionControl> Open() {
    auto c = std::make_unique<SessionControl>();
    if (!c->com_.Usable()) return nullptr;
    ComPtr<IMMDeviceEnumerator> devices;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IMMDeviceEnumerator), devices.OutVoid()))) {
      return nullptr;
    }
    ComPtr<IMMDevice> endpoint;
    if (FAILED(devices->GetDefaultAudioEndpoint(eRender, eConsole, endpoint.Out()))) return nullptr;
    ComPtr<IAudioSessionManager> sessions;
    if (FAILED(endpoint->Activate(__uuidof(IAudioSessionManager), CLSCTX_INPROC_SERVER, nullptr,
                                  sessions.OutVoid()))) {
      return nullptr;
    }
    // The process's default session, the one its streams play in.
    if (FAILED(sessions->GetSimpleAudioVolume(nullptr, FALSE, c->master_.Out())) || !c->master_) {
      return nullptr;
    }
    UINT32 count = 0;
    if (SUCCEEDED(
            c->master_->QueryInterface(__uuidof(IChannelAudioVolume), c->channels_.OutVoid())) &&
        c->channels_ && (FAILED(c->channels_->GetChannelCount(&count)) || count < 2)) {
      c->channels_.Reset();
    }
    ChannelLevels probe;
    if (!c->Read(&probe)) return nullptr;
    return c;
  }

  bool Read(ChannelLevels* levels) override {
    Raw raw;
    if (!ReadRaw(&raw)) return false;
    if (written_.Recall(raw, levels)) return true;
    levels->left = ToLevel(raw.master * raw.left);
    levels->right = ToLevel(raw.master * raw.right);
    return true;
  }

  bool Write(ChannelLevels levels) override {
    // The louder channel sets the session's level; the channel volumes scale the other.
    const uint16_t loud = std::max(levels.left, levels.right);
    if (FAILED(master_->SetMasterVolume(loud / 65535.0f, nullptr))) return false;
    if (channels_) {
      const float left = loud ? static_cast<float>(levels.left) / loud : 1.0f;
      const float right = loud ? static_cast<float>(levels.right) / loud : 1.0f;
      if (FAILED(channels_->SetChannelVolume(0, left, nullptr)) ||
          FAILED(channels_->SetChannelVolume(1, right, nullptr))) {
        return false;
      }
    }
    Raw now;
    if (ReadRaw(&now)) written_.Remember(now, levels);
    return true;
  }

 private:
  struct Raw {
    float master = 0, left = 1, right = 1;
    bool operator==(const Raw& o) const {
      return master == o.master && left == o.left && right == o.right;
    }
  };

  bool ReadRaw(Raw* raw) {
    if (FAILED(master_->GetMasterVolume(&raw->master))) return false;
    if (channels_ && (FAILED(channels_->GetChannelVolume(0, &raw->left)) ||
                      FAILED(channels_->GetChannelVolume(1, &raw->right)))) {
      return false;
    }
    return true;
  }

  static uint16_t ToLevel(float v) {
    return static_cast<uint16_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 65535.0f));
  }

  ComApartment com_;  // first member: released last
  ComPtr<ISimpleAudioVolume> master_;
  ComPtr<IChannelAudioVolume> channels_;
  WrittenLevels<Raw> written_;
};

std::unique_ptr<WaveOutVolume::Control> OpenRoute(VolumeRoute route) {
  switch (route) {
    case VolumeRoute::device: return DeviceControl::Open();
    case VolumeRoute::mixer: return MixerControl::Open();
    case VolumeRoute::session: return SessionControl::Open();
    case VolumeRoute::none: break;
  }
  return nullptr;
}

}  // namespace

WaveOutVolume::WaveOutVolume(VolumeRoute first) : first_(first) {}

WaveOutVolume::~WaveOutVolume() = default;

WaveOutVolume::Control* WaveOutVolume::Target() const {
  if (!probed_) {
    probed_ = true;
    // Without a wave-out device nothing plays: no level to keep.
    if (waveOutGetNumDevs() > 0) {
      bool reached = first_ == VolumeRoute::none;
      for (VolumeRoute r : {VolumeRoute::device, VolumeRoute::mixer, VolumeRoute::session}) {
        reached = reached || r == first_;
        if (!reached) continue;
        control_ = OpenRoute(r);
        if (control_) {
          route_ = r;
          break;
        }
      }
    }
  }
  return control_.get();
}

VolumeRoute WaveOutVolume::Route() const {
  Target();
  return route_;
}

int WaveOutVolume::Get() const {
  Control* c = Target();
  ChannelLevels levels;
  if (!c || !c->Read(&levels)) return 0;
  return JoinLevel(levels);
}

void WaveOutVolume::Set(int level) {
  if (Control* c = Target()) c->Write(SplitLevel(level, balance_));
}

void WaveOutVolume::SetBalance(int balance) {
  balance_ = std::clamp(balance, 0, 100);
  Control* c = Target();
  ChannelLevels levels;
  if (!c || !c->Read(&levels)) return;
  // The louder channel carries the whole level (SplitLevel), so that is the level to split
  // again: the mean of the two would lose what the old balance took off one side, and the
  // volume would sink with every move of the balance.
  c->Write(SplitLevel(std::max(levels.left, levels.right) / 256, balance_));
}

}  // namespace velmora
