// The hen game's rules without a window: the generated world, trucks, the
// hen's steering and deaths, the score, crossing, the key table, the clock
// and cameras; and its readers, fed strings and broken files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "app.h"
#include "juego.h"
#include "recursos.h"

using namespace henrun;
namespace fs = std::filesystem;

namespace {

struct RecordingAudio : Audio {
  std::vector<std::string> calls;
  void playMusic() override { calls.push_back("music"); }
  void pauseAllSounds(bool paused) override { calls.push_back(paused ? "pause" : "resume"); }
  void playDeathSound() override { calls.push_back("death"); }
};

Pasto& grass(RowSet& rows, std::size_t i) { return static_cast<Pasto&>(rows[i]); }

// A game already on its world, playing, with nothing in the hen's way.
struct Playing {
  RecordingAudio audio;
  Juego juego{1920, 1080, 0, &audio};
  explicit Playing(unsigned seed = 1) {
    std::srand(seed);
    juego.buildWorld();
    clearAhead();
    juego.keyDown(Tecla::P, 0);
  }
  // Grass without trees for the rows a test walks over.
  void clearAhead() {
    RowSet& rows = juego.game().world;
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (!rows[i].esCalle())
        grass(rows, i).trees.clear();
      else
        static_cast<Calle&>(rows[i]).trucks.clear();
  }
  Game& g() { return juego.game(); }
  void walk(int frames, Teclas keys = {true, false, false}, int dt = 16) {
    for (int i = 0; i < frames; ++i) juego.update(dt, keys);
  }
};

}  // namespace

TEST(HenrunWorld, GenerationLaysTheStartAreaRowsTreesAndTrucks) {
  int roads = 0, trees = 0, grassRows = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::srand(seed);
    RowSet rows;
    rows.generate();
    ASSERT_EQ(rows.size(), 31u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const Fila& row = rows[i];
      EXPECT_FLOAT_EQ(row.x, -50.f);
      EXPECT_FLOAT_EQ(row.z, -4.f * float(i));
      if (i <= 10) {
        ASSERT_FALSE(row.esCalle()) << "row " << i;
      }
      if (row.esCalle()) {
        const auto& road = static_cast<const Calle&>(row);
        ++roads;
        EXPECT_GE(road.laneSpeed, 0.03f - 1e-6f);
        EXPECT_LE(road.laneSpeed, 0.10f + 1e-6f);
        ASSERT_GE(road.trucks.size(), 1u);
        ASSERT_LE(road.trucks.size(), 3u);
        EXPECT_FLOAT_EQ(road.trucks[0]->x, -50.f);
        if (road.trucks.size() > 1) {
          const float gap = road.trucks[1]->x - road.trucks[0]->x;
          EXPECT_GE(gap, 11.f);
          EXPECT_LE(gap, 20.f);
        }
        for (const auto& t : road.trucks) EXPECT_EQ(t->speed, road.laneSpeed);
      } else {
        const auto& p = static_cast<const Pasto&>(row);
        EXPECT_EQ(p.shade, float(i % 2));
        if (i >= 8 && i <= 10) {
          EXPECT_TRUE(p.trees.empty()) << "start area row " << i;
        }
        if (i > 10) ++grassRows;
        for (const auto& t : p.trees) {
          ++trees;
          EXPECT_FLOAT_EQ(t->z, row.z - 1.f);
          // x = -50 + 5k + (r + 1): k 1..18, r 0..3.
          const int off = int(std::lround(t->x + 50.f));
          EXPECT_GE(off, 6);
          EXPECT_LE(off, 94);
          EXPECT_NE(off % 5, 0);
          EXPECT_GE(t->scaleY, 1.6f - 1e-6f);
          EXPECT_LE(t->scaleY, 2.4f + 1e-6f);
        }
      }
    }
  }
  // Rows 11..30 are grass or road by a fair draw; a tree stands at each of
  // 18 places with odds of one in three.
  EXPECT_GT(roads, 40 * 20 / 2 - 80);
  EXPECT_LT(roads, 40 * 20 / 2 + 80);
  const double perRow = double(trees) / double(40 * 8 + grassRows);
  EXPECT_NEAR(perRow, 6.0, 0.6);
}

TEST(HenrunWorld, VisibleRowsAreThoseWithin60BehindAnd50Ahead) {
  std::srand(3);
  RowSet rows;
  rows.generate();
  for (int k = 0; k < 200; ++k) rows.append();
  for (float henZ : {-40.f, -44.f, -123.4f, -400.f, -20.f}) {
    const auto [first, last] = rows.visible(henZ);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const bool in = henZ - 60 < rows[i].z && rows[i].z < henZ + 50;
      EXPECT_EQ(in, i >= first && i < last) << "row " << i << " hen z " << henZ;
    }
  }
}

