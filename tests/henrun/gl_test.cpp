// The real frame in an offscreen context, from the program's folder: the
// screens and their texts, the HUD readable under every switch and over any
// scene, the clock in real seconds, long frames, every model drawn where it
// collides, Left, Right and the mouse toward their own side of the screen,
// the hen kept in sight in the follow view, and every file broken in turn.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "app.h"
#include "hoptest/broken.h"
#include "hoptest/events.h"
#include "hoptest/gl.h"
#include "hoptest/localpad.h"

using henrun::Arbol;
using henrun::Calle;
using henrun::Gallina;
using henrun::Game;
using henrun::ObjetoJuego;
using henrun::Pasto;
using henrun::Programa;
using henrun::Teclas;
using hoptest::Color;
using Rect = hoptest::Rect;
namespace fs = std::filesystem;

namespace {

constexpr int kW = 800, kH = 600;

// A world-space box: what a model's drawn triangles span.
struct Span {
  double lo[3] = {1e30, 1e30, 1e30}, hi[3] = {-1e30, -1e30, -1e30};
  int corners = 0;
};

struct HenrunGL : hoptest::GLTest {
  HenrunGL() {
    width = kW;
    height = kH;
  }
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // A virtual controller's events reach the game whether or not the
    // offscreen window has the focus.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    // Bests of this process only: tests running beside it keep theirs.
    records = fs::temp_directory_path() / ("henrun_gl_records_" + std::to_string(::getpid()));
    fs::remove_all(records);
    setenv("HOPGAMES_DATA_DIR", records.c_str(), 1);
    GLTest::SetUp();
    std::srand(2);
    programa = std::make_unique<Programa>(nullptr, width, height, 0);
  }
  void TearDown() override {
    programa.reset();
    GLTest::TearDown();
    fs::remove_all(records);
  }
  Game& g() { return programa->juego().game(); }
  henrun::Camara& camera() { return programa->juego().camera(); }
  void frames(int n, Teclas keys = {}) {
    for (int i = 0; i < n; ++i) programa->frame(now += 16, keys);
  }
  void push(SDL_Event e, int n = 1) {
    SDL_PushEvent(&e);
    frames(n);
  }
  void press(SDL_Keycode key) { push(hoptest::keyEvent(key)); }
  // Menu, then play, on a world with nothing in the hen's way.
  void playOnAnEmptyWorld() {
    frames(2);
    press(SDLK_p);
    for (std::size_t i = 0; i < g().world.size(); ++i) {
      if (g().world[i].esCalle())
        static_cast<Calle&>(g().world[i]).trucks.clear();
      else
        static_cast<Pasto&>(g().world[i]).trees.clear();
    }
  }
  // White text pixels in a band (y from the top of the picture).
  int whiteIn(Rect r) { return countNear({255, 255, 255}, 30, r); }

