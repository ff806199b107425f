// The real frame in an offscreen context, from the program's folder: the
// loading and menu screens, texts kept while they stay the same, the HUD
// readable under every switch, the follow camera's aspect and the sky.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>

#include "app.h"
#include "hoptest/events.h"
#include "hoptest/gl.h"

using henrun::Programa;
using henrun::Teclas;
using henrun::Game;
using hoptest::Color;
using Rect = hoptest::Rect;

namespace {

struct HenrunGL : hoptest::GLTest {
  HenrunGL() {
    width = 800;
    height = 600;
  }
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    GLTest::SetUp();
    std::srand(2);
    programa = std::make_unique<Programa>(nullptr, width, height, 0);
  }
  void TearDown() override {
    programa.reset();
    GLTest::TearDown();
  }
  void frames(int n, Teclas keys = {}) {
    for (int i = 0; i < n; ++i) programa->frame(now += 16, keys);
  }
  void press(SDL_Keycode key) {
    SDL_Event e = hoptest::keyEvent(key);
    SDL_PushEvent(&e);
    frames(1);
  }
  // White text pixels in a band (y from the top of the picture).
  int whiteIn(Rect r) { return countNear({255, 255, 255}, 30, r); }

  std::unique_ptr<Programa> programa;
  std::uint32_t now = 0;
};

// "Puntaje: N" sits 50 px below the top, left; "Tiempo: N" at the right.
const Rect kScore{10, 30, 150, 25};
const Rect kTitle{0, 140, 800, 140};

}  // namespace

TEST_F(HenrunGL, MenuThenPlayWithTextsRenderedOnceEach) {
  frames(1);
  EXPECT_FALSE(programa->juego().needsWorld()) << "the first frame builds the world behind the loading screen";
  EXPECT_EQ(programa->juego().game().world.size(), 31u);
  frames(2);
  EXPECT_GT(whiteIn(kTitle), 2000) << "PLONKITO";
  const auto menu = readFramebuffer();
  const int rendered = programa->recursos().text->renders();
  frames(20);
  EXPECT_EQ(programa->recursos().text->renders(), rendered) << "the menu's texts are not rendered again";

  press(SDLK_p);
  frames(2);
  EXPECT_FALSE(programa->juego().game().paused);
  EXPECT_GT(readFramebuffer().countDiff(menu, kTitle, 60), 20000) << "the menu and its veil are gone";
  EXPECT_GT(whiteIn(kScore), 40) << "Puntaje: 0";
  // Walk until the score changes: the old text is freed, the new one made once.
  const int before = programa->recursos().text->renders();
  for (int i = 0; i < 60 && programa->juego().game().score == 0 && !programa->juego().game().paused; ++i)
    frames(1, {true, false, false});
  frames(5);
  EXPECT_LE(programa->recursos().text->renders(), before + 3);
  EXPECT_LE(programa->recursos().text->cached(), 6u);
}

TEST_F(HenrunGL, HudStaysReadableUnderEverySwitch) {
  frames(2);
  press(SDLK_p);
  frames(2);
  // The HUD over a black screen, in whatever state drawing the world left:
  // the same pixels under every switch.
  auto hud = [&] {
    henrun::Juego& j = programa->juego();
    henrun::drawWorld(j.game(), j.camera(), programa->recursos());
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    henrun::drawPlaying(*programa->recursos().text, j.game(), 0);
    return whiteIn(kScore);
  };
  const int normal = hud();
  ASSERT_GT(normal, 40);
  for (SDL_Keycode k : {SDLK_w, SDLK_t, SDLK_s, SDLK_l, SDLK_c}) {
    press(k);
    frames(2);
    EXPECT_EQ(hud(), normal) << "after " << SDL_GetKeyName(k);
  }
}

TEST_F(HenrunGL, FollowCameraUsesTheScreensAspectAndDrawsTheSky) {
  frames(2);
  press(SDLK_p);
  press(SDLK_c);
  Game wide(1920, 1080);
  henrun::setProjectionAndView(programa->juego().camera(), wide);
  GLfloat m[16];
  glGetFloatv(GL_PROJECTION_MATRIX, m);
  EXPECT_NEAR(m[5] / m[0], 1920.0 / 1080.0, 1e-3);

  frames(2);
  const auto day = readFramebuffer();
  press(SDLK_l);
  frames(2);
  // The sky's top band changes from day to night.
  EXPECT_GT(readFramebuffer().countDiff(day, Rect{0, 60, 800, 60}, 40), 20000);
}