TEST(HenrunTrucks, DriveWrapAndHitWithinTheirBox) {
  Calle road;
  road.x = -50;
  road.z = -48;
  road.laneSpeed = 0.05f;
  road.trucks.push_back(std::make_unique<Camion>(10.f, 0.f, -48.f, 0.05f));
  Gallina hen;
  hen.x = 100;  // out of the way
  moveTrucks(road, hen, 1.f, 16);
  EXPECT_FLOAT_EQ(road.trucks[0]->x, 10.f + 0.05f * 16 / 20);
  moveTrucks(road, hen, 2.f, 16);
  EXPECT_FLOAT_EQ(road.trucks[0]->x, 10.f + 3 * 0.05f * 16 / 20) << "speed 2.0 doubles the trucks";
  // Past x = 50 the truck comes back whole at the left edge, without moving that step.
  road.trucks[0]->x = 50.01f;
  moveTrucks(road, hen, 1.f, 16);
  EXPECT_FLOAT_EQ(road.trucks[0]->x, -59.5f);

  // The hit box: x from the truck's x to 9.5 beyond, |z| from the row's to 4 beyond.
  struct Case {
    float x, z;
    bool hit;
  } cases[] = {{0.f, -50.f, true},   {-0.5f, -50.f, false}, {9.5f, -50.f, true}, {9.6f, -50.f, false},
               {5.f, -48.f, true},   {5.f, -52.f, true},    {5.f, -47.9f, false}, {5.f, -52.1f, false}};
  for (const Case& c : cases) {
    road.trucks[0]->x = 0.f;
    road.trucks[0]->speed = 0.f;
    hen.x = c.x;
    hen.z = c.z;
    EXPECT_EQ(moveTrucks(road, hen, 1.f, 16), c.hit) << c.x << ", " << c.z;
  }
}

TEST(HenrunHen, WalksAlongItsHeadingAndTurnsByWholeSteps) {
  Gallina hen;
  EXPECT_TRUE(steerHen(hen, {true, false, false}, 1.f, 20));
  EXPECT_NEAR(hen.x, 0.f, 1e-5);
  EXPECT_NEAR(hen.z, -40.3f, 1e-5) << "heading 270 walks toward -z at 0.3 per 20 ms";
  steerHen(hen, {true, false, false}, 2.f, 20);
  EXPECT_NEAR(hen.z, -40.9f, 1e-5) << "speed 2.0 doubles the walk";

  // Turn step: 4 dt / 20 truncated: 3 degrees at 16 ms, 4 at 20, 0 below 5 ms.
  hen.heading = 270;
  EXPECT_FALSE(steerHen(hen, {false, true, false}, 1.f, 16));
  EXPECT_EQ(hen.heading, 273);
  steerHen(hen, {false, false, true}, 2.f, 20);
  EXPECT_EQ(hen.heading, 269) << "turning is not sped up";
  steerHen(hen, {false, true, false}, 1.f, 4);
  EXPECT_EQ(hen.heading, 269);
  // Without Up, Right wins over Left; with Up, both together do not turn.
  steerHen(hen, {false, true, true}, 1.f, 20);
  EXPECT_EQ(hen.heading, 265);
  steerHen(hen, {true, true, true}, 1.f, 20);
  EXPECT_EQ(hen.heading, 265);
  steerHen(hen, {true, true, false}, 1.f, 20);
  EXPECT_EQ(hen.heading, 269);
}

