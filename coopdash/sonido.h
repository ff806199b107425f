// Sound through SDL's own audio: each WAV file loaded whole and given its own
// device opened with the file's format; playing queues the samples and
// unpauses the device. Without an audio device the game says so once and
// every call below does nothing.
#pragma once

#include <SDL2/SDL_audio.h>

#include <functional>
#include <string>

namespace coopdash {

constexpr const char* kMusicPath = "../sound/mixkit-game-level-music-689.wav";
constexpr const char* kMenuCuePath = "../sound/menu1.wav";
constexpr const char* kDeathCuePath = "../sound/hurt1.wav";

class Sonido {
public:
    // Loads the file (prints "No se pudo cargar archivo de sonido" and the
    // file's name when it cannot) and, when `openDevice`, opens its device,
    // queues the samples once and leaves it paused.
    Sonido(const std::string& path, bool openDevice);
    ~Sonido();
    Sonido(const Sonido&) = delete;
    Sonido& operator=(const Sonido&) = delete;

    bool loaded() const { return buffer_ != nullptr; }
    bool hasDevice() const { return device_ != 0; }
    // Appends the whole sound to the device's queue.
    void queue();
    // From the start: the queue cleared, the sound queued, the device running.
    void play();
    void pause();
    void resume();
    // Paused with an empty queue.
    void stop();
    Uint32 queuedBytes() const;
    Uint32 lengthBytes() const { return length_; }
    bool running() const;

private:
    Uint8* buffer_ = nullptr;
    Uint32 length_ = 0;
    SDL_AudioSpec spec_{};
    SDL_AudioDeviceID device_ = 0;
};

// The game's three sounds and what it does with them.
class Audio {
public:
    // Starts SDL's audio; without a device prints one line and stays silent.
    // Drivers that open one device at a time (dummy, disk) leave the later
    // sounds silent, also said in one line. `openDevice` (tests) decides
    // whether a sound gets its device: 0 the music, 1 the menu cue, 2 the
    // death cue.
    explicit Audio(const std::function<bool(int)>& openDevice = {});
    ~Audio();

    bool available() const { return available_; }
    void paused();   // music held, menu cue from the start
    void resumed();  // music on, menu cue stopped
    void death();    // death cue; the music again from the start
    // Every 30 real seconds of play: another loop behind the one playing.
    void musicDue();

    Sonido* music = nullptr;
    Sonido* menuCue = nullptr;
    Sonido* deathCue = nullptr;

private:
    bool available_ = false;
    bool started_ = false;
};

}  // namespace coopdash
