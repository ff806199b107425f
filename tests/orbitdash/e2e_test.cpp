// The real program under Xvfb: title, start, menu, a fall on the HUD, quit,
// closing the window, SIGTERM; played with a virtual controller; the best
// kept across runs; started with no display, and beside broken or missing
// files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "hoptest/e2e.h"
#include "hoptest/pad.h"

using hoptest::Color;
using hoptest::GameSession;
using hoptest::Image;
using hoptest::Rect;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

const char* const kTitle = "Taller-3D";

int white(const Image& img, Rect r) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h && y < img.height(); ++y)
        for (int x = r.x; x < r.x + r.w && x < img.width(); ++x) {
            const Color c = img.pixel(x, y);
            n += c.r > 200 && c.g > 200 && c.b > 200;
        }
    return n;
}

// Screen bands of the 640 x 480 overlay (origin bottom-left) in image rows.
const Rect kPressR{200, 480 - 330 - 15, 240, 15};      // "Press R to start" on the title
const Rect kHudLabels{0, 480 - 455 - 15, 640, 15};     // PUNTOS VIDAS TIEMPO NIVEL
const Rect kLives{160, 480 - 440 - 15, 40, 15};        // the value under VIDAS
const Rect kMenuTitle{110, 480 - 360 - 30, 420, 30};   // MENU PRINCIPAL

bool bright(const Image& img, Rect r, int atLeast) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h && y < img.height(); ++y)
        for (int x = r.x; x < r.x + r.w && x < img.width(); ++x) {
            const Color c = img.pixel(x, y);
            n += c.g > 180 && c.b > 200;  // white or the labels' light blue
        }
    return n >= atLeast;
}

bool until(GameSession& s, const std::function<bool(const Image&)>& pred) {
    return hoptest::waitUntil([&] { return pred(s.screenshot()); }, 60s, 100ms);
}

// A still screen stops drawing: the frame count stays put between two
// looks half a second apart (a game drawing at 60 Hz never lets it).
bool stopsDrawing(GameSession& s) {
    long last = -2;
    return s.frames() >= 0 && hoptest::waitUntil(
                                  [&] {
                                      const long now = s.frames();
                                      const bool same = now == last;
                                      last = now;
                                      return same;
                                  },
                                  hoptest::patience(), 500ms);
}

bool isRed(Color c) { return c.r > 120 && c.g < 40 && c.b < 40; }

// With textures off the start platform is plain red, wider than the window
// only near its back edge: where the astronaut stands (the middle of the
// window) its left and right edges show, and a jump to a side brings that
// side's edge towards the middle. Its back edge, below the astronaut, comes
// down the window on a jump forward.
struct Platform {
    int left = -1, right = -1, back = -1;
};
Platform platform(const Image& img) {
    Platform p;
    const int row = 200;  // between the platform's front edge and the astronaut
    for (int x = 0; x < img.width(); ++x)
        if (isRed(img.pixel(x, row))) {
            if (p.left < 0) p.left = x;
            p.right = x;
        }
    for (int y = 300; y < img.height(); ++y)
        if (isRed(img.pixel(100, y))) p.back = y;
    return p;
}

// The yellow of the kept best on the title, under "Press R to start".
const Rect kTitleRecord{170, 480 - 290 - 15, 300, 15};
bool isYellow(Color c) { return c.r > 200 && c.g > 150 && c.b < 120; }
int yellow(const Image& img, Rect r) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) n += isYellow(img.pixel(x, y));
    return n;
}