  // The 3D scene alone, through the game's own camera.
  hoptest::Image scene() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    henrun::setProjectionAndView(camera(), g());
    henrun::drawWorld(g(), camera(), programa->recursos());
    return readFramebuffer();
  }
  // The scene drawn with `o` and without it: the pixels that differ.
  int pixelsOf(ObjetoJuego& o, std::array<double, 3>* mean = nullptr) {
    const hoptest::Image with = scene();
    const henrun::Modelo* m = o.modelo;
    o.modelo = nullptr;
    const hoptest::Image without = scene();
    o.modelo = m;
    int n = 0;
    std::array<double, 3> sum{};
    const int channels = with.channels();
    for (std::size_t i = 0; i < std::size_t(kW * kH * channels); i += std::size_t(channels)) {
      const std::uint8_t *a = with.data() + i, *b = without.data() + i;
      if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) <= 45) continue;
      ++n;
      for (int c = 0; c < 3; ++c) sum[std::size_t(c)] += a[c];
    }
    if (mean && n) *mean = {sum[0] / n, sum[1] / n, sum[2] / n};
    return n;
  }
  // Window position (x right, y up, pixels) of a world point through the
  // game's camera as it is now.
  std::array<double, 2> project(double x, double y, double z) {
    henrun::setProjectionAndView(camera(), g());
    GLdouble mv[16], pr[16], wx = 0, wy = 0, wz = 0;
    const GLint vp[4] = {0, 0, kW, kH};
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    gluProject(x, y, z, mv, pr, vp, &wx, &wy, &wz);
    return {wx, wy};
  }
  // Where the triangles of one object's draw() land in the world: GL's own
  // transform of every corner, read back in feedback mode under a projection
  // whose window coordinates are world units (x + 400, y + 300, depth).
  Span drawnSpan(const ObjetoJuego& o) {
    std::vector<GLfloat> buffer(1 << 20);
    glViewport(0, 0, kW, kH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-400, 400, -300, 300, -2000, 2000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    o.draw();
    const GLint n = glRenderMode(GL_RENDER);
    Span s;
    EXPECT_GT(n, 0) << "feedback overflowed or nothing was drawn";
    for (GLint i = 0; i < n;) {
      const GLfloat token = buffer[std::size_t(i++)];
      int count = 1;
      if (token == GL_POLYGON_TOKEN)
        count = int(buffer[std::size_t(i++)]);
      else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN)
        count = 2;
      else if (token == GL_PASS_THROUGH_TOKEN)
        count = 0, ++i;
      for (int k = 0; k < count; ++k, i += 3) {
        const double p[3] = {buffer[std::size_t(i)] - 400.0, buffer[std::size_t(i) + 1] - 300.0,
                             2000.0 * (1.0 - 2.0 * buffer[std::size_t(i) + 2])};
        for (int a = 0; a < 3; ++a) {
          s.lo[a] = std::min(s.lo[a], p[a]);
          s.hi[a] = std::max(s.hi[a], p[a]);
        }
        ++s.corners;
      }
    }
    return s;
  }

  std::unique_ptr<Programa> programa;
  std::uint32_t now = 0;
  fs::path records;
};

using VirtualPad = hoptest::LocalPad;

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

TEST_F(HenrunGL, HudStaysReadableUnderEverySwitchAndOverAnyScene) {
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
  // Over white (a white model, the clouds) the white letters keep a dark rim.
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  henrun::drawPlaying(*programa->recursos().text, g(), 0);
  glClearColor(0, 0, 0, 1);
  EXPECT_GT(countNear({0, 0, 0}, 70, kScore), 60) << "Puntaje: 0 over white";
}

TEST_F(HenrunGL, TexturesOffGiveEachModelItsOwnColour) {
  frames(2);
  press(SDLK_p);
  press(SDLK_t);
  ASSERT_FALSE(g().texturesOn);
  // The hen, and the truck and tree that show the most of themselves among
  // those in the middle of the picture.
  std::array<double, 3> hen{}, truck{}, tree{}, c{};
  ASSERT_GT(pixelsOf(g().hen, &hen), 100);
  int bestTruck = 0, bestTree = 0;
  const auto [first, last] = g().world.visible(g().hen.z);
  for (std::size_t i = first; i < last; ++i) {
    auto consider = [&](ObjetoJuego& o, int& best, std::array<double, 3>& mean) {
      const auto at = project(o.x + o.length / 2, 1.0, o.z - o.depth / 2);
      if (at[0] < 100 || at[0] > kW - 100 || at[1] < 100 || at[1] > kH - 100) return;
      const int n = pixelsOf(o, &c);
      if (n > best) best = n, mean = c;
    };
    if (g().world[i].esCalle())
      for (auto& t : static_cast<Calle&>(g().world[i]).trucks) consider(*t, bestTruck, truck);
    else
      for (auto& t : static_cast<Pasto&>(g().world[i]).trees) consider(*t, bestTree, tree);
  }
  ASSERT_GT(bestTruck, 100);
  ASSERT_GT(bestTree, 100);
  auto apart = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
  };
  EXPECT_GT(apart(hen, truck), 90) << "hen and trucks";
  EXPECT_GT(apart(hen, tree), 90) << "hen and trees";
  EXPECT_GT(apart(truck, tree), 90) << "trucks and trees";
}

TEST_F(HenrunGL, TheClockShowsRealSecondsAtAnyFrameRate) {
  frames(2);
  press(SDLK_p);
  // 9 frames a second for 4 s of play.
  const std::uint32_t start = now;
  for (int i = 1; i <= 36; ++i) programa->frame(start + std::uint32_t(i * 1000 / 9), {});
  now = start + 4000;
  EXPECT_EQ(programa->juego().clock().seconds, 4);
  // On the menu it stands still.
  press(SDLK_p);
  for (int i = 0; i < 10; ++i) programa->frame(now += 300, {});
  EXPECT_EQ(programa->juego().clock().seconds, 4);
}

