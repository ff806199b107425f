// Level and settings files, traffic, the level clock and progression, keys
// and HUD texts of the traffic world.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <locale>
#include <sstream>

#include "app.h"
#include "camera.h"
#include "lanehop_fixture.h"
#include "ground_cover.h"
#include "level.h"

using namespace lanehop;
using hoptest::keyEvent;
using lanehop_test::WorldTest;

namespace {

TEST(LevelFile, ReadsRowsWithOrWithoutSpacesAndCrlf) {
    std::istringstream in("0 0 l 0\r\n\r\n33 4 3\r\nbw  bw");
    const Grid g = parseLevel(in);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g[0], (std::vector<char>{'0', '0', 'l', '0'}));
    EXPECT_EQ(g[1], (std::vector<char>{'3', '3', '4', '3'}));
    EXPECT_EQ(g[2], (std::vector<char>{'b', 'w', 'b', 'w'}));
    std::istringstream empty("");
    EXPECT_TRUE(parseLevel(empty).empty());
    EXPECT_TRUE(readLevelFile("no/such/level.txt").empty());
    EXPECT_EQ(enginePath("../level/level1.txt"), "./level/level1.txt");
}

TEST(SettingsFile, TwoPagesSplitAtTheSeparatorLine) {
    std::istringstream in("Saltar:Espacio\r\nPausa:P\r\n:\r\nNiebla:K\r\nSin valor\r\n:\r\nHora: 12:30");
    const Settings s = parseSettings(in);
    EXPECT_EQ(s.pages[0], (std::vector<std::string>{"Saltar:Espacio", "Pausa:P"}));
    ASSERT_EQ(s.pages[1].size(), 4u);
    EXPECT_EQ(settingLabel(s.pages[1][0]), "Niebla");
    EXPECT_EQ(settingValue(s.pages[1][0]), "K");
    EXPECT_EQ(settingLabel(s.pages[1][1]), "Sin valor");
    EXPECT_EQ(settingValue(s.pages[1][1]), "");
    EXPECT_EQ(s.pages[1][2], ":") << "a second separator is only a line";
    EXPECT_EQ(settingValue(s.pages[1][3]), " 12:30") << "split at the first colon";
    const Settings missing = readSettingsFile("no/such/settings.txt");
    EXPECT_TRUE(missing.pages[0].empty() && missing.pages[1].empty());
}

// A level is text: any printable character is a tile, but a control byte or
// one outside ASCII (random bytes, a binary file) is refused with its place.
TEST(LevelFile, BytesThatAreNotTextAreRefusedWithTheirPlace) {
    std::istringstream odd("0?0\n#~Z\n");
    EXPECT_EQ(parseLevel(odd).size(), 2u) << "unknown printable tiles are plain floor";
    const struct {
        std::string text, place;
    } cases[] = {
        {"000\n00\xFF" "0\n", "fila 2, columna 3: el byte 0xFF"},
        {"\x01", "fila 1, columna 1: el byte 0x01"},
        {"0\r\n\r\n0 0\x7F", "fila 3, columna 4: el byte 0x7F"},
        {"00\xC3\xB1", "fila 1, columna 3: el byte 0xC3"},
        {std::string("0\0", 2), "fila 1, columna 2: el byte 0x00"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.text);
        try {
            parseLevel(in);
            ADD_FAILURE() << c.place << " accepted";
        } catch (const LevelFormatError& e) {
            EXPECT_EQ(std::string(e.what()), c.place + " no es una casilla");
        }
    }
}

