#include "sonido.h"

#include <SDL2/SDL.h>

#include <cstdio>

namespace coopdash {

Sonido::Sonido(const std::string& path, bool openDevice) {
    SDL_RWops* rw = SDL_RWFromFile(path.c_str(), "rb");
    if (!rw || !SDL_LoadWAV_RW(rw, 1, &spec_, &buffer_, &length_)) {
        std::printf("No se pudo cargar archivo de sonido\n");
        std::printf("%s: %s\n", path.c_str(), SDL_GetError());
        std::fflush(stdout);
        buffer_ = nullptr;
        length_ = 0;
        return;
    }
    if (!openDevice) return;
    SDL_AudioSpec wanted = spec_;
    wanted.callback = nullptr;
    wanted.userdata = nullptr;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device_ == 0) return;
    queue();
    SDL_PauseAudioDevice(device_, 1);
}

Sonido::~Sonido() {
    if (device_) SDL_CloseAudioDevice(device_);
    if (buffer_) SDL_FreeWAV(buffer_);
}

void Sonido::queue() {
    if (device_ && buffer_) SDL_QueueAudio(device_, buffer_, length_);
}

void Sonido::play() {
    if (!device_) return;
    SDL_ClearQueuedAudio(device_);
    queue();
    SDL_PauseAudioDevice(device_, 0);
}

void Sonido::pause() {
    if (device_) SDL_PauseAudioDevice(device_, 1);
}

void Sonido::resume() {
    if (device_) SDL_PauseAudioDevice(device_, 0);
}

void Sonido::stop() {
    if (!device_) return;
    SDL_PauseAudioDevice(device_, 1);
    SDL_ClearQueuedAudio(device_);
}

Uint32 Sonido::queuedBytes() const { return device_ ? SDL_GetQueuedAudioSize(device_) : 0; }

bool Sonido::running() const { return device_ && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_PLAYING; }

Audio::Audio(const std::function<bool(int)>& openDevice) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::printf("Sin dispositivo de audio (%s): el juego sigue sin sonido\n", SDL_GetError());
    } else {
        started_ = true;
        available_ = true;
    }
    const char* paths[3] = {kMusicPath, kMenuCuePath, kDeathCuePath};
    Sonido** slots[3] = {&music, &menuCue, &deathCue};
    std::string silent, why;
    for (int i = 0; i < 3; ++i) {
        const bool open = available_ && (!openDevice || openDevice(i));
        *slots[i] = new Sonido(paths[i], open);
        if (open && (*slots[i])->loaded() && !(*slots[i])->hasDevice()) {
            silent += std::string(silent.empty() ? "" : ", ") + paths[i];
            why = SDL_GetError();
        }
    }
    if (!silent.empty())
        std::printf("Sin dispositivo de audio para %s (%s): esos sonidos quedan en silencio\n", silent.c_str(),
                    why.c_str());
    std::fflush(stdout);
}

Audio::~Audio() {
    delete music;
    delete menuCue;
    delete deathCue;
    if (started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void Audio::paused() {
    music->pause();
    menuCue->play();
}

void Audio::resumed() {
    music->resume();
    menuCue->stop();
}

void Audio::death() {
    deathCue->play();
    // The music starts over rather than piling another loop on the queue.
    music->play();
}

void Audio::musicDue() {
    // One loop is about to end: queue the next unless one is still waiting.
    if (music->queuedBytes() < music->lengthBytes()) music->queue();
    music->resume();
}

}  // namespace coopdash
