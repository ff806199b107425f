// The real program under Xvfb: menu, play, score, a death, back to the menu,
// quit; no display; no sound device, then SIGTERM or the window closed;
// broken files.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "hopcommon/records.h"
#include "hoptest/broken.h"
#include "hoptest/e2e.h"
#include "hoptest/pad.h"
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

// A seed whose world leaves the hen's way clear for rows of grass past the
// start area (up to row `last`), so a walk straight ahead scores before
// anything stops it.
unsigned clearSeed(std::size_t last = 13) {
  for (unsigned seed = 1;; ++seed) {
    std::srand(seed);
    henrun::RowSet rows;
    rows.generate();
    bool clear = true;
    for (std::size_t i = 11; i <= last && clear; ++i) {
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

// Waits `ms` and at least three frames, as GameSession::hold keeps a key
// down, or until `stop` holds: a death ends play on a still screen that
// shows no more frames.
void holdWhile(GameSession& game, std::chrono::milliseconds ms, const std::function<bool()>& stop) {
  const long first = game.frames();
  const auto start = std::chrono::steady_clock::now();
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
}
void holdKey(GameSession& game, const char* key, std::chrono::milliseconds ms, const std::function<bool()>& stop) {
  ASSERT_TRUE(game.keyDown(key));
  holdWhile(game, ms, stop);
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

TEST(HenrunE2E, AControllerStartsWalksPausesAndLetsGoWhenUnplugged) {
  GameSession game;
  hoptest::Pad pad(game);
  // Walks on a loaded machine go further than asked: a longer clear way.
  game.start(pad.launch({HENRUN_BIN, {}, {}, {"HENRUN_SEED=" + std::to_string(clearSeed(18))}}));
  const auto w = game.waitForWindow(kTitle);
  ASSERT_NE(w.id, 0u) << game.stderrText();
  const int W = w.width, H = w.height;
  const Rect title{W / 2 - 450, H / 2 - 250, 560, 140}, score{10, 0, 200, 60};
  auto menuShown = [&](bool shown) {
    return hoptest::waitUntil(
        [&] { return (nearCount(game.screenshot(), {255, 255, 255}, title) > 3000) == shown; }, kPatience);
  };
  ASSERT_TRUE(menuShown(true));
  ASSERT_TRUE(pad.plug());
  EXPECT_TRUE(game.waitForOutput("Mando conectado"));
  auto tap = [&](SDL_GameControllerButton b) { return pad.button(b, true) && pad.button(b, false); };

  // A: play.
  ASSERT_TRUE(tap(SDL_CONTROLLER_BUTTON_A));
  ASSERT_TRUE(menuShown(false)) << "A starts the game";
  // The stick forward walks the hen: the score changes on the HUD (short
  // walks, as with the keyboard, so the hen stays on the clear grass).
  auto walksOn = [&] {
    const Image before = game.screenshot();
    for (int i = 0; i < 10; ++i) {
      if (!pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -32768)) return false;
      holdWhile(game, 300ms, [] { return false; });
      if (!pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 0)) return false;
      if (hoptest::waitUntil([&] { return game.screenshot().countDiff(before, score, 60) > 20; }, 3s)) return true;
    }
    return false;
  };
  ASSERT_TRUE(walksOn()) << "the stick forward walks";
  // Start: the menu; Start again: play.
  ASSERT_TRUE(tap(SDL_CONTROLLER_BUTTON_START));
  EXPECT_TRUE(menuShown(true)) << "Start pauses on the menu";
  ASSERT_TRUE(tap(SDL_CONTROLLER_BUTTON_START));
  EXPECT_TRUE(menuShown(false)) << "and Start resumes";

  // Pulled out mid-walk: the game waits on its menu; resumed from the
  // keyboard, the hen stands still, nothing left held.
  ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -32768));
  holdWhile(game, 300ms, [] { return false; });
  ASSERT_TRUE(pad.unplug());
  EXPECT_TRUE(game.waitForOutput("Mando desconectado"));
  EXPECT_TRUE(menuShown(true)) << "unplugged: paused";
  ASSERT_TRUE(game.key("p"));
  ASSERT_TRUE(menuShown(false));
  // The camera follows the hen: the grass and trees behind it (no trucks
  // there) stay where they are while it stands.
  const Rect behind{0, H - 150, W, 150};
  const Image standing = game.screenshot();
  ASSERT_TRUE(game.waitFrames(30));
  EXPECT_LT(game.screenshot().countDiff(standing, behind, 60), 50) << "the hen does not walk";

  // Plugged again, Back opens the menu.
  ASSERT_TRUE(pad.plug());
  ASSERT_TRUE(tap(SDL_CONTROLLER_BUTTON_BACK));
  EXPECT_TRUE(menuShown(true)) << "Back: the menu";
  ASSERT_TRUE(game.key("q"));
  EXPECT_EQ(game.waitExit(kPatience), 0);
}