// Panel text goes to the font renderer as it is read: bytes that are not
// UTF-8 (a fuzzer's FF crashed the renderer) are replaced, valid text kept.
TEST(SettingsFile, BytesThatAreNotUtf8AreReplaced) {
    const std::string r = "\xEF\xBF\xBD";  // U+FFFD
    const struct {
        const char* what;
        std::string in, out;
    } cases[] = {
        {"FF", "Pausa:\xFF", "Pausa:" + r},
        {"FE", "\xFE:P", r + ":P"},
        {"F8 and continuations", "a\xF8\x88\x80\x80\x80z", "a" + r + r + r + r + r + "z"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", r + r + r + r},
        {"cut off at the end", "Salir:\xE2\x82", "Salir:" + r},
        {"cut off before ASCII", "\xF0\x9F\x98:Q", r + ":Q"},
        {"stray continuation", "\x80" "abc", r + "abc"},
        {"overlong", "\xC0\xAF\xE0\x80\xAF", r + r + r + r + r},
        {"surrogate", "\xED\xA0\x80", r + r + r},
        {"valid", "\xC2\xA1" "Ni\xC3\xB1o\xE2\x82\xAC\xF0\x9F\x90\x94\xF4\x8F\xBF\xBF",
         "\xC2\xA1" "Ni\xC3\xB1o\xE2\x82\xAC\xF0\x9F\x90\x94\xF4\x8F\xBF\xBF"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.in + "\n:\n" + c.in);
        const Settings s = parseSettings(in);
        ASSERT_EQ(s.pages[0].size(), 1u) << c.what;
        EXPECT_EQ(s.pages[0][0], c.out) << c.what;
        EXPECT_EQ(s.pages[1][0], c.out) << c.what;
        EXPECT_TRUE(s.problem.empty());
        EXPECT_EQ(s.brokenLines, c.in == c.out ? 0 : 2) << c.what;
    }
}

// A missing or empty settings file is said, on the console and on the panel.
TEST_F(WorldTest, MissingOrEmptySettingsAreSaid) {
    EXPECT_EQ(readSettingsFile("no/such/settings.txt").problem, "falta el archivo");
    const std::string empty = ::testing::TempDir() + "lanehop_empty_settings.txt";
    { std::ofstream(empty, std::ios::trunc); }
    EXPECT_EQ(readSettingsFile(empty).problem, "el archivo está vacío");
    EXPECT_TRUE(readSettingsFile("./resources/settings.txt").problem.empty());

    // Lines that are not UTF-8 are shown repaired, and the file is named.
    const std::string fuzzed = ::testing::TempDir() + "lanehop_fuzzed_settings.txt";
    std::ofstream(fuzzed, std::ios::binary) << "Pausa:\xFF\nSalir:Q\n";
    testing::internal::CaptureStderr();
    world->loadSettings("x" + fuzzed);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Los ajustes " + fuzzed +
                                                                " tienen 1 línea(s) que no son UTF-8; sus bytes no válidos"),
              std::string::npos);
    EXPECT_EQ(world->getSettings().pages[0].size(), 2u);
    std::remove(fuzzed.c_str());

    for (const std::string& path : {std::string("no/such/settings.txt"), empty}) {
        testing::internal::CaptureStderr();
        world->loadSettings("x" + path);  // the engine drops the first character
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("No se pudieron leer los ajustes " + path), std::string::npos) << said;
        const auto& page = world->getSettings().pages[0];
        ASSERT_FALSE(page.empty()) << path;
        EXPECT_EQ(settingValue(page[0]), path);
    }
    std::remove(empty.c_str());
}

// The shipped settings name the keys the game binds.
TEST(SettingsFile, ShippedPanelNamesTheBoundKeys) {
    const Settings s = readSettingsFile("./resources/settings.txt");
    ASSERT_FALSE(s.pages[0].empty());
    ASSERT_FALSE(s.pages[1].empty());
    auto valueOf = [&](int page, const std::string& label) {
        for (const std::string& l : s.pages[page])
            if (settingLabel(l) == label) return settingValue(l);
        return std::string("?");
    };
    EXPECT_EQ(valueOf(0, "Pausa"), "P");
    EXPECT_EQ(valueOf(0, "Salir"), "Q");
    EXPECT_EQ(valueOf(0, "Cambiar vista"), "V");
    EXPECT_EQ(valueOf(1, "Texturas"), "T");
    EXPECT_EQ(valueOf(1, "Niebla"), "K");
    EXPECT_EQ(valueOf(1, "Mostrar FPS"), "R");
    EXPECT_LE(s.pages[0].size(), 16u) << "the panel holds 16 lines";
    EXPECT_LE(s.pages[1].size(), 16u);
}