TEST_F(HenrunGL, ALongFrameIsSteppedAndBounded) {
  playOnAnEmptyWorld();
  // One frame of 2 s advances the world a quarter of a second: the hen walks
  // 3.75 units (15 a second), not 30.
  const float z0 = g().hen.z;
  programa->frame(now += 2000, {true, false, false});
  EXPECT_NEAR(g().hen.z, z0 - 3.75f, 1e-3);
  ASSERT_EQ(g().hen.state, Gallina::Viva);

  // A tree 1.25 ahead: the same frame, in short steps, stops the hen at it
  // instead of carrying it past the tree's 1.8 units.
  std::size_t i = 11;
  while (g().world[i].esCalle()) ++i;
  Pasto& row = static_cast<Pasto&>(g().world[i]);
  auto tree = std::make_unique<Arbol>(2.f);
  tree->x = -0.9f;
  tree->z = row.z - 1.f;
  row.trees.push_back(std::move(tree));
  g().hen.z = row.z + 0.25f;
  programa->frame(now += 2000, {true, false, false});
  EXPECT_EQ(g().hen.state, Gallina::Golpeada);
  EXPECT_GT(g().hen.z, row.z - 1.f - 1.8f) << "stopped in the tree, not past it";
}

TEST_F(HenrunGL, EveryModelIsDrawnWhereItCollides) {
  frames(2);
  Gallina& hen = g().hen;
  // The hen: over its point, feet on the ground; dead, it lies on that ground.
  for (int state : {Gallina::Viva, Gallina::Atropellada, Gallina::Golpeada}) {
    hen.state = state;
    const Span s = drawnSpan(hen);
    EXPECT_NEAR(s.lo[1], 0.0, 0.05) << "state " << state;
    EXPECT_LT(s.lo[0], hen.x);
    EXPECT_GT(s.hi[0], hen.x);
    EXPECT_LT(s.lo[2], hen.z);
    EXPECT_GT(s.hi[2], hen.z);
    if (state == Gallina::Viva) {
      EXPECT_GT(s.hi[1], 2.0);
    }
    if (state == Gallina::Atropellada) {
      EXPECT_LT(s.hi[1], 0.5) << "flat on the road";
    }
  }
  hen.state = Gallina::Viva;

  // Trucks: x from theirs to 9.5 beyond, z from the road's edge 4 into it.
  // Trees: a 1.8 square from their x and z. Upright, on the ground, filling it.
  int trucks = 0, trees = 0;
  for (std::size_t i = 11; i < g().world.size(); ++i) {
    auto check = [&](const ObjetoJuego& o, double length, double depth, double tallest) {
      const Span s = drawnSpan(o);
      EXPECT_GE(s.lo[0], o.x - 0.05);
      EXPECT_LE(s.hi[0], o.x + length + 0.05);
      EXPECT_GE(s.lo[2], o.z - depth - 0.05);
      EXPECT_LE(s.hi[2], o.z + 0.05);
      EXPECT_GT(s.hi[0] - s.lo[0], 0.9 * length);
      EXPECT_GT(s.hi[2] - s.lo[2], 0.75 * depth);
      EXPECT_NEAR(s.lo[1], 0.0, 0.05) << "on the ground";
      EXPECT_GT(s.hi[1], tallest) << "upright";
    };
    if (g().world[i].esCalle()) {
      for (const auto& t : static_cast<Calle&>(g().world[i]).trucks) {
        SCOPED_TRACE("truck at " + std::to_string(t->x) + ", " + std::to_string(t->z));
        check(*t, 9.5, 4.0, 2.5);
        ++trucks;
      }
    } else {
      for (const auto& t : static_cast<Pasto&>(g().world[i]).trees) {
        SCOPED_TRACE("tree at " + std::to_string(t->x) + ", " + std::to_string(t->z));
        check(*t, 1.8, 1.8, 2.5);
        ++trees;
      }
    }
  }
  EXPECT_GT(trucks, 3);
  EXPECT_GT(trees, 10);
}