TEST(HenrunHen, DiesOutsideTheCorridorBehindTheStartAndInTrees) {
  std::srand(5);
  RowSet rows;
  rows.generate();
  Gallina hen;
  EXPECT_FALSE(henBlocked(hen, rows)) << "the start line itself";
  hen.z = -35.f;
  EXPECT_FALSE(henBlocked(hen, rows));
  hen.z = -34.99f;
  EXPECT_TRUE(henBlocked(hen, rows));
  hen.z = -40.f;
  for (float x : {39.8f, -39.8f}) {
    hen.x = x;
    EXPECT_FALSE(henBlocked(hen, rows)) << x;
  }
  for (float x : {39.81f, -39.81f}) {
    hen.x = x;
    EXPECT_TRUE(henBlocked(hen, rows)) << x;
  }
  // A tree's square: x from its x to 1.8 beyond, |z| from its |z| to 1.8 beyond.
  Pasto& row12 = static_cast<Pasto&>(rows[12].esCalle() ? rows[0] : rows[12]);
  row12.trees.clear();
  auto tree = std::make_unique<Arbol>(2.f);
  tree->x = 10.f;
  tree->z = row12.z - 1.f;
  const float tz = tree->z;
  row12.trees.push_back(std::move(tree));
  struct Case {
    float x, z;
    bool dead;
  } cases[] = {{10.f, tz, true},  {11.8f, tz - 1.8f, true}, {9.99f, tz, false},
               {11.81f, tz, false}, {10.5f, tz + 0.01f, false}, {10.5f, tz - 1.81f, false}};
  for (const Case& c : cases) {
    hen.x = c.x;
    hen.z = c.z;
    EXPECT_EQ(henBlocked(hen, rows), c.dead && c.z <= -35.f) << c.x << ", " << c.z;
  }
}

TEST(HenrunRules, ScoreCountsRowsPastTheStartAreaAndAppendsOneRowEach) {
  EXPECT_EQ(rowsGained(-40.f), -1);
  EXPECT_EQ(rowsGained(-44.f), 0);
  EXPECT_EQ(rowsGained(-44.01f), 1);
  EXPECT_EQ(rowsGained(-48.01f), 2);

  Playing p;
  const std::size_t rows = p.g().world.size();
  // Turning in place and walking sideways never score.
  p.walk(60, {false, true, false});
  EXPECT_EQ(p.g().score, 0);
  p.g().hen.heading = 180;
  p.g().hen.z = -42.f;
  p.walk(60);
  EXPECT_EQ(p.g().score, 0);
  p.g().hen.heading = 270;
  p.g().hen.x = 0;
  p.clearAhead();
  p.walk(30);  // 7.2 units: past z -44 and -48
  EXPECT_EQ(p.g().score, rowsGained(p.g().hen.z));
  EXPECT_EQ(p.g().score, 2);
  EXPECT_EQ(p.g().world.size(), rows + 2);
  EXPECT_EQ(p.g().hen.state, Gallina::Viva);
}

TEST(HenrunRules, KeyTableSoundAndRestart) {
  RecordingAudio audio;
  Juego j(1920, 1080, 1000, &audio);
  std::srand(9);
  j.buildWorld();
  EXPECT_TRUE(j.game().paused);
  j.keyDown(Tecla::Enter, 1000);
  EXPECT_FALSE(j.needsWorld()) << "Enter does nothing while the hen is alive";
  j.keyDown(Tecla::P, 1000);
  EXPECT_FALSE(j.game().paused);
  j.keyDown(Tecla::P, 1000);
  j.keyDown(Tecla::P, 1000);
  EXPECT_EQ(audio.calls, (std::vector<std::string>{"music", "pause", "resume"}));

  for (Tecla t : {Tecla::W, Tecla::T, Tecla::S, Tecla::V, Tecla::L}) j.keyDown(t, 1000);
  EXPECT_FALSE(j.game().filled);
  EXPECT_FALSE(j.game().texturesOn);
  EXPECT_TRUE(j.game().flatShading);
  EXPECT_EQ(j.game().speedFactor, 2.f);
  EXPECT_EQ(j.game().lightMode, 1);
  j.keyDown(Tecla::V, 1000);
  j.keyDown(Tecla::L, 1000);
  EXPECT_EQ(j.game().speedFactor, 1.f);
  EXPECT_EQ(j.game().lightMode, 0);

  // Death: the game pauses itself, the death sound plays, P does nothing.
  j.game().hen.z = -30.f;
  j.update(16, {true, false, false});
  EXPECT_EQ(j.game().hen.state, Gallina::Golpeada);
  EXPECT_TRUE(j.game().paused);
  EXPECT_EQ(audio.calls.back(), "death");
  j.keyDown(Tecla::P, 1000);
  EXPECT_TRUE(j.game().paused);
  EXPECT_EQ(audio.calls.size(), 4u);

  // Enter: a new game on the menu, a new world and clock; the next P starts the music again.
  j.clock().seconds = 7;
  j.keyDown(Tecla::Enter, 5000);
  EXPECT_TRUE(j.needsWorld());
  EXPECT_EQ(j.game().hen.state, Gallina::Viva);
  EXPECT_EQ(j.game().score, 0);
  EXPECT_TRUE(j.game().filled);
  EXPECT_EQ(j.clock().seconds, 0);
  EXPECT_EQ(j.camera().cameraMode, Camara::Overview);
  j.buildWorld();
  j.keyDown(Tecla::P, 5000);
  EXPECT_EQ(audio.calls.back(), "music");

  EXPECT_FALSE(j.quitRequested());
  j.keyDown(Tecla::Q, 5000);
  EXPECT_TRUE(j.quitRequested());
}