std::string slurp(const fs::path& path) {
    std::ifstream f(path);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// The stage folder copied, to break one file of the copy.
struct StageCopy {
    fs::path dir;
    StageCopy() {
        dir = fs::temp_directory_path() / ("orbitdash_e2e_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::copy(fs::path(ORBITDASH_BIN).parent_path(), dir, fs::copy_options::recursive);
    }
    ~StageCopy() { fs::remove_all(dir); }
};

}  // namespace

TEST(OrbitdashE2E, TitleStartMenuFallAndQuit) {
    GameSession game({ORBITDASH_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_EQ(w.width, 640);
    EXPECT_EQ(w.height, 480);
    EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kPressR) > 150; })) << "Press R to start";
    EXPECT_TRUE(stopsDrawing(game)) << "the title";

    // R (on release), on the still title, starts level 1: the HUD bar, the title text gone.
    ASSERT_TRUE(game.key("r"));
    EXPECT_TRUE(until(game, [](const Image& i) { return bright(i, kHudLabels, 150) && white(i, kPressR) < 60; }));

    // P opens the menu, P closes it.
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kMenuTitle) > 300; })) << "MENU PRINCIPAL";
    EXPECT_TRUE(stopsDrawing(game)) << "the menu over play";
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kMenuTitle) < 100; }));

    // Three jumps to the left leave the start platform: the fall costs a
    // life, and the value under VIDAS changes from 3 to 2.
    const Image before = game.screenshot();
    // Each jump lasts 25 world steps, and a frame runs at most 4: 40 frames
    // shown end it, however slowly they come.
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(game.key("a"));
        ASSERT_TRUE(game.waitFrames(40));
    }
    EXPECT_TRUE(until(game, [&](const Image& i) { return i.countDiff(before, kLives, 80) > 15; })) << "VIDAS 2";

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(60s), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(OrbitdashE2E, ClosingTheWindowEndsCleanly) {
    GameSession game({ORBITDASH_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(game.closeWindow());
    EXPECT_EQ(game.waitExit(), 0);
}

TEST(OrbitdashE2E, AMissingLevelFileStillStarts) {
    StageCopy stage;
    fs::remove(stage.dir / "niveles" / "nivel1.txt");
    GameSession game({ORBITDASH_BIN, {}, stage.dir.string()});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    EXPECT_TRUE(game.waitForOutput("./niveles/nivel1.txt", 60s));
    ASSERT_TRUE(game.key("r"));
    EXPECT_TRUE(until(game, [](const Image& i) { return bright(i, kHudLabels, 150); }));
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(60s), 0);
}

TEST(OrbitdashE2E, AMissingModelIsNamedAndEndsWithStatus1) {
    StageCopy stage;
    fs::remove(stage.dir / "Obj" / "nave.obj");
    GameSession game({ORBITDASH_BIN, {}, stage.dir.string()});
    EXPECT_EQ(game.waitExit(), 1);
    EXPECT_NE(game.stdoutText().find(
                  "Impossible to open the file ! Are you in the right path ? See Tutorial 1 for details"),
              std::string::npos)
        << "the loader's own words";
    EXPECT_NE(game.stderrText().find("./Obj/nave.obj: not found"), std::string::npos) << game.stderrText();
}

TEST(OrbitdashE2E, AFolderOrAPipeInAFilesPlaceIsNamedAndEndsWithStatus1) {
    // A folder where the title picture should be once ended the game with
    // SIGABRT; a named pipe nobody writes to would block it in open().
    {
        StageCopy stage;
        fs::remove(stage.dir / "assets" / "title.png");
        fs::create_directory(stage.dir / "assets" / "title.png");
        GameSession game({ORBITDASH_BIN, {}, stage.dir.string()});
        EXPECT_EQ(game.waitExit(), 1);
        EXPECT_NE(game.stderrText().find("./assets/title.png: is a folder, not a file"), std::string::npos)
            << game.stderrText();
    }
    {
        StageCopy stage;
        const fs::path model = stage.dir / "Obj" / "Astronaut.obj";
        fs::remove(model);
        ASSERT_EQ(::mkfifo(model.c_str(), 0600), 0);
        GameSession game({ORBITDASH_BIN, {}, stage.dir.string()});
        EXPECT_EQ(game.waitExit(), 1);
        EXPECT_NE(game.stderrText().find("./Obj/Astronaut.obj: is not a regular file"), std::string::npos)
            << game.stderrText();
    }
}

TEST(OrbitdashE2E, WithNoDisplayItSaysSoAndEndsWithStatus1) {
    GameSession game({ORBITDASH_BIN, {}, {}, {"DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY"}});
    EXPECT_EQ(game.waitExit(), 1);
    const std::string line =
        "No hay pantalla disponible (controlador de video \"offscreen\"): inicie el juego desde una sesi\u00f3n "
        "gr\u00e1fica\n";
    const std::string err = game.stderrText();
    const std::size_t at = err.find(line);
    EXPECT_NE(at, std::string::npos) << err;
    EXPECT_EQ(err.find(line, at + 1), std::string::npos) << "once";
    EXPECT_EQ(game.stdoutText(), "");
}

TEST(OrbitdashE2E, SigtermEndsCleanly) {
    GameSession game({ORBITDASH_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    ASSERT_TRUE(game.key("r"));
    EXPECT_TRUE(until(game, [](const Image& i) { return bright(i, kHudLabels, 150); }));
    game.terminate();
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(OrbitdashE2E, ABrokenFontAtlasEndsWithStatus1) {
    StageCopy stage;
    {
        // Cut in half.
        const fs::path atlas = stage.dir / "assets" / "miarf.png";
        fs::resize_file(atlas, fs::file_size(atlas) / 2);
    }
    GameSession game({ORBITDASH_BIN, {}, stage.dir.string()});
    EXPECT_EQ(game.waitExit(60s), 1);
    EXPECT_NE(game.stderrText().find("./assets/miarf.png"), std::string::npos) << game.stderrText();
}

TEST(OrbitdashE2E, PlayedWithAController) {
    GameSession game;
    hoptest::Pad pad(game);
    game.start(pad.launch({ORBITDASH_BIN}));
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    ASSERT_TRUE(pad.plug()) << game.stderrText();
    EXPECT_TRUE(game.waitForOutput("Mando conectado: "));
    ASSERT_TRUE(game.key("t"));  // textures off: the platform in plain red

    // A on the (still) title starts, on its release as R does.
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_A, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_A, false));
    ASSERT_TRUE(until(game, [](const Image& i) { return bright(i, kHudLabels, 150) && white(i, kPressR) < 60; }));
    const Platform start = platform(game.screenshot());
    ASSERT_GT(start.left, 0);
    ASSERT_LT(start.right, 639);

    // The stick left: the platform's left edge comes in towards the middle.
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768));
    EXPECT_TRUE(until(game, [&](const Image& i) { return platform(i).left > start.left + 60; })) << "left";
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0));
    // The d-pad right, twice: back to the middle, then beyond it.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(game.waitFrames(40));  // the jump before has ended
        ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_DPAD_RIGHT));
    }
    EXPECT_TRUE(until(game, [&](const Image& i) {
        const Platform p = platform(i);
        return p.right < start.right - 60 && p.left < start.left + 20;
    })) << "right";
    // Forward: the platform's back edge comes down the window.
    ASSERT_TRUE(game.waitFrames(40));
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_DPAD_UP));
    EXPECT_TRUE(until(game, [&](const Image& i) { return platform(i).back > start.back + 30; })) << "forward";

    // Start pauses (the menu) and resumes; Back opens the menu too, and B
    // backs out of it.
    ASSERT_TRUE(game.waitFrames(40));
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_START));
    EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kMenuTitle) > 300; })) << "paused";
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));
    EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kMenuTitle) < 100; })) << "resumed";
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_BACK));
    EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kMenuTitle) > 300; })) << "Back: the menu";
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_B, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_B, false));
    EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kMenuTitle) < 100; })) << "B: out of the menu";

    // Pulled out with the stick held: the game stops in its menu and the
    // keyboard plays on, the stick's Left not stuck down.
    ASSERT_TRUE(game.waitFrames(40));
    const Platform before = platform(game.screenshot());
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768));
    ASSERT_TRUE(pad.unplug());
    EXPECT_TRUE(game.waitForOutput("Mando desconectado: "));
    EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kMenuTitle) > 300; })) << "paused on unplug";
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kMenuTitle) < 100; }));
    ASSERT_TRUE(game.waitFrames(40));
    const Platform after = platform(game.screenshot());
    ASSERT_TRUE(game.key("s"));  // a jump back, as if Left were not held
    EXPECT_TRUE(until(game, [&](const Image& i) { return platform(i).back < after.back - 30; }))
        << "the keyboard's S after the unplug; back edge " << before.back << " -> " << after.back;

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(60s), 0);
}