TEST_F(HenrunGL, LeftAndRightTurnTowardTheirSideOfTheScreenInBothViews) {
  playOnAnEmptyWorld();
  for (bool follow : {false, true}) {
    SCOPED_TRACE(follow ? "follow view" : "overview");
    auto toStart = [&] {
      g().hen.x = 0;
      g().hen.z = -40;
      g().hen.heading = 270;
      camera().updateCamera(g().hen);
    };
    toStart();
    if (follow) press(SDLK_c);
    // Three walks from one start, seen through the start's camera.
    GLdouble mv[16], pr[16];
    henrun::setProjectionAndView(camera(), g());
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    const Teclas walks[3] = {{true, true, false}, {true, false, false}, {true, false, true}};
    double x[3];
    for (int k = 0; k < 3; ++k) {
      toStart();
      frames(15, walks[k]);
      ASSERT_EQ(g().hen.state, Gallina::Viva);
      const GLint vp[4] = {0, 0, kW, kH};
      GLdouble wy = 0, wz = 0;
      gluProject(g().hen.x, g().hen.y, g().hen.z, mv, pr, vp, &x[k], &wy, &wz);
    }
    EXPECT_LT(x[0], x[1] - 5) << "Left";
    EXPECT_GT(x[2], x[1] + 5) << "Right";
  }
}

TEST_F(HenrunGL, TheMouseTurnsTheFollowViewTheWayItMoves) {
  playOnAnEmptyWorld();
  press(SDLK_c);
  const Gallina& hen = g().hen;
  // A point on the ground 20 beyond the hen, on the screen's middle line.
  auto beyond = [&] { return project(hen.x, 0, hen.z - 20); };
  push(hoptest::clickEvent(400, 300, true, SDL_BUTTON_RIGHT), 2);
  const auto a = beyond();
  const double eyeY = camera().eye.y;
  push(hoptest::motionEvent(0, 12, 400, 312), 2);
  EXPECT_GT(camera().eye.y, eyeY + 0.5) << "down: the view tilts down, the camera rises";
  EXPECT_NEAR(beyond()[0], a[0], 0.5) << "and does not turn";
  const double raised = camera().eye.y;
  push(hoptest::motionEvent(12, 0, 412, 312), 2);
  EXPECT_LT(beyond()[0], a[0] - 5) << "right: the view turns right, what lies beyond the hen goes left";
  EXPECT_NEAR(camera().eye.y, raised, 1e-9) << "at the same height";
  EXPECT_NEAR(std::hypot(camera().eye.x - hen.x, camera().eye.z - hen.z), 15.0, 1e-6) << "round the hen";
  push(hoptest::motionEvent(-12, 0, 400, 312), 2);
  push(hoptest::motionEvent(-12, 0, 388, 312), 2);
  EXPECT_GT(beyond()[0], a[0] + 5) << "left: the other way";
  // Released, the mouse moves nothing.
  push(hoptest::clickEvent(388, 312, false, SDL_BUTTON_RIGHT));
  const henrun::Vec3 eye = camera().eye;
  push(hoptest::motionEvent(40, 40, 428, 352), 2);
  EXPECT_EQ(camera().eye.x, eye.x);
  EXPECT_EQ(camera().eye.y, eye.y);
}