TEST(HenrunRules, ClockCountsRealTimeOnlyInPlayAndPausedStopsTheWorld) {
  FrameClock c(100);
  // 110 ms frames in play, then paused ones: only the first count.
  std::uint32_t t = 100;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(c.frameStart(t += 110, false), 110);
  EXPECT_EQ(c.seconds, 1);
  for (int i = 0; i < 200; ++i) c.frameStart(t += 16, true);
  EXPECT_EQ(c.seconds, 1);
  EXPECT_EQ(c.playedMs, 1100);
  EXPECT_EQ(c.nextFrame, 100u + 210u * 16u);
  // Late by far more than a few frames: no catch-up burst afterwards.
  EXPECT_EQ(c.sleepFor(t + 5000), 0);
  c.frameStart(t + 5000, false);
  EXPECT_GT(c.sleepFor(t + 5000), 0);

  Playing p;
  p.juego.keyDown(Tecla::P, 0);  // back to the menu
  const float z = p.g().hen.z;
  p.walk(100);
  EXPECT_EQ(p.g().hen.z, z);
}

TEST(HenrunCamera, OverviewFollowsZAndFollowOrbitsWithinLimits) {
  Camara cam;
  Gallina hen;
  hen.x = 3;
  hen.z = -100;
  cam.updateCamera(hen);
  EXPECT_EQ(cam.eye.x, 7);
  EXPECT_EQ(cam.eye.y, 10);
  EXPECT_EQ(cam.eye.z, -95);
  EXPECT_EQ(cam.centre.x, 0);
  EXPECT_EQ(cam.centre.z, -107);

  cam.toggleCamera(hen);
  EXPECT_EQ(cam.cameraMode, Camara::Follow);
  EXPECT_FLOAT_EQ(float(cam.eye.x), 3.f);
  EXPECT_FLOAT_EQ(float(cam.eye.y), hen.y + 5);
  EXPECT_FLOAT_EQ(float(cam.eye.z), -85.f);
  // Small moves do nothing; each move of more than 2 pixels turns by 0.1:
  // across the screen round the hen, up and down in height.
  cam.orbit(hen, 2, -2);
  EXPECT_EQ(cam.orbitAngle, 0);
  cam.orbit(hen, -3, 0);
  EXPECT_NEAR(cam.orbitAngle, 0.1, 1e-9);
  cam.orbit(hen, 3, 0);
  cam.orbit(hen, 3, 0);
  EXPECT_NEAR(cam.orbitAngle, 6.283185307179586 - 0.1, 1e-9) << "wraps below zero";
  EXPECT_NEAR(cam.eye.y, hen.y + 5, 1e-6) << "a level move keeps the height";
  for (int i = 0; i < 40; ++i) cam.orbit(hen, 0, 3);
  EXPECT_NEAR(cam.orbitElevation, 1.5707963, 1e-6);
  EXPECT_NEAR(cam.eye.y, hen.y + 15.0, 1e-6);
  for (int i = 0; i < 40; ++i) cam.orbit(hen, 0, -3);
  EXPECT_NEAR(cam.orbitElevation, 0.2, 1e-9);
  const double d = std::hypot(cam.eye.x - hen.x, cam.eye.z - hen.z);
  EXPECT_NEAR(d, 15.0, 1e-5);
  // The hen walks on: the orbited camera keeps its place round it.
  const double ex = cam.eye.x - hen.x, ey = cam.eye.y, ez = cam.eye.z - hen.z;
  hen.z -= 4;
  cam.updateCamera(hen);
  EXPECT_NEAR(cam.eye.x - hen.x, ex, 1e-9);
  EXPECT_NEAR(cam.eye.y, ey, 1e-9);
  EXPECT_NEAR(cam.eye.z - hen.z, ez, 1e-9);

  cam.toggleCamera(hen);
  EXPECT_EQ(cam.cameraMode, Camara::Overview);
  EXPECT_EQ(cam.eye.z, -99);
  EXPECT_EQ(cam.orbitAngle, 0);
  EXPECT_EQ(cam.orbitElevation, Camara::kStartElevation);
  cam.orbit(hen, 50, 0);
  EXPECT_EQ(cam.orbitAngle, 0) << "the overview does not orbit";
}

