// The game's state and rules over time: the game record, the frame clock,
// the key table, restarts, and the world advanced in bounded steps. Nothing
// here draws; sound goes through the Audio interface.
#pragma once

#include <cstdint>
#include <memory>

#include "camara.h"
#include "mundo.h"

namespace henrun {

// What the game asks of its sound layer.
class Audio {
 public:
  virtual ~Audio() = default;
  virtual void playMusic() = 0;               // the looped music, from its start
  virtual void pauseAllSounds(bool paused) = 0;
  virtual void playDeathSound() = 0;          // the music stops
};

struct Game {
  Game(float width, float height);
  RowSet world;
  Gallina hen;
  bool paused = true;
  int score = 0;
  float height, width;
  bool filled = true, texturesOn = true, flatShading = false;
  int lightMode = 0;  // 0 day, 1 night
  float speedFactor = 1.f;
  bool musicStarted = false;  // the first P starts the music
};

// Paces the loop at 60 frames a second and keeps the time shown to the
// player: the real milliseconds spent playing, whatever the frame rate.
struct FrameClock {
  explicit FrameClock(std::uint32_t now) : nextFrame(now), lastTick(now) {}
  static constexpr int framesPerSecond = 60;
  static constexpr int frameTime = 16;  // ms
  std::uint32_t nextFrame, lastTick;
  int delay = 0;
  long playedMs = 0;  // real time in play (not paused)
  int seconds = 0;    // the displayed time: whole seconds of playedMs
  // Start of a frame at tick `now`: the frame's deadline moves on, and the
  // time since the last frame counts as play unless the game is paused.
  // Returns that time in ms.
  int frameStart(std::uint32_t now, bool paused);
  // End of a frame: how long to sleep (0 when late). A loop more than a few
  // frames late starts counting again from now instead of racing to catch up.
  int sleepFor(std::uint32_t now);
};

enum class Tecla { P, W, T, S, V, C, L, Enter, Q, Escape, Other };

class Juego {
 public:
  // World steps are at most this long; a longer frame is split.
  static constexpr int kMaxStepMs = 20;
  // A frame longer than this (a stall, a window drag) only advances the
  // world this much.
  static constexpr int kMaxFrameMs = 250;

  Juego(float width, float height, std::uint32_t now, Audio* audio);

  Game& game() { return *game_; }
  const Game& game() const { return *game_; }
  Camara& camera() { return *camera_; }
  const Camara& camera() const { return *camera_; }
  FrameClock& clock() { return *clock_; }

  // The world is (re)built by the caller, after it has shown the loading screen.
  bool needsWorld() const { return needsWorld_; }
  void buildWorld();

  bool quitRequested() const { return quit_; }
  void keyDown(Tecla key, std::uint32_t now);
  void requestQuit() { quit_ = true; }

  // Trucks of the rows in view, then the hen, in steps of at most kMaxStepMs.
  void update(int dtMs, const Teclas& keys);

 private:
  void step(int dtMs, const Teclas& keys);
  void kill(int how);
  void restart(std::uint32_t now);

  Audio* audio_;
  std::unique_ptr<Game> game_;
  std::unique_ptr<Camara> camera_;
  std::unique_ptr<FrameClock> clock_;
  bool needsWorld_ = true;
  bool quit_ = false;
};

}  // namespace henrun