TEST_F(HenrunGL, TheFollowViewKeepsTheHenInSightBehindATree) {
  playOnAnEmptyWorld();
  press(SDLK_c);
  const int open = pixelsOf(g().hen);
  ASSERT_GT(open, 300);
  // A tree between the eye (15 behind the hen, 5 up) and the hen, 3 from it.
  Pasto& row = static_cast<Pasto&>(g().world[9]);
  auto tree = std::make_unique<Arbol>(2.f);
  tree->x = -0.9f;
  tree->z = row.z - 1.f;
  tree->modelo = programa->recursos().tree.get();
  Arbol& t = *tree;
  row.trees.push_back(std::move(tree));
  EXPECT_GT(pixelsOf(g().hen), open / 2) << "the hen shows through the tree";
  EXPECT_GT(pixelsOf(t), 500) << "and the tree is still there";
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

TEST_F(HenrunGL, EveryBrokenFileIsNamed) {
  // Each file deleted, empty, cut in half, random bytes, a folder or a named
  // pipe, in a copy of the game's folder: a file the game draws with is named
  // and refused (the program ends with status 1); a sound file is named and
  // the game plays silently. Nothing blocks.
  programa.reset();
  const fs::path here = fs::current_path(), stage = here.parent_path();
  const fs::path dir = fs::temp_directory_path() / ("henrun-broken-" + std::to_string(::getpid()));
  const std::vector<const char*> files = {
      "Modelos/gallina_plonkito.obj", "Modelos/camion_plonkito.obj", "Modelos/tree.obj",
      "Texturas/texture_voxmold.png", "Texturas/tree.png",          "Texturas/skybox_dia.jpg",
      "Texturas/skybox_noche.png",    "Fuentes/fuente.ttf",         "Sonidos/sonidoJuego.mp3",
      "Sonidos/sonidoMuerte.mp3"};
  std::mt19937 random(8);
  using hoptest::Break;
  for (const char* file : files)
    for (Break how : {hoptest::Deleted, hoptest::Empty, hoptest::Half, hoptest::Garbage, hoptest::Folder,
                      hoptest::Pipe}) {
      const std::string name = std::string("../") + file;
      SCOPED_TRACE(name + " broken as " + std::to_string(int(how)));
      hoptest::stageBroken(stage, dir, files, file, how, random);
      fs::create_directories(dir / "bin");
      ASSERT_EQ(chdir((dir / "bin").c_str()), 0);
      testing::internal::CaptureStdout();
      std::string thrown;
      try {
        Programa p(nullptr, kW, kH, 0);
        p.frame(16, {});
      } catch (const henrun::ErrorArchivo& e) {
        thrown = e.what();
      }
      const std::string said = testing::internal::GetCapturedStdout();
      ASSERT_EQ(chdir(here.c_str()), 0);
      if (std::string(file).rfind("Sonidos/", 0) == 0) {
        EXPECT_EQ(thrown, "");
        // Half a song is a shorter song.
        if (how != hoptest::Half) {
          EXPECT_NE(said.find("Sin sonido: "), std::string::npos) << said;
          EXPECT_NE(said.find(name), std::string::npos) << said;
        }
      } else {
        EXPECT_NE(thrown.find(name), std::string::npos) << thrown << "\n" << said;
      }
      glGetError();
    }
  fs::remove_all(dir);
}

TEST_F(HenrunGL, TheSceneLeavesOutOnlyWhatCannotBeSeen) {
  // The drawing that skips what the camera cannot see, culls back faces,
  // draws the sky last and blends only the see-through pass gives the
  // picture of the plain drawing, in both views, both lights and under
  // every switch, a tree in the hen's way and a dead hen included. Only a
  // few lone pixels may differ: where the plain drawing shows a back face
  // through a hairline seam of a model.
  frames(2);
  press(SDLK_p);
  frames(40, {true, false, true});
  ASSERT_EQ(g().hen.state, Gallina::Viva);
  Pasto& row = static_cast<Pasto&>(g().world[9]);
  auto tree = std::make_unique<Arbol>(2.f);
  tree->x = g().hen.x - 0.9f;
  tree->z = g().hen.z + 3.f;
  tree->modelo = programa->recursos().tree.get();
  row.trees.push_back(std::move(tree));
  auto picture = [&](bool plain) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    henrun::setProjectionAndView(camera(), g());
    henrun::drawWorld(g(), camera(), programa->recursos(), plain);
    return readFramebuffer();
  };
  int compared = 0;
  for (SDL_Keycode k : {SDLK_UNKNOWN, SDLK_c, SDLK_l, SDLK_c, SDLK_w, SDLK_c, SDLK_t, SDLK_w, SDLK_s, SDLK_l}) {
    if (k != SDLK_UNKNOWN) press(k);
    for (int state : {Gallina::Viva, Gallina::Golpeada}) {
      g().hen.state = state;
      SCOPED_TRACE(std::string("after ") + SDL_GetKeyName(k) + ", hen state " + std::to_string(state));
      const hoptest::Image plain = picture(true), fast = picture(false);
      EXPECT_LE(fast.countDiff(plain, Rect{0, 0, kW, kH}, 0), 10);
      ++compared;
    }
    g().hen.state = Gallina::Viva;
  }
  EXPECT_EQ(compared, 20);
}

