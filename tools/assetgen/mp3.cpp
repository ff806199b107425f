#include "mp3.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "files.h"

namespace assetgen {

double pitch(int semitones) { return 440.0 * std::pow(2.0, semitones / 12.0); }

namespace {

constexpr double kPi = 3.14159265358979323846;

double wave(Voice v, double phase, std::uint32_t& noise) {
  const double f = phase - std::floor(phase);
  switch (v) {
    case Voice::Square: return f < 0.5 ? 0.6 : -0.6;  // quieter: squares are loud
    case Voice::Triangle: return 4.0 * std::fabs(f - 0.5) - 1.0;
    case Voice::Sine: return std::sin(2 * kPi * f);
    case Voice::Noise:
      noise = noise * 1664525u + 1013904223u;
      return double(noise >> 8) / double(1u << 23) - 1.0;
  }
  return 0;
}

}  // namespace

std::vector<float> renderNotes(const std::vector<Note>& notes, double seconds, bool wrap) {
  const std::size_t total = std::size_t(seconds * kSampleRate);
  std::vector<double> mix(total, 0.0);
  std::uint32_t noise = 12345u;
  for (const Note& n : notes) {
    const std::size_t first = std::size_t(n.start * kSampleRate);
    const std::size_t count = std::size_t(n.length * kSampleRate);
    const double attack = 0.005 * kSampleRate;
    double phase = 0;
    for (std::size_t i = 0; i < count; ++i) {
      std::size_t at = first + i;
      if (at >= total) {
        if (!wrap) break;
        at %= total;
      }
      const double t = double(i) / double(count);
      const double freq = n.frequency * std::pow(n.slide, t);
      phase += freq / kSampleRate;
      // Attack, then a decay that reaches silence exactly at the note's end.
      const double env = std::min(1.0, double(i) / attack) * std::exp(-3.0 * t) * (1.0 - t);
      mix[at] += n.volume * env * wave(n.voice, phase, noise);
    }
  }
  std::vector<float> out(total);
  for (std::size_t i = 0; i < total; ++i) out[i] = float(std::tanh(mix[i]));  // soft limit, no clipping
  return out;
}

std::string encodeMp3(const std::vector<float>& samples, int kbps) {
  lame_global_flags* lame = lame_init();
  if (!lame) throw std::runtime_error("lame_init failed");
  lame_set_num_channels(lame, 1);
  lame_set_in_samplerate(lame, kSampleRate);
  lame_set_out_samplerate(lame, kSampleRate);
  lame_set_mode(lame, MONO);
  lame_set_brate(lame, kbps);
  lame_set_quality(lame, 5);
  lame_set_bWriteVbrTag(lame, 0);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    throw std::runtime_error("lame_init_params failed");
  }
  std::vector<short> pcm(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i)
    pcm[i] = short(std::lround(std::clamp(samples[i], -1.f, 1.f) * 32000.f));
  std::vector<unsigned char> buffer(pcm.size() * 5 / 4 + 7200);
  const int n = lame_encode_buffer(lame, pcm.data(), pcm.data(), int(pcm.size()), buffer.data(), int(buffer.size()));
  if (n < 0) {
    lame_close(lame);
    throw std::runtime_error("lame_encode_buffer failed");
  }
  std::string bytes(reinterpret_cast<const char*>(buffer.data()), std::size_t(n));
  const int tail = lame_encode_flush(lame, buffer.data(), int(buffer.size()));
  lame_close(lame);
  if (tail < 0) throw std::runtime_error("lame_encode_flush failed");
  bytes.append(reinterpret_cast<const char*>(buffer.data()), std::size_t(tail));
  return bytes;
}

void writeMp3(const std::filesystem::path& file, const std::vector<float>& samples) {
  writeFile(file, encodeMp3(samples));
}

}  // namespace assetgen