TEST(HenrunE2E, TheBestScoreOutlivesTheProgramAndABadFileIsSetAside) {
  const fs::path data = fs::temp_directory_path() / ("henrun_e2e_records_" + std::to_string(::getpid()));
  fs::remove_all(data);
  const fs::path file = data / "henrun" / "records.txt";
  const std::string seed = "HENRUN_SEED=" + std::to_string(clearSeed());
  auto saved = [&] { return hop::Records("henrun").best("best"); };
  setenv("HOPGAMES_DATA_DIR", data.c_str(), 1);

  // One run: the menu, play until the score changes, die; what is shown.
  struct Seen {
    int menuBest = 0, lostRed = 0, lostWhite = 0;
  };
  auto run = [&]() {
    Seen seen;
    GameSession game({HENRUN_BIN, {}, {}, {seed, "HOPGAMES_DATA_DIR=" + data.string()}});
    const auto w = game.waitForWindow(kTitle);
    EXPECT_NE(w.id, 0u) << game.stderrText();
    const int W = w.width, H = w.height;
    const Rect title{W / 2 - 450, H / 2 - 250, 560, 140}, score{10, 0, 200, 60};
    const Rect menuBest{W / 2 - 110, H / 2 + 205, 300, 55}, lost{W / 2 - 200, H / 2 - 140, 300, 50},
        lostBest{W / 2 - 210, H / 2 + 20, 320, 50};
    EXPECT_TRUE(hoptest::waitUntil(
        [&] { return nearCount(game.screenshot(), {255, 255, 255}, title) > 3000; }, kPatience));
    seen.menuBest = nearCount(game.lastScreenshot(), {255, 255, 255}, menuBest);
    EXPECT_TRUE(game.key("p"));
    EXPECT_TRUE(hoptest::waitUntil(
        [&] { return nearCount(game.screenshot(), {255, 255, 255}, title) < 1500; }, kPatience));
    const Image start = game.screenshot();
    auto isDead = [&] { return nearCount(game.screenshot(), {255, 0, 0}, lost) > 30; };
    bool scored = false, dead = false;
    for (int i = 0; i < 10 && !scored; ++i) {
      holdKey(game, "Up", 300ms, isDead);
      scored = hoptest::waitUntil([&] { return game.screenshot().countDiff(start, score, 60) > 20; }, 3s);
    }
    EXPECT_TRUE(scored);
    for (int i = 0; i < 12 && !dead; ++i) {
      holdKey(game, "Left", 400ms, isDead);
      holdKey(game, "Up", 600ms, isDead);
      dead = hoptest::waitUntil(isDead, 3s);
    }
    EXPECT_TRUE(dead) << "PERDISTE";
    seen.lostRed = nearCount(game.lastScreenshot(), {255, 0, 0}, lostBest);
    seen.lostWhite = nearCount(game.lastScreenshot(), {255, 255, 255}, lostBest);
    EXPECT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(kPatience), 0);
    return seen;
  };

  // No best yet: none on the menu; the run's score becomes the best, in red.
  const Seen first = run();
  EXPECT_LT(first.menuBest, 10);
  EXPECT_GT(first.lostRed, 30) << "¡NUEVO RÉCORD!";
  ASSERT_TRUE(saved().has_value()) << "kept in " << file;
  EXPECT_GT(*saved(), 0);

  // A best no run here reaches: shown on the menu and after the death, in
  // white, and kept.
  {
    std::ofstream out(file);
    hop::writeRecords(out, {{"best", 900}});
  }
  const Seen second = run();
  EXPECT_GT(second.menuBest, 40) << "RÉCORD: 900";
  EXPECT_LT(second.lostRed, 10);
  EXPECT_GT(second.lostWhite, 40) << "RÉCORD: 900";
  EXPECT_EQ(saved(), 900);

  // Garbage: named in one line, set aside, and the game plays with no best.
  {
    std::ofstream out(file);
    out << "\x01\x02 no es un archivo de récords\n";
  }
  {
    GameSession game({HENRUN_BIN, {}, {}, {seed, "HOPGAMES_DATA_DIR=" + data.string()}});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_TRUE(game.waitForOutput(file.string()));
    const Rect title{w.width / 2 - 450, w.height / 2 - 250, 560, 140};
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(hoptest::waitUntil(
        [&] { return nearCount(game.screenshot(), {255, 255, 255}, title) < 1500; }, kPatience))
        << "plays on";
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(kPatience), 0);
  }
  int asideCount = 0;
  for (const auto& entry : fs::directory_iterator(data / "henrun"))
    if (entry.path().filename().string().rfind("records.txt.bad-", 0) == 0) ++asideCount;
  EXPECT_EQ(asideCount, 1);
  unsetenv("HOPGAMES_DATA_DIR");
  fs::remove_all(data);
}
