#include "vis/vis_sound.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace velmora {

namespace {

constexpr int kTransformSize = 2048;
constexpr int kHalfSize = kTransformSize / 2;
constexpr double kPi = 3.14159265358979323846;
static_assert(kVisSamples <= kHalfSize, "the samples fill less than half of the transform");

// What every transform uses, made once.
struct TransformTables {
  // The factors e^(-i pi k / half) of the butterflies that span `half` values, for
  // k < half, at [half + k]: each pass reads its factors one after another.
  float twiddle_re[kTransformSize];
  float twiddle_im[kTransformSize];
  // The input index that lands at transform position 4q (bit reversal); positions 4q + 1,
  // 4q + 2 and 4q + 3 take that index + 1024, + 512 and + 1536.
  uint16_t input_of_quad[kTransformSize / 4];
  // The Hann window over a full record of samples, and its sum.
  float window[kVisSamples];
  float window_sum;

  TransformTables() {
    for (int half = 1; half < kTransformSize; half <<= 1) {
      for (int k = 0; k < half; ++k) {
        twiddle_re[half + k] = static_cast<float>(std::cos(-kPi * k / half));
        twiddle_im[half + k] = static_cast<float>(std::sin(-kPi * k / half));
      }
    }
    twiddle_re[0] = twiddle_im[0] = 0;  // no span of 0
    for (int q = 0; q < kTransformSize / 4; ++q) {
      int reversed = 0;
      for (int bit = 0; bit < 9; ++bit) reversed |= ((q >> bit) & 1) << (8 - bit);
      input_of_quad[q] = static_cast<uint16_t>(reversed);
    }
    window_sum = MakeWindow(kVisSamples, window);
  }

  // The Hann window over `count` samples into `window`; answers its sum.
  static float MakeWindow(int count, float* window) {
    double sum = 0;
    for (int i = 0; i < count; ++i) {
      window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * kPi * i / count));
      sum += window[i];
    }
    return static_cast<float>(sum);
  }
};

// Four floats worked on at once: one vector register where the machine has them (the
// compiler splits them into single floats where it has none).
typedef float Four __attribute__((vector_size(16)));
// (Passed by reference: a vector passed by value would change the calling convention of
// 32-bit builds without vector registers.)
void Load(Four& four, const float* from) { std::memcpy(&four, from, sizeof four); }
void Store(float* to, const Four& four) { std::memcpy(to, &four, sizeof four); }

const TransformTables& Tables() {
  static const TransformTables tables;
  return tables;
}

// log2 of a positive float to within 0.00015: the exponent, and a polynomial for the
// mantissa in [1, 2) that is exact at both ends. 0 comes out as -127.
float Log2(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const float exponent = static_cast<float>(static_cast<int>(bits >> 23) - 127);
  bits = (bits & 0x007FFFFFu) | 0x3F800000u;
  float t;
  std::memcpy(&t, &bits, sizeof t);
  t -= 1;
  return exponent +
         t * (1.43807325f + t * (-0.674766663f + t * (0.317000721f + t * -0.0803073039f)));
}

// The level of a bin whose squared magnitude is `power` times that of a full-scale sine:
// its decibels over -60 dB on a scale of 0 to 255 (255 / 60 steps per decibel, and
// 10 log10(2) decibels per unit of log2).
unsigned char LevelOf(float power) {
  const float level = 12.7937748f * Log2(power) + 255;
  return static_cast<unsigned char>(std::clamp(level, 0.0f, 255.0f));
}

}  // namespace

