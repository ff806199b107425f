// The real program under Xvfb: menu, play, score, a death, back to the menu,
// quit; no display; no sound device, then SIGTERM or the window closed;
// broken files.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "hoptest/broken.h"
#include "hoptest/e2e.h"
#include "mundo.h"

using hoptest::Color;
using hoptest::GameSession;
using hoptest::Image;
using hoptest::Rect;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

const char* const kTitle = "Plonkito";
constexpr auto kPatience = 120s;

// A seed whose world leaves the hen's way clear for three rows of grass past
// the start area, so a walk straight ahead scores before anything stops it.
unsigned clearSeed() {
  for (unsigned seed = 1;; ++seed) {
    std::srand(seed);
    henrun::RowSet rows;
    rows.generate();
    bool clear = true;
    for (std::size_t i = 11; i <= 13 && clear; ++i) {
      if (rows[i].esCalle()) {
        clear = false;
        break;
      }
      for (const auto& t : static_cast<const henrun::Pasto&>(rows[i]).trees)
        if (t->x < 3.f && t->x + 1.8f > -3.f) clear = false;
    }
    if (clear) return seed;
  }
}

int nearCount(const Image& img, Color c, Rect r) { return img.countNear(c, 40, r); }

// A key held for `ms` and at least three frames, as GameSession::hold, or
// until `stop` holds: a death ends play on a still screen that shows no
// more frames.
void holdKey(GameSession& game, const char* key, std::chrono::milliseconds ms, const std::function<bool()>& stop) {
  const long first = game.frames();
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(game.keyDown(key));
  auto looked = start;  // a screenshot each half second at most
  hoptest::waitUntil(
      [&] {
        const auto now = std::chrono::steady_clock::now();
        if (game.frames() >= first + 3 && now - start >= ms) return true;
        if (now - looked < 500ms) return false;
        looked = now;
        return stop();
      },
      kPatience);
  game.keyUp(key);
}

}  // namespace

TEST(HenrunE2E, MenuPlayScoreDeathMenuAndQuit) {
  GameSession game({HENRUN_BIN, {}, {}, {"HENRUN_SEED=" + std::to_string(clearSeed())}});
  const auto w = game.waitForWindow(kTitle);
  ASSERT_NE(w.id, 0u) << game.stderrText();
  const int W = w.width, H = w.height;
  EXPECT_GE(W, 640) << "full screen at the desktop's size";

  // The menu: PLONKITO, white, 100 px, left of the centre.
  const Rect title{W / 2 - 450, H / 2 - 250, 560, 140};
  ASSERT_TRUE(hoptest::waitUntil([&] { return nearCount(game.screenshot(), {255, 255, 255}, title) > 3000; },
                                 kPatience))
      << "PLONKITO";

  // P: play; the HUD's score appears at the top left.
  const Rect score{10, 0, 200, 60};
  ASSERT_TRUE(game.key("p"));
  ASSERT_TRUE(hoptest::waitUntil([&] { return nearCount(game.screenshot(), {255, 255, 255}, title) < 1500; },
                                 kPatience))
      << "the menu closes";
  const Image before = game.screenshot();
  EXPECT_GT(nearCount(before, {255, 255, 255}, score), 50) << "Puntaje: 0";

  // Up walks forward: the score changes on the HUD.
  const Rect lost{W / 2 - 200, H / 2 - 140, 300, 50};
  auto isDead = [&] { return nearCount(game.screenshot(), {255, 0, 0}, lost) > 30; };
  bool scored = false;
  for (int i = 0; i < 10 && !scored; ++i) {
    holdKey(game, "Up", 300ms, isDead);
    scored = hoptest::waitUntil([&] { return game.screenshot().countDiff(before, score, 60) > 20; }, 3s);
  }
  EXPECT_TRUE(scored) << "the score rose";

  // Turn about and walk back past the start line: PERDISTE, in red.
  bool dead = false;
  for (int i = 0; i < 12 && !dead; ++i) {
    holdKey(game, "Left", 400ms, isDead);
    holdKey(game, "Up", 600ms, isDead);
    dead = hoptest::waitUntil(isDead, 3s);
  }
  ASSERT_TRUE(dead) << "PERDISTE";

  // Enter: a new game on its menu.
  ASSERT_TRUE(game.key("Return"));
  EXPECT_TRUE(hoptest::waitUntil([&] { return nearCount(game.screenshot(), {255, 255, 255}, title) > 3000; },
                                 kPatience))
      << "back to the menu";

  ASSERT_TRUE(game.key("q"));
  EXPECT_EQ(game.waitExit(kPatience), 0);
}