TEST_F(WorldTest, StartsOnLevelOneWithPlayerAndCamera) {
    EXPECT_EQ(world->getCurrentLevel(), 1);
    EXPECT_EQ(world->getSettings().pages[0].empty(), false);
    EXPECT_FLOAT_EQ(world->getLevelSizeX(), float(world->columns()));
    EXPECT_FLOAT_EQ(world->getLevelSizeZ(), float(world->rows()));
    ASSERT_NE(player(), nullptr);
    EXPECT_EQ(player()->getPosition(), Vector3(world->getLevelSizeX() / 2, 0, 0));
    hop::Camera* c = world->getCamera();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->getCenter(), player()->getPosition());
    EXPECT_EQ(c->getPosition(), player()->getPosition() + Vector3(0, 2, 6));
    EXPECT_EQ(c->getMouseMode(), hop::Camera::THIRD_PERSON);
    EXPECT_FLOAT_EQ(c->getZFar(), 225);
    EXPECT_EQ(c->getFollowing(), player());
    EXPECT_FLOAT_EQ(world->floorYOf('3'), -3);
    EXPECT_FLOAT_EQ(world->floorYOf('6'), 1);
    EXPECT_FLOAT_EQ(world->floorYOf('5'), 0.1f);
    EXPECT_FLOAT_EQ(world->floorYOf('x'), 0);
    ASSERT_NE(world->layersOf('t'), nullptr);
    EXPECT_FLOAT_EQ((*world->layersOf('t'))[0].y, 1.4f);
    EXPECT_FLOAT_EQ((*world->layersOf('T'))[1].y, 2.4f);
    EXPECT_EQ(world->layersOf('0'), nullptr);
}

std::vector<CarSpawn*> spawners(World* w) {
    std::vector<CarSpawn*> out;
    for (hop::Object* o : w->getObjects())
        if (o->getId() == "CarSpawn") out.push_back(static_cast<CarSpawn*>(o));
    std::sort(out.begin(), out.end(), [](CarSpawn* a, CarSpawn* b) { return a->getPosition().z > b->getPosition().z; });
    return out;
}

TEST_F(WorldTest, SpawnerIntervalsAndSpeedsFollowTheRow) {
    // Roads in rows 3, 9, 10 and 13.
    boot({"0000", "0000", "0000", "l222", "0000", "0000", "0000", "0000", "0000", "222r", "l222", "0000", "0000",
          "222r", "bwbw"});
    const auto s = spawners(world);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_FLOAT_EQ(s[0]->getCarSpawnTime(), 1.3f);
    EXPECT_FLOAT_EQ(s[1]->getCarSpawnTime(), 1.9f);
    EXPECT_FLOAT_EQ(s[2]->getCarSpawnTime(), 1.0f);
    EXPECT_FLOAT_EQ(s[3]->getCarSpawnTime(), 1.3f);
    EXPECT_FLOAT_EQ(s[0]->getInitialXVelocity(), 7);
    EXPECT_FLOAT_EQ(s[1]->getInitialXVelocity(), -7);
    EXPECT_EQ(s[0]->getPosition(), Vector3(-2, 0, 0.5f - 3));
    EXPECT_EQ(s[1]->getPosition(), Vector3(3 + 2, 0, 0.5f - 9));
    EXPECT_FLOAT_EQ(s[0]->getMinX(), -2);
    EXPECT_FLOAT_EQ(s[0]->getMaxX(), 4 + 2);
}

TEST_F(WorldTest, LevelFiveHasSlowerSparserTraffic) {
    while (world->getCurrentLevel() < 5) world->nextLevel();
    const auto s = spawners(world);
    ASSERT_FALSE(s.empty());
    for (CarSpawn* c : s) {
        const int row = int(std::lround(0.5f - c->getPosition().z));
        EXPECT_FLOAT_EQ(std::fabs(c->getInitialXVelocity()), 6);
        EXPECT_FLOAT_EQ(c->getCarSpawnTime(), 1.75f + float(row % 10) / 10);
    }
    world->nextLevel();
    for (CarSpawn* c : spawners(world)) EXPECT_FLOAT_EQ(std::fabs(c->getInitialXVelocity()), 7);
}

int countCars(World* w) {
    return int(std::count_if(w->getObjects().begin(), w->getObjects().end(),
                             [](hop::Object* o) { return o->getId() == "car"; }));
}

TEST_F(WorldTest, FirstCarAfterOneIntervalThenAStream) {
    boot({"00000", "00000", "l2222", "bwbwb"});
    run(1.15f);  // row 2: every 1.2 s
    EXPECT_EQ(countCars(world), 0);
    run(0.1f);
    EXPECT_EQ(countCars(world), 1);
    run(1.25f);
    EXPECT_EQ(countCars(world), 2);
}

TEST_F(WorldTest, CarsLeaveOnePastTheRowEnd) {
    boot({"00000", "00000", "00000"});
    const float X = world->getLevelSizeX();
    auto* east = new Car(Vector3(X + 2.9f, 0, -1.5f), Vector3(7, 0, 0), -2, X + 2);
    auto* west = new Car(Vector3(-2.9f, 0, -1.5f), Vector3(-7, 0, 0), -2, X + 2);
    world->loadObject(east);
    world->loadObject(west);
    world->tickBase(0.01f);  // x = X + 2.97 and -2.97: still there
    EXPECT_EQ(countCars(world), 2);
    world->tickBase(0.01f);  // past X + 3 and -3: gone at the end of the tick
    EXPECT_EQ(countCars(world), 0);
}

