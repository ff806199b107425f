// The game's sound over SDL_mixer: one device, opened once and kept open for
// the life of the program, the looped music and the death sound. Without an
// audio device, or without its files, it says so once and stays silent.
#pragma once

#include <string>

#include "juego.h"

struct _Mix_Music;
struct Mix_Chunk;

namespace henrun {

class Sonido : public Audio {
 public:
  // Opens the device and loads both files; on failure prints one line and
  // every call does nothing.
  Sonido(const std::string& musicPath, const std::string& deathPath);
  ~Sonido() override;
  Sonido(const Sonido&) = delete;
  Sonido& operator=(const Sonido&) = delete;

  bool available() const { return open_; }
  void playMusic() override;
  void pauseAllSounds(bool paused) override;
  void playDeathSound() override;

 private:
  bool open_ = false;
  std::string musicData_;  // the music file, streamed from memory
  _Mix_Music* music_ = nullptr;
  Mix_Chunk* death_ = nullptr;
};

}  // namespace henrun