TEST(HenrunE2E, WithoutADisplayItSaysSoAndEnds) {
  GameSession game({HENRUN_BIN, {}, {}, {"DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY"}});
  EXPECT_EQ(game.waitExit(kPatience), 1);
  // Its one line (a library may have said something of its own before it).
  const std::string err = game.stderrText();
  const std::regex line(
      "(^|\n)No hay pantalla disponible \\(controlador de video \"(offscreen|dummy)\"\\): "
      "inicie el juego desde una sesión gráfica\n");
  EXPECT_EQ(std::distance(std::sregex_iterator(err.begin(), err.end(), line), std::sregex_iterator()), 1) << err;
}

TEST(HenrunE2E, WithoutASoundDeviceItSaysSoOncePlaysSilentlyAndEndsOnSigtermOrClose) {
  // A driver that does not exist; ALSA without a card; no driver asked for
  // and none of them able to reach a device.
  const std::vector<std::string> noDevice[] = {
      {"SDL_AUDIODRIVER=no-such-driver"},
      {"SDL_AUDIODRIVER=alsa", "AUDIODEV=hw:77,0"},
      {"SDL_AUDIODRIVER", "AUDIODEV=hw:77,0", "PULSE_SERVER=unix:/nonexistent/pulse", "PIPEWIRE_REMOTE=nonexistent",
       "JACK_NO_START_SERVER=1"},
  };
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE("no sound device, case " + std::to_string(k));
    GameSession game({HENRUN_BIN, {}, {}, noDevice[k]});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    EXPECT_TRUE(game.waitForOutput("Sin sonido", kPatience));
    // P starts play (and would start the music); the game goes on.
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(game.waitFrames(5));
    const std::string said = game.stdoutText() + game.stderrText();
    EXPECT_EQ(said.find("Sin sonido"), said.rfind("Sin sonido")) << "one line: " << said;
    if (k == 1)
      ASSERT_TRUE(game.closeWindow());
    else
      game.terminate();
    EXPECT_EQ(game.waitExit(kPatience), 0);
  }
}

TEST(HenrunE2E, BrokenFilesAreNamedAndEndTheGame) {
  // A copy of the game's folder with one file broken at a time: the file is
  // named and the game ends with status 1 at once, a named pipe included.
  const fs::path stage = fs::path(HENRUN_BIN).parent_path().parent_path();
  const fs::path copy = fs::temp_directory_path() / ("henrun_e2e_" + std::to_string(::getpid()));
  const std::vector<const char*> files = {
      "bin/henrun",          "Modelos/gallina_plonkito.obj", "Modelos/camion_plonkito.obj", "Modelos/tree.obj",
      "Texturas/tree.png",   "Texturas/texture_voxmold.png", "Texturas/skybox_dia.jpg",     "Texturas/skybox_noche.png",
      "Fuentes/fuente.ttf",  "Sonidos/sonidoJuego.mp3",      "Sonidos/sonidoMuerte.mp3"};
  const std::pair<const char*, hoptest::Break> cases[] = {
      {"Modelos/tree.obj", hoptest::Garbage},     {"Modelos/tree.obj", hoptest::Deleted},
      {"Modelos/camion_plonkito.obj", hoptest::Empty}, {"Modelos/gallina_plonkito.obj", hoptest::Folder},
      {"Texturas/tree.png", hoptest::Pipe},       {"Texturas/skybox_dia.jpg", hoptest::Half},
      {"Fuentes/fuente.ttf", hoptest::Deleted}};
  std::mt19937 random(5);
  for (const auto& [file, how] : cases) {
    SCOPED_TRACE(std::string(file) + " broken as " + std::to_string(int(how)));
    hoptest::stageBroken(stage, copy, files, file, how, random);
    GameSession game(hoptest::Launch((copy / "bin/henrun").string()));
    EXPECT_EQ(game.waitExit(kPatience), 1);
    EXPECT_NE(game.stderrText().find(std::string("../") + file), std::string::npos) << game.stderrText();
    if (std::string(file).find(".obj") != std::string::npos && how == hoptest::Deleted) {
      EXPECT_NE(game.stdoutText().find("Impossible to open the file !"), std::string::npos) << "the loader's word";
    }
  }
  fs::remove_all(copy);
}