TEST_F(WorldTest, CarBoxesAndBobbing) {
    Car car(Vector3(), Vector3(), -2, 10);
    const auto& boxes = car.getHitBoxes();
    ASSERT_EQ(boxes.size(), 6u);
    EXPECT_EQ(boxes[0].first, Vector3(-0.875f, 0, -0.375f));
    EXPECT_EQ(boxes[0].second, Vector3(1.75f, 0.5f, 0.75f));
    EXPECT_EQ(boxes[1].first, Vector3(-0.4375f, 0.5f, -0.375f));
    EXPECT_NEAR(boxes[1].second.y, 0.3333f, 1e-4f);
    EXPECT_EQ(boxes[2].second, Vector3(0.25f, 0.25f, 0.125f));
    EXPECT_EQ(boxes[2].first + boxes[2].second / 2, Vector3(-0.4375f, 0.0625f, -0.375f));
    EXPECT_FLOAT_EQ(Car::bobScale(0), 1);
    EXPECT_FLOAT_EQ(Car::bobScale(1), 0.975f);
    EXPECT_FLOAT_EQ(Car::bobScale(0.5f), 1 - 0.5f / 40);
    EXPECT_FLOAT_EQ(Car::bobScale(1.5f), 0.975f + 0.5f / 40);
    EXPECT_FLOAT_EQ(Car::bobScale(2.25f), 1 - 0.25f / 40);
    EXPECT_FLOAT_EQ(Car::bobScale(-0.5f), 0.975f + 0.5f / 40);  // floor(-0.5) = -1 is odd
}

TEST_F(WorldTest, DeathRestartsTheLevelAndRestoresTheClock) {
    run(3.2f);
    EXPECT_EQ(world->timeText(), "Tiempo: 3");
    EXPECT_EQ(world->deathText(), "Muertes: 0");
    const float before = world->getAccTime();
    Player* first = player();
    first->setPosition(Vector3(-1, 0, 0));  // off the grid: it falls
    run(0.1f);
    EXPECT_EQ(first->getState(), FALLING);
    EXPECT_GT(world->getDeathStart(), 0);
    EXPECT_EQ(world->getCamera()->getFollowing(), first);
    run(2.3f);
    EXPECT_EQ(world->getDeathCount(), 0);
    run(0.2f);
    EXPECT_EQ(world->getDeathCount(), 1);
    EXPECT_EQ(world->deathText(), "Muertes: 1");
    EXPECT_NE(player(), nullptr);
    EXPECT_EQ(player()->getState(), ALIVE);
    EXPECT_EQ(world->getCamera()->getFollowing(), player()) << "the camera follows the new chicken";
    EXPECT_LT(world->getAccTime(), 0.1f) << "level time was " << before;
    EXPECT_EQ(world->timeText(), "Tiempo: 0");
    EXPECT_FLOAT_EQ(world->getDeathStart(), 0);
    EXPECT_LT(world->getLevelTime(), 0.1f);
}

TEST_F(WorldTest, GoalCelebratesFiveSecondsThenNextLevel) {
    boot({"bbbbb", "wwwww", "bbbbb"});
    run(0.5f);
    EXPECT_EQ(player()->getState(), WINNING);
    const float clock = world->getAccTime();
    EXPECT_GT(world->getCelebrationStart(), 0);
    run(4.4f);
    EXPECT_EQ(world->getCurrentLevel(), 1);
    EXPECT_FLOAT_EQ(world->getAccTime(), clock) << "the clock stops while celebrating";
    EXPECT_GT(player()->getVictoryJumps(), 3);
    run(0.3f);
    EXPECT_EQ(world->getCurrentLevel(), 2);
    EXPECT_EQ(player()->getState(), ALIVE);
}

