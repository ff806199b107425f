#include "sonido.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <iostream>

#include "recursos.h"

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
  // Read whole first, so a folder or a pipe in a file's place is refused by
  // name and never blocks; the music plays from the bytes kept here.
  std::string problem;
  try {
    musicData_ = leerArchivo(musicPath);
    music_ = Mix_LoadMUS_RW(SDL_RWFromConstMem(musicData_.data(), int(musicData_.size())), 1);
    if (!music_) problem = "no se pudo leer " + musicPath + ": " + Mix_GetError();
    if (music_) {
      const std::string death = leerArchivo(deathPath);
      death_ = Mix_LoadWAV_RW(SDL_RWFromConstMem(death.data(), int(death.size())), 1);
      if (!death_) problem = "no se pudo leer " + deathPath + ": " + Mix_GetError();
    }
  } catch (const ErrorArchivo& e) {
    problem = e.what();
  }
  if (!problem.empty()) {
    std::cout << "Sin sonido: " << problem << std::endl;
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