namespace {

// A player who looks before it goes (or one that only minds the trees). It
// only ever stops in the last free
// band of a grass row (past that row's trees, before the next row's): there
// it steps sideways to a place clear of the trees of the next grass row
// ahead, waits until every truck of the roads between will stay away from
// that place while it walks across, then walks straight to the far band of
// that grass row. The trucks' course is foreseen the way a watching player
// would: each drives at its lane's speed and comes back on the left.
struct CautiousHen {
  explicit CautiousHen(unsigned seed) {
    std::srand(seed);
    juego.buildWorld();
    juego.keyDown(Tecla::P, 0);
  }
  RecordingAudio audio;
  Juego juego{1920, 1080, 0, &audio};
  static constexpr float kStep = 0.3f * 16 / 20;  // the walk of one 16 ms frame

  Gallina& hen() { return juego.game().hen; }
  Fila& row(int i) { return juego.game().world[std::size_t(i)]; }
  bool alive() { return hen().state == Gallina::Viva; }
  void frame(Teclas keys) { juego.update(16, keys); }
  void face(int heading) {
    while (alive() && hen().heading != heading) frame({false, hen().heading < heading, hen().heading > heading});
  }
  void forwardTo(float z) {
    while (alive() && hen().z > z) frame({true, false, false});
  }
  void sidewaysTo(float x) {
    const float dir = x > hen().x ? 1.f : -1.f;
    if ((x - hen().x) * dir <= kStep / 2) return;
    face(dir > 0 ? 180 : 360);  // heading 180 walks toward +x, 360 toward -x
    while (alive() && (x - hen().x) * dir > kStep / 2) frame({true, false, false});
    face(270);
  }
  // The place nearest the hen, from `from` on, clear of a grass row's trees.
  float clearPlace(const Pasto& grassRow, float from) {
    for (float d = 0; d < 80; d += 0.1f)
      for (float x : {from + d, from - d}) {
        if (std::fabs(x) > 38.f) continue;
        bool clear = true;
        for (const auto& t : grassRow.trees) clear = clear && (x < t->x - 0.5f || x > t->x + t->length + 0.5f);
        if (clear) return x;
      }
    return from;
  }
  // Whether walking straight ahead from now on keeps clear of every truck
  // of roads first..last, with a frame's walk and a unit of room to spare.
  bool trafficClear(int first, int last) {
    const float z0 = hen().z, x = hen().x;
    for (int r = first; r <= last; ++r) {
      const Calle& road = static_cast<const Calle&>(row(r));
      const int in = int((z0 - road.z) / kStep), out = int((z0 - road.z + 4.f) / kStep) + 1;
      for (const auto& t : road.trucks) {
        float tx = t->x;
        for (int f = 1; f <= out + 4; ++f) {
          if (tx > 50.f) {
            tx = -59.5f;
            continue;
          }
          tx += t->speed * 16 / 20;
          if (f >= in - 3 && tx - 1.f <= x && x <= tx + 9.5f + 1.f) return false;
        }
      }
    }
    return true;
  }
  // Crosses until `rows` rows are gained, waiting for the traffic when
  // `watching`; false when it died or was stuck.
  bool cross(int rows, bool watching = true) {
    forwardTo(row(10).z - 3.4f);
    while (alive() && juego.game().score < rows) {
      const int here = int(std::floor(-hen().z / Fila::kRowDepth));
      int land = here + 1;
      while (row(land).esCalle()) ++land;
      sidewaysTo(clearPlace(static_cast<const Pasto&>(row(land)), hen().x));
      for (int waited = 0; watching && alive() && !trafficClear(here + 1, land - 1); ++waited) {
        if (waited > 6000) return false;  // a minute and a half: trapped
        frame({});
      }
      forwardTo(row(land).z - 3.4f);
    }
    return alive();
  }
};

}  // namespace

TEST(HenrunRules, AHenThatWaitsForAGapCrossesAndOneThatRunsBlindIsRunOver) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    CautiousHen cautious(seed);
    EXPECT_TRUE(cautious.cross(40)) << "seed " << seed << ": score " << cautious.juego.game().score << ", state "
                                    << cautious.hen().state;
    // The same way round the trees, into the roads without a look.
    CautiousHen blind(seed);
    EXPECT_FALSE(blind.cross(100, false));
    EXPECT_EQ(blind.hen().state, Gallina::Atropellada)
        << "seed " << seed << ": walked blind to row " << blind.juego.game().score;
  }
}