TEST_F(WorldTest, PageUpSkipsToTheFinalLevelAndNoFurther) {
    for (int i = 0; i < 4; ++i) world->inputBase(keyEvent(SDLK_PAGEUP), 0.016f);
    EXPECT_EQ(world->getCurrentLevel(), 5);
    run(1);
    world->inputBase(keyEvent(SDLK_PAGEUP), 0.016f);
    EXPECT_EQ(world->getCurrentLevel(), 6);
    const float clock = world->getAccTime();
    EXPECT_GT(clock, 0.9f);
    run(1);
    EXPECT_FLOAT_EQ(world->getAccTime(), clock) << "time no longer accumulates on the final level";
    world->inputBase(keyEvent(SDLK_PAGEUP), 0.016f);
    EXPECT_EQ(world->getCurrentLevel(), 6);
}

TEST_F(WorldTest, LevelsThatCannotBootAreReported) {
    {
        // A level file of random bytes names the file and the place.
        const std::string path = ::testing::TempDir() + "lanehop_binary_level.txt";
        std::ofstream(path, std::ios::binary) << "000\n0\x89PNG\n";
        try {
            world->loadLevel("x" + path);
            ADD_FAILURE() << "binary level accepted";
        } catch (const LevelError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "No se pudo cargar el nivel " + path + ": fila 2, columna 2: el byte 0x89 no es una casilla");
        }
        // Cut short before its goal row it could never be finished.
        std::ofstream(path, std::ios::binary) << "00000\n0l000\n00";
        try {
            world->loadLevel("x" + path);
            ADD_FAILURE() << "level without a goal accepted";
        } catch (const LevelError& e) {
            EXPECT_NE(std::string(e.what()).find(path + ": no tiene meta"), std::string::npos) << e.what();
        }
        std::ofstream(path, std::ios::binary) << "00000\n0l000\n00b\n";
        world->loadLevel("x" + path);
        EXPECT_EQ(world->rows(), 3);
        std::remove(path.c_str());
    }
    EXPECT_THROW(world->loadLevel("../level/level99.txt"), LevelError);
    world->setTiles({});
    EXPECT_THROW(world->bootupLevel(), LevelError);
    try {
        world->loadLevel("../level/level99.txt");
    } catch (const LevelError& e) {
        EXPECT_NE(std::string(e.what()).find("./level/level99.txt"), std::string::npos);
    }
}

TEST_F(WorldTest, RaggedRowsAreOffTheGridWhereShort) {
    boot({"00000", "000", "00000"});
    EXPECT_EQ(world->tileAt(1, 4), 0);
    EXPECT_EQ(world->tileAt(1, 2), '0');
    EXPECT_EQ(world->tileAt(-1, 0), 0);
    EXPECT_EQ(world->tileAt(3, 0), 0);
    player()->setPosition(Vector3(4.5f, 0, -0.5f));  // row 1, column 4: not there
    run(0.2f);
    EXPECT_EQ(player()->getState(), FALLING);
}

