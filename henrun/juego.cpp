#include "juego.h"

#include <algorithm>

namespace henrun {

Game::Game(float w, float h) : height(h), width(w) {}

int FrameClock::frameStart(std::uint32_t now, bool paused) {
  nextFrame += frameTime;
  const int dt = std::max(int(now - lastTick), 0);
  lastTick = now;
  if (!paused) {
    playedMs += dt;
    seconds = int(playedMs / 1000);
  }
  return dt;
}

int FrameClock::sleepFor(std::uint32_t now) {
  delay = int(nextFrame - now);
  if (delay < -4 * frameTime) nextFrame = now;  // far behind: no burst of unpaced frames
  return std::max(delay, 0);
}

Juego::Juego(float width, float height, std::uint32_t now, Audio* audio)
    : audio_(audio),
      game_(std::make_unique<Game>(width, height)),
      camera_(std::make_unique<Camara>()),
      clock_(std::make_unique<FrameClock>(now)) {}

void Juego::buildWorld() {
  game_->world.generate();
  needsWorld_ = false;
}

void Juego::kill(int how) {
  game_->hen.state = how;
  game_->paused = true;
  if (audio_) audio_->playDeathSound();
}

void Juego::restart(std::uint32_t now) {
  const float w = game_->width, h = game_->height;
  game_ = std::make_unique<Game>(w, h);
  camera_ = std::make_unique<Camara>();
  clock_ = std::make_unique<FrameClock>(now);
  needsWorld_ = true;
}

void Juego::keyDown(Tecla key, std::uint32_t now) {
  Game& g = *game_;
  switch (key) {
    case Tecla::P:
      if (g.hen.state != Gallina::Viva) break;
      g.paused = !g.paused;
      if (!g.musicStarted) {
        g.musicStarted = true;
        if (audio_) audio_->playMusic();
      } else if (audio_) {
        audio_->pauseAllSounds(g.paused);
      }
      break;
    case Tecla::W: g.filled = !g.filled; break;
    case Tecla::T: g.texturesOn = !g.texturesOn; break;
    case Tecla::S: g.flatShading = !g.flatShading; break;
    case Tecla::V: g.speedFactor = g.speedFactor == 1.f ? 2.f : 1.f; break;
    case Tecla::C: camera_->toggleCamera(g.hen); break;
    case Tecla::L: g.lightMode = (g.lightMode + 1) % 2; break;
    case Tecla::Enter:
      if (g.hen.state != Gallina::Viva && g.paused) restart(now);
      break;
    case Tecla::Q:
    case Tecla::Escape: quit_ = true; break;
    case Tecla::Other: break;
  }
}

void Juego::update(int dtMs, const Teclas& keys) {
  if (needsWorld_) return;
  dtMs = std::min(std::max(dtMs, 0), kMaxFrameMs);
  while (dtMs > 0 && !game_->paused) {
    const int d = std::min(dtMs, kMaxStepMs);
    step(d, keys);
    dtMs -= d;
  }
}

void Juego::step(int dtMs, const Teclas& keys) {
  Game& g = *game_;
  const auto [first, last] = g.world.visible(g.hen.z);
  for (std::size_t i = first; i < last && !g.paused; ++i) {
    Fila& row = g.world[i];
    if (row.esCalle() && moveTrucks(static_cast<Calle&>(row), g.hen, g.speedFactor, dtMs)) kill(Gallina::Atropellada);
  }
  if (g.paused) return;
  if (!steerHen(g.hen, keys, g.speedFactor, dtMs)) return;
  if (henBlocked(g.hen, g.world)) kill(Gallina::Golpeada);
  // One row per point, so the world always reaches as far ahead.
  const int gained = rowsGained(g.hen.z);
  while (g.score < gained) {
    ++g.score;
    g.world.append();
  }
  camera_->updateCamera(g.hen);
}

}  // namespace henrun