void SpectrumLevels(const int16_t samples[2][kVisSamples], int count, int channels,
                    unsigned char levels[2][kVisSamples]) {
  channels = std::clamp(channels, 0, 2);
  if (channels == 0) return;
  count = std::clamp(count, 0, kVisSamples);
  const TransformTables& tables = Tables();
  const float* window = tables.window;
  float window_sum = tables.window_sum;
  float short_window[kVisSamples];
  if (count != kVisSamples) {
    window_sum = TransformTables::MakeWindow(count, short_window);
    window = short_window;
  }

  // Both real channels go through one complex transform: the left as the real part, the
  // right as the imaginary part. The first two passes are made while loading: each four
  // neighbouring positions combine a sample a (index below 512) with b 512 later and two
  // that lie past the samples (0): a + b, a - ib, a - b, a + ib.
  float re[kTransformSize];
  float im[kTransformSize];
  const int16_t* right_samples = channels == 2 ? samples[1] : nullptr;
  const auto windowed = [&](const int16_t* channel, int i) {
    return channel && i < count ? channel[i] * window[i] : 0.0f;
  };
  for (int q = 0; q < kTransformSize / 4; ++q) {
    const int i = tables.input_of_quad[q];
    const float a_re = windowed(samples[0], i), a_im = windowed(right_samples, i);
    const float b_re = windowed(samples[0], i + 512), b_im = windowed(right_samples, i + 512);
    float* r = re + 4 * q;
    float* m = im + 4 * q;
    r[0] = a_re + b_re, m[0] = a_im + b_im;
    r[1] = a_re + b_im, m[1] = a_im - b_re;
    r[2] = a_re - b_re, m[2] = a_im - b_im;
    r[3] = a_re - b_im, m[3] = a_im + b_re;
  }
  for (int half = 4; half < kTransformSize; half <<= 1) {
    const float* twiddle_re = tables.twiddle_re + half;
    const float* twiddle_im = tables.twiddle_im + half;
    for (int start = 0; start < kTransformSize; start += 2 * half) {
      float* even_re = re + start;
      float* even_im = im + start;
      float* odd_re = even_re + half;
      float* odd_im = even_im + half;
      // Four at a time (every span is a multiple of four).
      for (int k = 0; k < half; k += 4) {
        Four w_re, w_im, o_re, o_im, e_re, e_im;
        Load(w_re, twiddle_re + k), Load(w_im, twiddle_im + k);
        Load(o_re, odd_re + k), Load(o_im, odd_im + k);
        Load(e_re, even_re + k), Load(e_im, even_im + k);
        const Four t_re = o_re * w_re - o_im * w_im;
        const Four t_im = o_re * w_im + o_im * w_re;
        Store(odd_re + k, e_re - t_re);
        Store(odd_im + k, e_im - t_im);
        Store(even_re + k, e_re + t_re);
        Store(even_im + k, e_im + t_im);
      }
    }
  }

  // Z = L + iR, so L[k] = (Z[k] + conj(Z[N-k])) / 2 and R[k] = (Z[k] - conj(Z[N-k])) / 2i.
  // A full-scale sine of amplitude 32768 gives |X| = 32768 * window_sum / 2 at its bin;
  // powers are taken against its square (the halves folded in).
  const float full_scale = 32768.0f * std::max(window_sum, 1.0f) / 2;
  const float per_power = 1 / (4 * full_scale * full_scale);
  for (int k = 0; k < kVisSamples; ++k) {
    const int mirror = (kTransformSize - k) & (kTransformSize - 1);
    const float sum_re = re[k] + re[mirror], diff_re = re[k] - re[mirror];
    const float sum_im = im[k] + im[mirror], diff_im = im[k] - im[mirror];
    levels[0][k] = LevelOf((sum_re * sum_re + diff_im * diff_im) * per_power);
    if (channels == 2) levels[1][k] = LevelOf((sum_im * sum_im + diff_re * diff_re) * per_power);
  }
}

void FillFromSamples(VisModule& module, const int16_t samples[2][kVisSamples], int count,
                     int spectrum_channels) {
  count = std::clamp(count, 0, kVisSamples);
  for (int ch = 0; ch < 2; ++ch) {
    for (int i = 0; i < count; ++i)
      module.waveformData[ch][i] =
          static_cast<unsigned char>(static_cast<int8_t>(samples[ch][i] >> 8));
    std::memset(module.waveformData[ch] + count, 0, kVisSamples - count);
  }
  SpectrumLevels(samples, count, spectrum_channels, module.spectrumData);
}

}  // namespace velmora