TEST_F(HenrunGL, AStillScreenIsDrawnOnceThenOnlyWhenSomethingChanges) {
  auto drawn = [&](int n) {
    int count = 0;
    for (int i = 0; i < n; ++i) count += programa->frame(now += 16, {}) ? 1 : 0;
    return count;
  };
  // The loading screen and the menu, then nothing while nothing changes.
  EXPECT_GE(drawn(3), 1);
  EXPECT_EQ(drawn(30), 0);
  EXPECT_TRUE(programa->still());
  const hoptest::Image menu = readFramebuffer();
  EXPECT_GT(whiteIn(kTitle), 2000) << "the menu stays on screen";

  // A key acts in the frame that reads it and is shown on the next one:
  // night under the menu.
  SDL_Event e = hoptest::keyEvent(SDLK_l);
  SDL_PushEvent(&e);
  EXPECT_FALSE(programa->frame(now += 16, {}));
  EXPECT_EQ(g().lightMode, 1);
  EXPECT_FALSE(programa->still());
  EXPECT_EQ(drawn(1), 1);
  EXPECT_GT(readFramebuffer().countDiff(menu, Rect{0, 0, kW, kH}, 20), 1000);
  EXPECT_EQ(drawn(10), 0);

  // The window uncovered: drawn again. A key the game has no use for: not.
  e = SDL_Event{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_EXPOSED;
  SDL_PushEvent(&e);
  EXPECT_EQ(drawn(3), 1);
  e = hoptest::keyEvent(SDLK_F7);
  SDL_PushEvent(&e);
  EXPECT_EQ(drawn(3), 0);

  // The right button orbiting the follow view on the menu: drawn as it moves.
  press(SDLK_c);
  push(hoptest::clickEvent(400, 300, true, SDL_BUTTON_RIGHT));
  EXPECT_EQ(drawn(5), 0);
  const henrun::Vec3 eye = camera().eye;
  push(hoptest::motionEvent(12, 0, 412, 300));
  EXPECT_EQ(drawn(1), 1);
  EXPECT_NE(camera().eye.x, eye.x);
  EXPECT_EQ(drawn(5), 0);
  push(hoptest::clickEvent(412, 300, false, SDL_BUTTON_RIGHT));

  // Play: every frame drawn. A death: the lost screen once, then still.
  press(SDLK_p);
  EXPECT_EQ(drawn(20), 20);
  g().hen.z = -34.f;  // behind the start line
  EXPECT_TRUE(programa->frame(now += 16, {true, false, false}));
  ASSERT_EQ(g().hen.state, Gallina::Golpeada);
  EXPECT_EQ(drawn(20), 1);
  EXPECT_GT(countNear({255, 0, 0}, 40, Rect{200, 150, 200, 60}), 30) << "PERDISTE";
}

TEST_F(HenrunGL, AControllerPlaysTheGame) {
  frames(3);
  VirtualPad pad;
  frames(2);
  ASSERT_EQ(programa->pads().count(), 1);
  // Frames with what the pads hold, as the program's loop reads them.
  auto run = [&](int n) {
    for (int i = 0; i < n; ++i) programa->frame(now += 16, programa->keys());
  };
  auto tap = [&](SDL_GameControllerButton b, VirtualPad* on = nullptr) {
    if (!on) on = &pad;
    on->button(b, true);
    run(2);
    on->button(b, false);
    run(2);
  };

  // A on the menu: play. Start: the menu again, and play again.
  tap(SDL_CONTROLLER_BUTTON_A);
  ASSERT_FALSE(g().paused);
  tap(SDL_CONTROLLER_BUTTON_START);
  EXPECT_TRUE(g().paused);
  EXPECT_GT(whiteIn(kTitle), 2000) << "the menu";
  tap(SDL_CONTROLLER_BUTTON_START);
  EXPECT_FALSE(g().paused);
  tap(SDL_CONTROLLER_BUTTON_BACK);
  EXPECT_TRUE(g().paused) << "Back opens the menu";
  tap(SDL_CONTROLLER_BUTTON_A);
  ASSERT_FALSE(g().paused);
  for (std::size_t i = 0; i < g().world.size(); ++i) {
    if (g().world[i].esCalle())
      static_cast<Calle&>(g().world[i]).trucks.clear();
    else
      static_cast<Pasto&>(g().world[i]).trees.clear();
  }

  // The stick forward walks; with the d-pad left or right the hen turns
  // toward that side of the screen, as the start's camera sees it.
  GLdouble mv[16], pr[16];
  auto toStart = [&] {
    g().hen.x = 0;
    g().hen.z = -40;
    g().hen.heading = 270;
    camera().updateCamera(g().hen);
  };
  toStart();
  henrun::setProjectionAndView(camera(), g());
  glGetDoublev(GL_MODELVIEW_MATRIX, mv);
  glGetDoublev(GL_PROJECTION_MATRIX, pr);
  const SDL_GameControllerButton turns[3] = {SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_INVALID,
                                             SDL_CONTROLLER_BUTTON_DPAD_RIGHT};
  double x[3], y[3];
  for (int k = 0; k < 3; ++k) {
    toStart();
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    if (k != 1) pad.button(turns[k], true);
    run(16);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    if (k != 1) pad.button(turns[k], false);
    run(2);
    ASSERT_EQ(g().hen.state, Gallina::Viva);
    const GLint vp[4] = {0, 0, kW, kH};
    GLdouble wz = 0;
    gluProject(g().hen.x, g().hen.y, g().hen.z, mv, pr, vp, &x[k], &y[k], &wz);
  }
  const auto start = [&] {
    GLdouble sx = 0, sy = 0, sz = 0;
    const GLint vp[4] = {0, 0, kW, kH};
    gluProject(0, g().hen.y, -40, mv, pr, vp, &sx, &sy, &sz);
    return std::array<double, 2>{sx, sy};
  }();
  EXPECT_GT(y[1], start[1] + 5) << "forward: up the screen";
  EXPECT_LT(x[0], x[1] - 5) << "Left";
  EXPECT_GT(x[2], x[1] + 5) << "Right";

  // On the menu, a shoulder: the follow view. The right stick turns it
  // round the hen, the still menu drawn anew while it leans.
  tap(SDL_CONTROLLER_BUTTON_START);
  tap(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
  EXPECT_EQ(camera().cameraMode, henrun::Camara::Follow);
  const double angle = camera().orbitAngle;
  pad.axis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
  run(30);
  pad.axis(SDL_CONTROLLER_AXIS_RIGHTX, 0);
  run(2);
  EXPECT_GT(std::abs(camera().orbitAngle - angle), 0.25) << "half a second at full tilt";
  tap(SDL_CONTROLLER_BUTTON_START);
  ASSERT_FALSE(g().paused);

  // Unplugged mid-walk: the game waits on its menu, and once resumed from
  // the keyboard the hen stands: nothing is left held.
  pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
  run(5);
  ASSERT_TRUE(programa->keys().up);
  pad.unplug();
  run(3);
  EXPECT_TRUE(g().paused);
  EXPECT_FALSE(programa->keys().up);
  press(SDLK_p);
  const float z = g().hen.z;
  run(20);
  EXPECT_FALSE(g().paused);
  EXPECT_EQ(g().hen.z, z);

  // After a death, B (or A) goes back to the menu with a new world.
  VirtualPad again;
  run(3);
  g().hen.z = -34.f;  // behind the start line
  programa->frame(now += 16, {true, false, false});
  ASSERT_EQ(g().hen.state, Gallina::Golpeada);
  tap(SDL_CONTROLLER_BUTTON_B, &again);
  EXPECT_EQ(g().hen.state, Gallina::Viva);
  EXPECT_TRUE(g().paused);
}

TEST_F(HenrunGL, TheBestScoreIsShownOnTheMenuAndAfterADeath) {
  const Rect menuBest{280, 505, 300, 55}, lostBest{190, 320, 300, 50};
  frames(3);
  EXPECT_LT(whiteIn(menuBest), 10) << "no best yet";
  auto dieWith = [&](int score) {
    press(SDLK_p);
    g().score = score;
    g().hen.z = -34.f;
    programa->frame(now += 16, {true, false, false});
    frames(2);
    EXPECT_EQ(g().hen.state, Gallina::Golpeada);
  };
  dieWith(7);
  EXPECT_EQ(programa->records().best("best"), 7);
  EXPECT_GT(countNear({255, 0, 0}, 40, lostBest), 30) << "¡NUEVO RÉCORD!";
  press(SDLK_RETURN);
  frames(3);
  EXPECT_GT(whiteIn(menuBest), 40) << "RÉCORD: 7";
  // A worse run: the best stays, shown in white.
  dieWith(3);
  EXPECT_EQ(programa->records().best("best"), 7);
  EXPECT_LT(countNear({255, 0, 0}, 40, lostBest), 10);
  EXPECT_GT(whiteIn(lostBest), 40) << "RÉCORD: 7";
  // A run still going when the program ends counts too.
  press(SDLK_RETURN);
  frames(3);
  press(SDLK_p);
  g().score = 9;
  programa.reset();
  EXPECT_EQ(hop::Records("henrun").best("best"), 9);
}