TEST(OrbitdashE2E, TheBestIsKeptAcrossRunsAndABadFileIsSetAside) {
    const fs::path data = fs::temp_directory_path() / ("orbitdash_e2e_records_" + std::to_string(::getpid()));
    fs::remove_all(data);
    fs::create_directories(data / "orbitdash");
    const fs::path file = data / "orbitdash" / "records.txt";
    const std::string kept = "hopgames-records 1\nbest 7\nlevel-1 7\nend 2\n";
    const std::vector<std::string> env = {"HOPGAMES_DATA_DIR=" + data.string()};
    {
        // No file: no best on the title.
        GameSession game({ORBITDASH_BIN, {}, {}, env});
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
        EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kPressR) > 150; }));
        EXPECT_LT(yellow(game.screenshot(), kTitleRecord), 20) << "no best yet";
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(60s), 0);
        EXPECT_EQ(game.stderrText(), "");
    }
    {
        std::ofstream(file) << kept;
        // A best kept: shown on the title; a game lost with no points leaves
        // it as it was, and it is there on the next start.
        for (int run = 0; run < 2; ++run) {
            GameSession game({ORBITDASH_BIN, {}, {}, env});
            ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
            EXPECT_TRUE(until(game, [](const Image& i) { return yellow(i, kTitleRecord) > 100; })) << "RECORD 7";
            if (run == 0) {
                ASSERT_TRUE(game.key("r"));
                EXPECT_TRUE(until(game, [](const Image& i) { return bright(i, kHudLabels, 150); }));
                // Off the left of the start until the three lives are gone
                // (a press while falling does nothing): GAME OVER.
                const Rect gameOver{95, 480 - 175 - 50, 450, 50};
                bool over = false;
                for (int i = 0; i < 30 && !over; ++i) {
                    ASSERT_TRUE(game.key("a"));
                    ASSERT_TRUE(game.waitFrames(40));
                    over = yellow(game.screenshot(), gameOver) > 2000;
                }
                EXPECT_TRUE(over) << "GAME OVER";
            }
            ASSERT_TRUE(game.key("q"));
            EXPECT_EQ(game.waitExit(60s), 0);
            EXPECT_EQ(game.stderrText(), "");
            EXPECT_EQ(slurp(file), kept) << "run " << run;
        }
    }
    {
        // Garbage in its place: named, set aside, and the game plays.
        std::ofstream(file) << "best seven\n";
        GameSession game({ORBITDASH_BIN, {}, {}, env});
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
        EXPECT_TRUE(game.waitForOutput(file.string() + " no es v"));
        EXPECT_TRUE(until(game, [](const Image& i) { return white(i, kPressR) > 150; }));
        EXPECT_LT(yellow(game.screenshot(), kTitleRecord), 20) << "no best from garbage";
        ASSERT_TRUE(game.key("r"));
        EXPECT_TRUE(until(game, [](const Image& i) { return bright(i, kHudLabels, 150); }));
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(60s), 0);
        EXPECT_FALSE(fs::exists(file));
        int aside = 0;
        for (const auto& e : fs::directory_iterator(data / "orbitdash"))
            if (e.path().filename().string().rfind("records.txt.bad", 0) == 0) {
                ++aside;
                EXPECT_EQ(slurp(e.path()), "best seven\n");
            }
        EXPECT_EQ(aside, 1);
    }
    fs::remove_all(data);
}