TEST_F(WorldTest, GameKeys) {
    world->inputBase(keyEvent(SDLK_EQUALS), 0.016f);
    EXPECT_DOUBLE_EQ(ml->getGameSpeedMult(), 1.2);
    world->inputBase(keyEvent(SDLK_MINUS), 0.016f);
    world->inputBase(keyEvent(SDLK_MINUS), 0.016f);
    EXPECT_DOUBLE_EQ(ml->getGameSpeedMult(), 1 / 1.2);
    for (int i = 0; i < 60; ++i) world->inputBase(keyEvent(SDLK_MINUS), 0.016f);
    EXPECT_GT(ml->getGameSpeedMult() / 1.2, 0.0015);
    EXPECT_GT(ml->getGameSpeedMult(), 0.002);
    world->inputBase(keyEvent(SDLK_0), 0.016f);
    EXPECT_DOUBLE_EQ(ml->getGameSpeedMult(), 1);
    for (int i = 0; i < 60; ++i) world->inputBase(keyEvent(SDLK_EQUALS), 0.016f);
    EXPECT_LT(ml->getGameSpeedMult(), 9);
    EXPECT_GT(ml->getGameSpeedMult() * 1.2, 9);
    world->inputBase(keyEvent(SDLK_0), 0.016f);

    world->inputBase(keyEvent(SDLK_2), 0.016f);
    EXPECT_EQ(world->getCurrentLight(), 1);
    EXPECT_EQ(world->getCurrentSkybox(), 1);
    world->inputBase(keyEvent(SDLK_4), 0.016f);
    EXPECT_EQ(world->getCurrentLight(), 3);
    EXPECT_EQ(world->getCurrentSkybox(), 0);
    EXPECT_EQ(world->getSkyboxes()[0].color, Color(0.1f, 0.1f, 0.2f, 1));
    world->inputBase(keyEvent(SDLK_1), 0.016f);
    EXPECT_EQ(world->getCurrentLight(), 0);
    EXPECT_EQ(world->getSkyboxes()[0].color, Color(1, 1, 1, 1));

    world->inputBase(keyEvent(SDLK_p), 0.016f);
    EXPECT_TRUE(ml->getPause());
    // Paused: projection and view keys do nothing, a click turns the page.
    world->inputBase(keyEvent(SDLK_o), 0);
    EXPECT_EQ(world->getCamera()->getMode(), hop::Camera::PERSPECTIVE);
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    world->inputBase(click, 0);
    EXPECT_EQ(world->getSettingsPage(), 1);
    world->inputBase(click, 0);
    EXPECT_EQ(world->getSettingsPage(), 0);
    // The arrows go to the page each hint points at: Right to the second,
    // Left back to the first.
    world->inputBase(keyEvent(SDLK_RIGHT), 0);
    world->inputBase(keyEvent(SDLK_RIGHT), 0);
    EXPECT_EQ(world->getSettingsPage(), 1);
    world->inputBase(keyEvent(SDLK_LEFT), 0);
    world->inputBase(keyEvent(SDLK_LEFT), 0);
    EXPECT_EQ(world->getSettingsPage(), 0);
    world->inputBase(keyEvent(SDLK_p), 0);
    EXPECT_FALSE(ml->getPause());
    world->inputBase(click, 0.016f);
    world->inputBase(keyEvent(SDLK_RIGHT), 0.016f);
    EXPECT_EQ(world->getSettingsPage(), 0) << "clicks and arrows turn pages only while paused";
    world->inputBase(keyEvent(SDLK_o), 0.016f);
    EXPECT_EQ(world->getCamera()->getMode(), hop::Camera::ORTHOGONAL);
    world->inputBase(keyEvent(SDLK_o), 0.016f);

    // Mouse wheel: zoom within the limits.
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 2;
    world->inputBase(wheel, 0.016f);
    EXPECT_NEAR(world->getCamera()->getDistance(), std::sqrt(40.f) - 1.6f, 1e-3f);
    wheel.wheel.y = 10;
    world->inputBase(wheel, 0.016f);
    EXPECT_NEAR(world->getCamera()->getDistance(), 1, 1e-4f);

    world->inputBase(keyEvent(SDLK_q), 0.016f);
    EXPECT_TRUE(ml->isEnding());
}

TEST_F(WorldTest, ViewKeyCyclesThroughTheOverheadViewAndBack) {
    hop::Camera* c = world->getCamera();
    run(0.05f);
    const Vector3 offset = c->getCenter() - c->getPosition();
    world->inputBase(keyEvent(SDLK_v), 0.016f);
    EXPECT_EQ(c->getMouseMode(), hop::Camera::FIRST_PERSON);
    world->inputBase(keyEvent(SDLK_v), 0.016f);
    EXPECT_EQ(c->getMouseMode(), hop::Camera::NONE);
    EXPECT_EQ(c->getMode(), hop::Camera::ORTHOGONAL);
    EXPECT_EQ(c->getCenter(), player()->getPosition());
    const Vector3 eye = c->getPosition() - c->getCenter();
    EXPECT_NEAR(eye.length(), 5, 1e-4f);
    EXPECT_NEAR(eye.y / eye.length(), 10 / std::sqrt(137.f), 1e-4f);
    world->inputBase(keyEvent(SDLK_v), 0.016f);
    EXPECT_EQ(c->getMouseMode(), hop::Camera::THIRD_PERSON);
    EXPECT_EQ(c->getMode(), hop::Camera::PERSPECTIVE);
    EXPECT_GT(c->getDistance(), 1) << "a view, not a point, after " << offset.length();
    // A retry in the overhead view keeps that view and follows the new chicken.
    world->inputBase(keyEvent(SDLK_v), 0.016f);
    world->inputBase(keyEvent(SDLK_v), 0.016f);
    world->retryLevel();
    run(0.05f);
    EXPECT_EQ(c->getMouseMode(), hop::Camera::NONE);
    EXPECT_NEAR(c->getCenter().x, player()->getPosition().x + player()->liftVector().x, 1e-4f);
}

TEST_F(WorldTest, NothingMovesWhilePaused) {
    boot({"00000", "00000", "l2222", "bwbwb"});
    for (int i = 0; i < 300; ++i) world->tickBase(0);
    EXPECT_EQ(countCars(world), 0);
    EXPECT_FLOAT_EQ(world->getLevelTime(), 0);
    EXPECT_FLOAT_EQ(world->getSkyRotation(), 0);
    run(1);
    EXPECT_NEAR(world->getSkyRotation(), 0.3f, 0.01f);
}

}  // namespace