TEST(HenrunStart, OnlyADriverThatShowsNothingUnaskedMeansNoDisplay) {
  EXPECT_TRUE(videoDriverWithoutDisplay("offscreen", nullptr));
  EXPECT_TRUE(videoDriverWithoutDisplay("dummy", ""));
  EXPECT_TRUE(videoDriverWithoutDisplay("offscreen", "x11,wayland"));
  EXPECT_FALSE(videoDriverWithoutDisplay("offscreen", "x11,OffScreen"));
  EXPECT_FALSE(videoDriverWithoutDisplay("dummy", "DUMMY"));
  EXPECT_FALSE(videoDriverWithoutDisplay("x11", nullptr));
  EXPECT_FALSE(videoDriverWithoutDisplay("wayland", "offscreen"));
}

// The readers, fed strings and the game's own files (from its bin folder).
TEST(HenrunReaders, OnlyRegularFilesAreReadAndNoneBlocks) {
  const fs::path dir = fs::temp_directory_path() / ("henrun-readers-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "folder");
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  std::ofstream(dir / "file") << "v 1 2 3\n";
  EXPECT_EQ(leerArchivo((dir / "file").string()), "v 1 2 3\n");
  for (const char* name : {"folder", "pipe", "missing"}) {
    const std::string path = (dir / name).string();
    try {
      leerArchivo(path);
      ADD_FAILURE() << name << " was read";
    } catch (const ErrorArchivo& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
  }
  fs::remove_all(dir);
}

TEST(HenrunReaders, AModelWithoutTrianglesOrThatDoesNotParseIsRefusedByName) {
  std::mt19937 random(3);
  std::string garbage;
  for (int i = 0; i < 3459; ++i) garbage += char(random() & 0xff);
  const std::string bad[] = {
      "",                                                          // empty
      "# only points\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 1 0\n",  // no face
      garbage,                                                     // no word the reader knows
      "f 1/1/1 2/1/1 3/1/1\n",                                     // corners of nothing
      "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 1 0\nf 1//1 2//1 3//1\n",  // no texture index
  };
  testing::internal::CaptureStdout();
  for (const std::string& text : bad) {
    std::istringstream in(text);
    try {
      leerModelo(in, "../Modelos/tree.obj");
      ADD_FAILURE() << "read: " << text.substr(0, 40);
    } catch (const ErrorArchivo& e) {
      EXPECT_NE(std::string(e.what()).find("../Modelos/tree.obj"), std::string::npos) << e.what();
    }
  }
  testing::internal::GetCapturedStdout();
  std::istringstream triangle("v 0 0 0\nv 2 0 -1\nv 0 3 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n");
  const Geometria g = leerModelo(triangle, "t.obj");
  EXPECT_EQ(g.positions.size(), 3u);
  EXPECT_EQ(g.min.z, -1.f);
  EXPECT_EQ(g.max.x, 2.f);
  EXPECT_EQ(g.max.y, 3.f);
}

TEST(HenrunReaders, ACutDamagedOrUnknownImageIsRefusedByName) {
  const std::string jpeg = leerArchivo("../Texturas/skybox_dia.jpg");
  const std::string png = leerArchivo("../Texturas/skybox_noche.png");
  const Imagen sky = leerImagen(jpeg, "sky.jpg");
  EXPECT_EQ(sky.width, 512);
  EXPECT_EQ(sky.height, 256);
  EXPECT_EQ(sky.rgb.size(), 512u * 256u * 3u);
  std::string scrambled = png;
  for (std::size_t i = 64; i < scrambled.size(); i += 7) scrambled[i] = char(~scrambled[i]);
  const std::pair<std::string, std::string> bad[] = {
      {"half of a JPEG", jpeg.substr(0, jpeg.size() / 2)},
      {"a JPEG without its last bytes", jpeg.substr(0, jpeg.size() - 2)},
      {"half of a PNG", png.substr(0, png.size() / 2)},
      {"a PNG with damaged data", scrambled},
      {"empty", ""},
      {"text", "not a picture at all"},
  };
  for (const auto& [what, bytes] : bad) {
    try {
      leerImagen(bytes, "../Texturas/x.img");
      ADD_FAILURE() << what << " was read";
    } catch (const ErrorArchivo& e) {
      EXPECT_NE(std::string(e.what()).find("../Texturas/x.img"), std::string::npos) << what << ": " << e.what();
    }
  }
}
