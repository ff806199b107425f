// The real program under Xvfb: menu, play, score, a death, back to the menu,
// quit; and a model file that is missing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

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
  bool scored = false;
  for (int i = 0; i < 10 && !scored; ++i) {
    game.hold("Up", 300ms);
    scored = hoptest::waitUntil([&] { return game.screenshot().countDiff(before, score, 60) > 20; }, 3s);
  }
  EXPECT_TRUE(scored) << "the score rose";

  // Turn about and walk back past the start line: PERDISTE, in red.
  const Rect lost{W / 2 - 200, H / 2 - 140, 300, 50};
  bool dead = false;
  for (int i = 0; i < 12 && !dead; ++i) {
    game.hold("Left", 400ms);
    game.hold("Up", 600ms);
    dead = hoptest::waitUntil([&] { return nearCount(game.screenshot(), {255, 0, 0}, lost) > 30; }, 3s);
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

TEST(HenrunE2E, MissingFilesAreNamed) {
  // A copy of the game's folder without the tree model: the loader's message,
  // the file named, and the game plays on with bare trees.
  const fs::path stage = fs::path(HENRUN_BIN).parent_path().parent_path();
  const fs::path copy = fs::temp_directory_path() / ("henrun_e2e_" + std::to_string(::getpid()));
  fs::remove_all(copy);
  fs::copy(stage, copy, fs::copy_options::recursive);
  fs::remove(copy / "Modelos/tree.obj");
  {
    GameSession game(hoptest::Launch((copy / "bin/henrun").string()));
    EXPECT_TRUE(game.waitForOutput("Impossible to open the file !", kPatience)) << game.stdoutText();
    EXPECT_TRUE(game.waitForOutput("tree.obj", kPatience));
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(game.key("Escape"));
    EXPECT_EQ(game.waitExit(kPatience), 0);
  }
  // Without its font it cannot draw a word: it says which file and ends with status 1.
  fs::remove(copy / "Fuentes/fuente.ttf");
  {
    GameSession game(hoptest::Launch((copy / "bin/henrun").string()));
    EXPECT_EQ(game.waitExit(kPatience), 1);
    EXPECT_NE(game.stderrText().find("fuente.ttf"), std::string::npos) << game.stderrText();
  }
  fs::remove_all(copy);
}
