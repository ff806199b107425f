#include "sonido.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <iostream>

namespace henrun {

namespace {
constexpr int kVolume = MIX_MAX_VOLUME / 2;  // the master volume of 0.5
}

Sonido::Sonido(const std::string& musicPath, const std::string& deathPath) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
    std::cout << "Sin sonido: " << SDL_GetError() << std::endl;
    return;
  }
  Mix_Init(MIX_INIT_MP3);
  music_ = Mix_LoadMUS(musicPath.c_str());
  death_ = Mix_LoadWAV(deathPath.c_str());
  if (!music_ || !death_) {
    std::cout << "Sin sonido: no se pudo leer " << (music_ ? deathPath : musicPath) << ": " << Mix_GetError()
              << std::endl;
    if (music_) Mix_FreeMusic(music_);
    if (death_) Mix_FreeChunk(death_);
    music_ = nullptr;
    death_ = nullptr;
    Mix_CloseAudio();
    return;
  }
  Mix_VolumeMusic(kVolume);
  Mix_Volume(-1, kVolume);
  open_ = true;
}

Sonido::~Sonido() {
  if (!open_) return;
  Mix_HaltMusic();
  Mix_HaltChannel(-1);
  Mix_FreeMusic(music_);
  Mix_FreeChunk(death_);
  Mix_CloseAudio();
  Mix_Quit();
}

void Sonido::playMusic() {
  if (!open_) return;
  Mix_HaltChannel(-1);
  Mix_PlayMusic(music_, -1);
}

void Sonido::pauseAllSounds(bool paused) {
  if (!open_) return;
  if (paused) {
    Mix_PauseMusic();
    Mix_Pause(-1);
  } else {
    Mix_ResumeMusic();
    Mix_Resume(-1);
  }
}

void Sonido::playDeathSound() {
  if (!open_) return;
  Mix_HaltMusic();
  Mix_HaltChannel(-1);
  Mix_PlayChannel(-1, death_, 0);
}

}  // namespace henrun
