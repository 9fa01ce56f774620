#include "vis/meter_sources_win.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmdeviceapi.h>
#include <objbase.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "plugins/guarded_call_win.h"
#include "plugins/input_plugin_abi.h"
#include "ui/handles_win.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

// --- the mixer's peak meter ---------------------------------------------------------------

class MixerMeterSource : public MeterSource {
 public:
  MixerMeterSource(ui::UniqueMixer mixer, const MIXERLINEA& line, const MIXERCONTROLA& control)
      : mixer_(std::move(mixer)), line_(line), control_(control) {
    // One value per channel of the line. A line may have more than two channels: the
    // buffer takes them all, of which the first two are used.
    values_.resize(std::max<DWORD>(2, line_.cChannels));
    details_.cbStruct = sizeof details_;
    details_.dwControlID = control_.dwControlID;
    details_.cChannels = line_.cChannels;
    details_.cMultipleItems = 0;
    details_.cbDetails = sizeof(MIXERCONTROLDETAILS_SIGNED);
    details_.paDetails = values_.data();
  }

  MeterSourceKind Kind() const override { return MeterSourceKind::mixer; }
  bool Read(RawPeaks* peaks) override {
    if (mixerGetControlDetailsA(reinterpret_cast<HMIXEROBJ>(mixer_.get()), &details_,
                                MIXER_GETCONTROLDETAILSF_VALUE | MIXER_OBJECTF_HMIXER) !=
        MMSYSERR_NOERROR) {
      return false;
    }
    peaks->left = values_[0].lValue;
    peaks->right = values_[1].lValue;
    peaks->channels = static_cast<int>(line_.cChannels);
    return true;
  }

 private:
  ui::UniqueMixer mixer_;
  MIXERLINEA line_;
  MIXERCONTROLA control_;
  MIXERCONTROLDETAILS details_{};
  std::vector<MIXERCONTROLDETAILS_SIGNED> values_;
};

// --- the meter of the default output device ----------------------------------------------

// The system's peak meter of an audio endpoint (declared here: the cross-compiler's
// headers name it without its methods).
const IID kIidAudioMeterInformation = {
    0xC02216F6, 0x8C67, 0x4B5B, {0x9D, 0x00, 0xD0, 0x08, 0xE7, 0x3E, 0x00, 0x64}};
struct EndpointMeter : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetPeakValue(float* peak) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMeteringChannelCount(UINT* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetChannelsPeakValues(UINT32 count, float* peaks) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD* mask) = 0;
};

template <class T>
struct ComRef {
  T* p = nullptr;
  ~ComRef() {
    if (p) p->Release();
  }
  void** Out() { return reinterpret_cast<void**>(&p); }
};

class EndpointMeterSource : public MeterSource {
 public:
  EndpointMeterSource(EndpointMeter* meter, UINT channels) : meter_(meter), peaks_(channels) {}
  ~EndpointMeterSource() override { meter_->Release(); }

  MeterSourceKind Kind() const override { return MeterSourceKind::endpoint; }
  bool Read(RawPeaks* peaks) override {
    if (peaks_.empty()) {
      float peak = 0;
      if (FAILED(meter_->GetPeakValue(&peak))) return false;
      peaks->left = peaks->right = RawPeakFromFraction(peak);
      return true;
    }
    if (FAILED(meter_->GetChannelsPeakValues(static_cast<UINT32>(peaks_.size()), peaks_.data())))
      return false;
    peaks->left = RawPeakFromFraction(peaks_[0]);
    peaks->right = RawPeakFromFraction(peaks_.size() > 1 ? peaks_[1] : peaks_[0]);
    return true;
  }

 private:
  EndpointMeter* meter_;
  std::vector<float> peaks_;
};

std::unique_ptr<MeterSource> OpenEndpointMeter() {
  // The opening thread needs COM. A thread without it gets it for the rest of its life:
  // the meter object must stay usable after this call.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  (void)com;  // S_OK, S_FALSE or RPC_E_CHANGED_MODE: COM is there in every case
  ComRef<IMMDeviceEnumerator> enumerator;
  if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                              __uuidof(IMMDeviceEnumerator), enumerator.Out())) ||
      !enumerator.p) {
    return nullptr;
  }
  ComRef<IMMDevice> device;
  if (FAILED(enumerator.p->GetDefaultAudioEndpoint(eRender, eConsole, &device.p)) || !device.p)
    return nullptr;
  ComRef<EndpointMeter> meter;
  if (FAILED(device.p->Activate(kIidAudioMeterInformation, CLSCTX_INPROC_SERVER, nullptr,
                                meter.Out())) ||
      !meter.p) {
    return nullptr;
  }
  UINT channels = 0;
  if (FAILED(meter.p->GetMeteringChannelCount(&channels))) channels = 0;
  float probe = 0;
  if (FAILED(meter.p->GetPeakValue(&probe))) return nullptr;
  auto source = std::make_unique<EndpointMeterSource>(meter.p, std::min<UINT>(channels, 8));
  meter.p = nullptr;  // the source owns the reference now
  return source;
}

