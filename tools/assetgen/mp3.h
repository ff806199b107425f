// Sound for the games that play MP3 files: a few synthesised voices mixed
// into a mono buffer, and the buffer encoded with LAME. Deterministic: the
// same notes give the same bytes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace assetgen {

constexpr int kSampleRate = 44100;

enum class Voice { Square, Triangle, Sine, Noise };

struct Note {
  double start = 0;     // seconds
  double length = 0.2;  // seconds, attack to the end of the release
  double frequency = 440;
  double volume = 0.3;  // peak, 0..1
  Voice voice = Voice::Square;
  double slide = 1.0;  // frequency ratio reached by the note's end (1: steady)
};

// Frequency of a note `semitones` from A4.
double pitch(int semitones);

// Mixes the notes into `seconds` of mono samples in [-1, 1]. Each note has a
// short attack and an exponential decay, so nothing clicks at its ends; a note
// running past the end wraps to the start (for loops that join cleanly).
std::vector<float> renderNotes(const std::vector<Note>& notes, double seconds, bool wrap);

// MP3 bytes (mono, 44.1 kHz, constant bit rate).
std::string encodeMp3(const std::vector<float>& samples, int kbps = 128);
void writeMp3(const std::filesystem::path& file, const std::vector<float>& samples);

}  // namespace assetgen
