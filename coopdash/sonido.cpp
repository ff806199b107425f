#include "sonido.h"

#include <SDL2/SDL.h>
#include <dlfcn.h>

#include <cstdio>

#include "archivo.h"

namespace coopdash {

namespace {

extern "C" void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

// With no card, ALSA prints a screen of its own lines on stderr for every
// device SDL tries to open; the game says it in one line. When SDL's audio
// has loaded ALSA, its error handler becomes one that prints nothing.
void silenceAlsa() {
    void* lib = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (!lib) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(lib, "snd_lib_error_set_handler"))) set(quietAlsa);
    dlclose(lib);
}

}  // namespace

Sonido::Sonido(const std::string& path, bool openDevice) {
    // The file is read by the game (a named pipe or a folder refused by
    // name, never opened), then decoded from memory.
    std::string bytes, why;
    bool ok = readAssetFile(path, bytes, why);
    if (ok) {
        SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
        ok = rw && SDL_LoadWAV_RW(rw, 1, &spec_, &buffer_, &length_);
        if (!ok) why = SDL_GetError();
    }
    if (!ok) {
        std::printf("No se pudo cargar archivo de sonido\n");
        std::printf("%s: %s\n", path.c_str(), why.c_str());
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
        silenceAlsa();
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