namespace {

using M4 = std::array<double, 16>;  // column-major, as glGet gives it
using P3 = std::array<double, 3>;

M4 perspective(double fovyDeg, double aspect, double n, double f) {
    const double t = 1 / std::tan(fovyDeg * M_PI / 360);
    return {t / aspect, 0, 0, 0, 0, t, 0, 0, 0, 0, (f + n) / (n - f), -1, 0, 0, 2 * f * n / (n - f), 0};
}

M4 ortho(double l, double r, double b, double t, double n, double f) {
    return {2 / (r - l), 0, 0, 0, 0, 2 / (t - b), 0, 0, 0, 0, -2 / (f - n), 0,
            -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1};
}

M4 lookAt(P3 eye, P3 at, P3 up) {
    auto norm = [](P3 v) {
        const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        return P3{v[0] / l, v[1] / l, v[2] / l};
    };
    auto cross = [](P3 a, P3 b) {
        return P3{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    };
    auto dot = [](P3 a, P3 b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    const P3 f = norm({at[0] - eye[0], at[1] - eye[1], at[2] - eye[2]}), s = norm(cross(f, up)), u = cross(s, f);
    return {s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0, s[2], u[2], -f[2], 0, -dot(s, eye), -dot(u, eye), dot(f, eye), 1};
}

struct View {
    M4 mv, pr;
    int vp[4] = {0, 0, 1600, 900};
    GroundCover cover(double inset = 3) const {
        return groundCover(mv.data(), pr.data(), vp, 0, -24, 15, 1, inset);  // a 15 x 25 board
    }
    P3 eye(P3 world) const {
        P3 e{};
        for (int i = 0; i < 3; ++i) e[i] = mv[i] * world[0] + mv[4 + i] * world[1] + mv[8 + i] * world[2] + mv[12 + i];
        return e;
    }
    bool covered(P3 world, double inset = 3) const { return keeps(cover(inset).inner, eye(world)); }
};

}  // namespace

// The cover is the board's ground as the camera sees it: under it lies
// what the ground hides (the ground itself, what hangs beneath the board
// in its middle); the sky, the ground beside the board and what shows under
// its front edge are outside. Every point outside lies in one of the
// regions drawn; a view along the ground covers nothing.
TEST(GroundCover, HoldsWhatTheBoardHidesAndNothingElse) {
    const M4 persp = perspective(45, 16.0 / 9, 0.001, 200);
    const View behind{lookAt({7.5, 5, 9}, {7.5, 0, 0}, {0, 1, 0}), persp};
    const View low{lookAt({7.5, 0.5, -3}, {7.5, 0.3, -12}, {0, 1, 0}), persp};  // first person, over the board
    const View slanted{lookAt({7.5, 6, 6}, {7.5, 0, -4}, {0, 1, 0}), ortho(-12, 12, -6.75, 6.75, -50, 50)};
    for (const View* v : {&behind, &low, &slanted}) {
        ASSERT_FALSE(v->cover().empty());
        EXPECT_TRUE(v->covered({7.5, 0, -8}));    // the ground ahead
        EXPECT_TRUE(v->covered({7.5, -2, -8}));   // under the board's middle
        EXPECT_FALSE(v->covered({7.5, 30, -150}));  // the sky
        EXPECT_FALSE(v->covered({-6, 0, -8}));    // beside the board
        const auto regions = v->cover().regions();
        std::srand(7);
        for (int i = 0; i < 2000; ++i) {
            auto r = [] { return double(std::rand()) / RAND_MAX * 60 - 30; };
            const P3 p = v->eye({r(), r() / 3, r()});
            const bool inCover = keeps(v->cover().inner, p);
            const auto in = std::count_if(regions.begin(), regions.end(), [&](const auto& q) { return keeps(q, p); });
            EXPECT_EQ(inCover, in == 0);
        }
    }
    EXPECT_FALSE(behind.covered({7.5, -2, 1.6}));  // hanging under the front edge: seen
    // Seen along the ground plane, the ground hides nothing.
    EXPECT_TRUE((View{lookAt({7.5, 0, 8}, {7.5, 0, 0}, {0, 1, 0}), persp}.cover().empty()));
    // Pulled in by the inset: straight down at 100 pixels a unit, a point
    // 1 pixel inside the left edge is outside, 6 pixels inside is under.
    const View down{lookAt({0, 10, 0}, {0, 0, 0}, {0, 0, -1}), ortho(-1, 15, 3, 12, 1, 20)};
    EXPECT_FALSE(down.covered({0.01, 0, -10}));
    EXPECT_TRUE(down.covered({0.06, 0, -10}));
    EXPECT_TRUE(down.covered({0.01, 0, -10}, 0));
}

// A won level is kept across runs: "best" the highest level won, "level-N"
// its fewest seconds; a slower win does not replace them, and a new World
// (a restart) reads them back and shows them.
TEST_F(WorldTest, WonLevelsAreKeptAcrossRuns) {
    const std::string dir = ::testing::TempDir() + "lanehop_records";
    std::filesystem::remove_all(dir);
    const char* had = std::getenv("HOPGAMES_DATA_DIR");
    const std::string before = had ? had : "";
    ::setenv("HOPGAMES_DATA_DIR", dir.c_str(), 1);
    const auto restart = [&] {
        ml->setScene(nullptr);
        delete world;
        world = new lanehop::World();
        ml->setScene(world);
    };
    const auto winAfter = [&](float wait) {
        restart();
        boot({"000", "000", "bwb"});
        removeTraffic();
        run(wait);
        hold(SDL_SCANCODE_UP);
        for (int i = 0; i < 60 * 30 && world->getCurrentLevel() == 1; ++i) run(1.f / 60);
        hold(SDL_SCANCODE_UP, false);
        ASSERT_EQ(world->getCurrentLevel(), 2) << "level 1 not won";
    };
    restart();
    EXPECT_EQ(world->recordText(), "Récord: ninguno");
    winAfter(0);
    const long long fast = world->records.best("level-1").value_or(-1);
    EXPECT_GE(fast, 0);
    EXPECT_LT(fast, 3);
    winAfter(4);  // slower
    restart();
    EXPECT_EQ(world->records.best("best"), 1);
    EXPECT_EQ(world->records.best("level-1"), fast) << "a slower win replaced the best time";
    EXPECT_EQ(world->recordText(), "Récord: 1 nivel, este en " + std::to_string(fast) + " s");
    if (had) ::setenv("HOPGAMES_DATA_DIR", before.c_str(), 1);
    else ::unsetenv("HOPGAMES_DATA_DIR");
}

// A controller walks the way the arrow keys do: the d-pad held, through the
// loop's events and held keys as the game reads them (SDL's virtual
// joystick, in this process).
TEST_F(WorldTest, ControllerWalksTheWayTheArrowsDo) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* stick = SDL_JoystickOpen(index);
    ASSERT_NE(stick, nullptr);
    ml->usePads(lanehop::padTable());
    // How far the chicken gets in half a second with `press` held (the
    // test's keyboard, or the controller through the loop).
    const auto walk = [&](const std::function<void(bool)>& press) {
        boot({"000", "000", "000", "000", "bwb"});
        removeTraffic();
        player()->setKeyboard(nullptr);
        const Vector3 from = player()->getPosition();
        press(true);
        SDL_Event e;
        for (int i = 0; i < 30; ++i) {
            while (ml->pollEvent(&e)) {
            }
            ml->update(1.f / 60);
        }
        press(false);
        while (ml->pollEvent(&e)) {
        }
        return player()->getPosition() - from;
    };
    const std::pair<SDL_Scancode, SDL_GameControllerButton> ways[] = {
        {SDL_SCANCODE_LEFT, SDL_CONTROLLER_BUTTON_DPAD_LEFT},
        {SDL_SCANCODE_RIGHT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT},
        {SDL_SCANCODE_UP, SDL_CONTROLLER_BUTTON_DPAD_UP}};
    for (const auto& [key, button] : ways) {
        const Vector3 byKey = walk([&](bool down) {
            hold(key, down);
            player()->setKeyboard(keys);
        });
        const Vector3 byPad = walk([&](bool down) { SDL_JoystickSetVirtualButton(stick, button, down); });
        EXPECT_GT(byKey.length(), 0.5f) << key;
        EXPECT_NEAR(byPad.x, byKey.x, 0.01f) << key;
        EXPECT_NEAR(byPad.z, byKey.z, 0.01f) << key;
    }
    ml->stopPads();
    SDL_JoystickClose(stick);
    SDL_JoystickDetachVirtual(index);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}