// --- the current input plug-in's own peaks -----------------------------------------------

class PluginPeaksSource : public MeterSource {
 public:
  explicit PluginPeaksSource(std::function<std::string()> current_path)
      : current_path_(std::move(current_path)) {}

  MeterSourceKind Kind() const override { return MeterSourceKind::plugin; }

  // Plug-ins are called, loaded and switched on the window thread only: the peaks are
  // taken there, and a reading on any thread hands out the last ones taken.
  void Refresh() override {
    latest_ = RawPeaks{};
    std::string path;
    try {
      path = current_path_ ? current_path_() : std::string();
    } catch (...) {
      return;  // no reading this time: the meter shows silence until the next one
    }
    VelmoraAudiblePeaks reported{};
    reported.size = VELMORA_AUDIBLE_PEAKS_V1_SIZE;  // the peaks are all the meter needs
    if (!ReadAudiblePeaks(path, &reported)) return;
    auto clamp = [](int32_t v) { return std::min<int32_t>(std::max<int32_t>(v, 0), 32768); };
    latest_.left = clamp(reported.peak[0]);
    latest_.right = reported.channels >= 2 ? clamp(reported.peak[1]) : latest_.left;
  }

  // Nothing playing, no plug-in, or a plug-in that does not tell: silence, which is a
  // reading all the same (the bars fall dark rather than freeze).
  bool Read(RawPeaks* peaks) override {
    *peaks = latest_;
    return true;
  }

 private:
  std::function<std::string()> current_path_;
  RawPeaks latest_;  // stereo, 0 until the first refresh
};

}  // namespace

void ShowMeterMessage(const char* message) {
  MessageBoxA(GetActiveWindow(), message, "ORVANE Velmora", MB_OK);
}

bool ReadAudiblePeaks(const std::string& plugin_path, VelmoraAudiblePeaks* record) {
  if (plugin_path.empty()) return false;
  HMODULE module = GetModuleHandleW(ui::Widen(plugin_path).c_str());
  if (!module) return false;
  auto entry = reinterpret_cast<PluginAudiblePeaksFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "audiblepeaks")));
  if (!entry) return false;
  VelmoraFlag playing = 0;
  if (!guard::Guarded(guard::Owner{module}, [&] { playing = entry(record); })) return false;
  return (playing & 0xFF) != 0 && record->size >= VELMORA_AUDIBLE_PEAKS_V1_SIZE;
}

std::unique_ptr<MeterSource> SystemMeterOpener::Open() {
  auto tell = [this](const char* message) {
    if (hooks_.show_message) hooks_.show_message(message);
  };
  if (static_cast<int>(waveOutGetNumDevs()) <= 0) {
    tell("No Wave Devices to open");
    return nullptr;
  }
  UINT mixer_id = 0;
  if (mixerGetID(reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(0)), &mixer_id,
                 MIXER_OBJECTF_WAVEOUT) != MMSYSERR_NOERROR) {
    tell("Unable to get mixer ID");
    return nullptr;
  }
  ui::UniqueMixer mixer;
  if (mixerOpen(mixer.out(), mixer_id, 0, 0, MIXER_OBJECTF_WAVEOUT) != MMSYSERR_NOERROR) {
    mixer.release();  // nothing was opened
    return nullptr;
  }
  MIXERLINEA line{};
  line.cbStruct = sizeof line;
  line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
  if (mixerGetLineInfoA(reinterpret_cast<HMIXEROBJ>(mixer.get()), &line,
                        MIXER_GETLINEINFOF_COMPONENTTYPE | MIXER_OBJECTF_HMIXER) ==
          MMSYSERR_NOERROR &&
      line.cChannels > 0) {
    MIXERCONTROLA control{};
    MIXERLINECONTROLSA request{};
    request.cbStruct = sizeof request;
    request.dwLineID = line.dwLineID;
    request.dwControlType = MIXERCONTROL_CONTROLTYPE_PEAKMETER;
    request.cControls = 1;
    request.cbmxctrl = sizeof control;
    request.pamxctrl = &control;
    if (mixerGetLineControlsA(reinterpret_cast<HMIXEROBJ>(mixer.get()), &request,
                              MIXER_GETLINECONTROLSF_ONEBYTYPE | MIXER_OBJECTF_HMIXER) ==
        MMSYSERR_NOERROR) {
      return std::make_unique<MixerMeterSource>(std::move(mixer), line, control);
    }
  }
  // The mixer has no peak meter on the wave output.
  mixer.reset();
  if (auto endpoint = OpenEndpointMeter()) return endpoint;
  return std::make_unique<PluginPeaksSource>(hooks_.current_plugin_path);
}

}  // namespace velmora
