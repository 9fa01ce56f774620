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
  // The input index that lands at position 4q of the transform (bit reversal); positions
  // 4q + 1, 4q + 2 and 4q + 3 take that index + 1024, + 512 and + 1536. For the transform
  // of 1024 values, position 4q takes input_of_quad[2q] (and + 512, + 256, + 768).
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

// The levels of kVisSamples bins whose squared magnitudes are `powers` times that of a
// full-scale sine: their decibels over -60 dB on a scale of 0 to 255, four at a time.
// The decibels come from log2 to within 0.00015: the exponent, and a polynomial for the
// mantissa in [1, 2) that is exact at both ends (0 comes out as -127); there are
// 10 log10(2) decibels to a unit of log2, and 255 / 60 steps to a decibel.
void LevelsOf(const float* powers, unsigned char* levels) {
  typedef int32_t FourInts __attribute__((vector_size(16)));
  static_assert(kVisSamples % 4 == 0, "whole fours");
  for (int k = 0; k < kVisSamples; k += 4) {
    FourInts bits;
    std::memcpy(&bits, powers + k, sizeof bits);
    const Four exponent = __builtin_convertvector((bits >> 23) - 127, Four);
    bits = (bits & 0x007FFFFF) | 0x3F800000;
    Four t;
    std::memcpy(&t, &bits, sizeof t);
    t -= 1;
    const Four log2 =
        exponent +
        t * (1.43807325f + t * (-0.674766663f + t * (0.317000721f + t * -0.0803073039f)));
    Four level = 12.7937748f * log2 + 255;
    level = level < 0 ? 0 : level;
    level = level > 255 ? 255 : level;
    const FourInts whole = __builtin_convertvector(level, FourInts);
    for (int j = 0; j < 4; ++j) levels[k + j] = static_cast<unsigned char>(whole[j]);
  }
}

}  // namespace

namespace {

// Loads `size` (2048 or 1024) complex values in transform order and makes the first two
// passes on the way: value(j) gives input j, which is 0 from size / 2 on. Each four
// neighbouring positions combine an input a (index below size / 4) with b a quarter of
// the size later and two that lie past the input: a + b, a - ib, a - b, a + ib.
template <typename Value>
void LoadWithFirstPasses(const TransformTables& tables, int size, float* re, float* im,
                         const Value& value) {
  const int quarter = size / 4;
  const int step = kTransformSize / size;
  for (int q = 0; q < quarter; ++q) {
    const int i = tables.input_of_quad[q * step];
    float a_re, a_im, b_re, b_im;
    value(i, &a_re, &a_im);
    value(i + quarter, &b_re, &b_im);
    float* r = re + 4 * q;
    float* m = im + 4 * q;
    r[0] = a_re + b_re, m[0] = a_im + b_im;
    r[1] = a_re + b_im, m[1] = a_im - b_re;
    r[2] = a_re - b_re, m[2] = a_im - b_im;
    r[3] = a_re - b_im, m[3] = a_im + b_re;
  }
}

// The remaining passes of a transform of `size` values loaded as above.
void RemainingPasses(const TransformTables& tables, int size, float* re, float* im) {
  for (int half = 4; half < size; half <<= 1) {
    const float* twiddle_re = tables.twiddle_re + half;
    const float* twiddle_im = tables.twiddle_im + half;
    for (int start = 0; start < size; start += 2 * half) {
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
  const auto windowed = [&](int channel, int i) {
    return i < count ? samples[channel][i] * window[i] : 0.0f;
  };
  // A full-scale sine of amplitude 32768 gives |X| = 32768 * window_sum / 2 at its bin;
  // powers are taken against its square (with the halves of the splits below folded in).
  const float full_scale = 32768.0f * std::max(window_sum, 1.0f) / 2;
  const float per_power = 1 / (4 * full_scale * full_scale);
  float re[kTransformSize];
  float im[kTransformSize];
  float powers[2][kVisSamples];

  if (channels == 2) {
    // Both real channels through one complex transform, the left as the real part and the
    // right as the imaginary part: with Z = L + iR, L[k] = (Z[k] + conj(Z[N-k])) / 2 and
    // R[k] = (Z[k] - conj(Z[N-k])) / 2i.
    LoadWithFirstPasses(tables, kTransformSize, re, im,
                        [&](int i, float* value_re, float* value_im) {
                          *value_re = windowed(0, i);
                          *value_im = windowed(1, i);
                        });
    RemainingPasses(tables, kTransformSize, re, im);
    for (int k = 0; k < kVisSamples; ++k) {
      const int mirror = (kTransformSize - k) & (kTransformSize - 1);
      const float sum_re = re[k] + re[mirror], diff_re = re[k] - re[mirror];
      const float sum_im = im[k] + im[mirror], diff_im = im[k] - im[mirror];
      powers[0][k] = (sum_re * sum_re + diff_im * diff_im) * per_power;
      powers[1][k] = (sum_im * sum_im + diff_re * diff_re) * per_power;
    }
    LevelsOf(powers[0], levels[0]);
    LevelsOf(powers[1], levels[1]);
    return;
  }

  // The left alone, through a transform of half the size: Z[n] = x[2n] + i x[2n+1], then
  // with E[k] = (Z[k] + conj(Z[M-k])) / 2 and O[k] = (Z[k] - conj(Z[M-k])) / 2i (the
  // transforms of the even and the odd samples), X[k] = E[k] + e^(-2 pi i k / N) O[k].
  LoadWithFirstPasses(tables, kHalfSize, re, im, [&](int i, float* value_re, float* value_im) {
    *value_re = windowed(0, 2 * i);
    *value_im = windowed(0, 2 * i + 1);
  });
  RemainingPasses(tables, kHalfSize, re, im);
  const float* twiddle_re = tables.twiddle_re + kHalfSize;  // e^(-2 pi i k / N)
  const float* twiddle_im = tables.twiddle_im + kHalfSize;
  for (int k = 0; k < kVisSamples; ++k) {
    const int at = k & (kHalfSize - 1);
    const int mirror = (kHalfSize - k) & (kHalfSize - 1);
    const float even_re = re[at] + re[mirror], even_im = im[at] - im[mirror];  // 2 E
    const float odd_re = im[at] + im[mirror], odd_im = re[mirror] - re[at];    // 2 O
    const float x_re = even_re + twiddle_re[k] * odd_re - twiddle_im[k] * odd_im;
    const float x_im = even_im + twiddle_re[k] * odd_im + twiddle_im[k] * odd_re;
    powers[0][k] = (x_re * x_re + x_im * x_im) * per_power;
  }
  LevelsOf(powers[0], levels[0]);
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
