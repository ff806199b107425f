// The real program under Xvfb: start screen, play, walking, pause, night,
// quit, SIGTERM, window close, no display, a missing model and a folder
// where a picture should be.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "hoptest/e2e.h"
#include "hoptest/pad.h"

using hoptest::Color;
using hoptest::GameSession;
using hoptest::Image;
using hoptest::Rect;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

const char* const kTitle = "Plonky Duck 3D";
const Rect kPrompt{320, 330, 360, 24};    // "PRESIONE P PARA ..." on the blackboard
const Rect kHudBox{28, 28, 12, 8};        // the HUD's dark backing, clear of its text
const Rect kScore{40, 42, 200, 22};       // "Score: n"
const Rect kSkyTop{0, 0, 1000, 20};

int countWhite(const Image& img, Rect r) { return img.countNear({255, 255, 255}, 50, r); }
bool hudShown(const Image& img) {
    int dark = 0;
    for (int y = kHudBox.y; y < kHudBox.y + kHudBox.h; ++y)
        for (int x = kHudBox.x; x < kHudBox.x + kHudBox.w; ++x) {
            const Color c = img.pixel(x, y);
            dark += c.r + c.g + c.b < 300;
        }
    return dark == kHudBox.w * kHudBox.h;
}
int countNightSky(const Image& img) {
    int n = 0;
    for (int y = kSkyTop.y; y < kSkyTop.y + kSkyTop.h; ++y)
        for (int x = 0; x < img.width(); ++x) {
            const Color c = img.pixel(x, y);
            n += c.r < 50 && c.g < 60 && c.b < 90;
        }
    return n;
}

const Rect kRecord{400, 356, 260, 28};  // "RECORD: n" under the prompt

// How far the picture beside the duck moved sideways from `a` to `b`, in
// pixels (toward the right positive): the shift that lines them up best.
// The camera follows the duck, so the field moves the other way it walked.
int sideShift(const Image& a, const Image& b) {
    long best = -1;
    int shift = 0;
    for (int dx = -300; dx <= 300; dx += 2) {
        long sum = 0, n = 0;
        for (int y = 280; y < 470; y += 4)
            for (int x = 10; x < 990; x += 4) {
                if (x > 380 && x < 620) continue;  // the duck itself stays put
                const int from = x - dx;
                if (from < 0 || from >= a.width() || x >= b.width() || y >= b.height()) continue;
                const Color p = a.pixel(from, y), q = b.pixel(x, y);
                sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
                ++n;
            }
        if (n > 0 && (best < 0 || sum * 100 / n < best)) best = sum * 100 / n, shift = dx;
    }
    return shift;
}

bool startBoard(GameSession& game) {
    return hoptest::waitUntil([&] { return countWhite(game.screenshot(), kPrompt) > 150; }, 30s);
}
bool hud(GameSession& game) {
    return hoptest::waitUntil([&] { return hudShown(game.screenshot()); }, 20s);
}
bool board(GameSession& game) {
    return hoptest::waitUntil([&] { return countWhite(game.screenshot(), kPrompt) > 150; }, 20s);
}

}  // namespace

TEST(DuckrunE2E, StartPlayWalkPauseNightAndQuit) {
    GameSession game({DUCKRUN_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_EQ(w.width, 1000);
    EXPECT_EQ(w.height, 480);

    // "PRESIONE P PARA EMPEZAR A JUGAR!"
    ASSERT_TRUE(hoptest::waitUntil([&] { return countWhite(game.screenshot(), kPrompt) > 150; }, 30s))
        << "no prompt on the start screen";
    const Image start = game.screenshot().crop(kPrompt);
    EXPECT_FALSE(hudShown(game.screenshot()));

    // P: play, with the HUD.
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return hudShown(game.screenshot()); }, 20s)) << "no HUD";
    std::this_thread::sleep_for(300ms);
    const Image before = game.screenshot();

    // Up held: the duck walks and the score on the HUD changes. Short holds,
    // each followed by a wait for the HUD, so that a slow machine does not
    // walk the duck on into the first block (17 units ahead).
    bool scored = false;
    for (int attempt = 0; attempt < 3 && !scored; ++attempt) {
        ASSERT_TRUE(game.hold("Up", 120ms));
        scored = hoptest::waitUntil([&] { return game.screenshot().countDiff(before, kScore, 60) > 15; }, 15s, 100ms);
    }
    EXPECT_TRUE(scored) << "the score did not change";

    // P: the pause screen offers to go back to the game.
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hoptest::waitUntil(
        [&] {
            const Image now = game.screenshot();
            return countWhite(now, kPrompt) > 150 && now.crop(kPrompt).countDiff(start, {}, 80) > 100;
        },
        20s))
        << "no \"PRESIONE P PARA VOLVER AL JUEGO!\"";
    EXPECT_FALSE(hudShown(game.screenshot()));

    // Back to play; N: night falls on the sky.
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return hudShown(game.screenshot()); }, 20s));
    EXPECT_LT(countNightSky(game.screenshot()), 2000);
    ASSERT_TRUE(game.key("n"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return countNightSky(game.screenshot()) > 15000; }, 20s)) << "no night sky";

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(20s), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(DuckrunE2E, SigtermAndClosingTheWindowEachEndWithStatusZero) {
    for (const bool close : {false, true}) {
        GameSession game({DUCKRUN_BIN});
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(hoptest::waitUntil([&] { return countWhite(game.screenshot(), kPrompt) > 150; }, 30s));
        if (close) ASSERT_TRUE(game.closeWindow());
        else game.terminate();
        EXPECT_EQ(game.waitExit(), 0) << (close ? "window closed" : "SIGTERM");
    }
}

TEST(DuckrunE2E, WithoutADisplayItSaysSoAndEndsWithStatusOne) {
    GameSession game(hoptest::Launch(DUCKRUN_BIN, {}, {}, {"DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY"}));
    EXPECT_EQ(game.waitExit(), 1);
    // The line ends what the program says (the display libraries SDL
    // tries may complain before it).
    const std::string line =
        "No hay pantalla disponible (controlador de video \"offscreen\"): inicie el juego desde una sesión gráfica\n";
    const std::string err = game.stderrText();
    EXPECT_TRUE(err.size() >= line.size() && err.compare(err.size() - line.size(), line.size(), line) == 0) << err;
}

TEST(DuckrunE2E, AMissingModelOrAFolderForAnImageEndsWithStatusOneNamingIt) {
    // A copy of the game's folder without its model, then with a folder
    // where the grass picture should be.
    const fs::path stage = fs::path(DUCKRUN_BIN).parent_path();
    const fs::path copy = fs::temp_directory_path() / ("duckrun_e2e_" + std::to_string(getpid()));
    fs::remove_all(copy);
    fs::copy(stage, copy, fs::copy_options::recursive);
    fs::remove(copy / "assets" / "models" / "Duck.obj");
    {
        GameSession game({(copy / "duckrun").string(), {}, copy.string()});
        EXPECT_EQ(game.waitExit(60s), 1);
        EXPECT_NE(game.stderrText().find("./assets/models/Duck.obj"), std::string::npos) << game.stderrText();
    }
    fs::remove_all(copy);
    fs::copy(stage, copy, fs::copy_options::recursive);
    fs::remove(copy / "assets" / "textures" / "grass.png");
    fs::create_directory(copy / "assets" / "textures" / "grass.png");
    {
        GameSession game({(copy / "duckrun").string(), {}, copy.string()});
        EXPECT_EQ(game.waitExit(60s), 1);
        EXPECT_NE(game.stderrText().find("No se pudo abrir la imagen ./assets/textures/grass.png: es una carpeta"),
                  std::string::npos)
            << game.stderrText();
    }
    fs::remove_all(copy);
}

// The start board is still: once drawn it is not drawn again while nothing
// happens, and P on it starts play at once.
TEST(DuckrunE2E, TheStartBoardStopsDrawingAndPStillStartsPlay) {
    GameSession game({DUCKRUN_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(startBoard(game));
    std::this_thread::sleep_for(1s);
    const long settled = game.frames();
    ASSERT_GE(settled, 0) << "frames are counted";
    std::this_thread::sleep_for(2s);
    EXPECT_LE(game.frames(), settled + 1) << "the still board is not drawn again";
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hud(game));
    EXPECT_TRUE(game.waitFrames(30)) << "play draws every frame";
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(board(game));
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

// A virtual controller: A starts, the d-pad turns and walks the duck as the
// arrows do, the left stick walks toward its side of the screen, Up ahead, Start pauses and resumes, Back shows
// the board, and pulled out mid-walk the game pauses and the duck stops.
TEST(DuckrunE2E, AVirtualControllerPlaysPausesAndLetsGoWhenUnplugged) {
    GameSession game;
    hoptest::Pad pad(game);
    game.start(pad.launch({DUCKRUN_BIN}));
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    ASSERT_TRUE(pad.plug()) << game.stderrText();
    EXPECT_TRUE(game.waitForOutput("Mando conectado: "));
    ASSERT_TRUE(startBoard(game));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_A, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_A, false));
    ASSERT_TRUE(hud(game)) << "A: play";
    ASSERT_TRUE(game.waitFrames(10));

    // The duck turns to face the way it walks: the d-pad turns it as the
    // arrow keys do (whose screen directions the GL tests pin).
    const Rect duck{400, 230, 200, 180};
    const auto facing = [&](bool usePad, SDL_GameControllerButton b, const char* key) {
        const bool done = usePad ? pad.hold(b) : game.hold(key, 120ms);
        game.waitFrames(10);
        return done ? game.screenshot() : Image();
    };
    const Image keyLeft = facing(false, SDL_CONTROLLER_BUTTON_INVALID, "Left");
    const Image keyRight = facing(false, SDL_CONTROLLER_BUTTON_INVALID, "Right");
    const Image padLeft = facing(true, SDL_CONTROLLER_BUTTON_DPAD_LEFT, "");
    EXPECT_LT(padLeft.countDiff(keyLeft, duck, 40), padLeft.countDiff(keyRight, duck, 40)) << "left";
    const Image padRight = facing(true, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "");
    EXPECT_LT(padRight.countDiff(keyRight, duck, 40), padRight.countDiff(keyLeft, duck, 40)) << "right";
    const Image before = game.screenshot();
    bool scored = false;
    for (int attempt = 0; attempt < 3 && !scored; ++attempt) {
        ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_DPAD_UP));
        scored = hoptest::waitUntil([&] { return game.screenshot().countDiff(before, kScore, 60) > 15; }, 15s, 100ms);
    }
    EXPECT_TRUE(scored) << "up: the score changed";

    // Start: the board; Start again: play. Back shows the board too.
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_START));
    ASSERT_TRUE(board(game)) << "paused";
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));
    ASSERT_TRUE(hud(game)) << "resumed";
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_BACK));
    ASSERT_TRUE(board(game)) << "the board, by Back";
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));
    ASSERT_TRUE(hud(game));
    ASSERT_TRUE(game.waitFrames(10));

    // The stick held left, then pulled out: paused; resumed, the duck stands.
    const Image from = game.screenshot();
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768));
    ASSERT_TRUE(game.waitForScreen([&](const Image& i) { return sideShift(from, i) > 10; }));
    ASSERT_TRUE(pad.unplug());
    EXPECT_TRUE(game.waitForOutput("Mando desconectado: "));
    ASSERT_TRUE(board(game)) << "unplugged: paused";
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hud(game));
    const Image stopped = game.screenshot();
    ASSERT_TRUE(game.waitFrames(30));
    EXPECT_LE(std::abs(sideShift(stopped, game.screenshot())), 4) << "no direction left held";

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
}

// A run's score is kept across runs and shown on the start board; a worse
// run does not replace it; a garbage records file is set aside with a line
// naming it and the game plays on.
TEST(DuckrunE2E, TheBestScoreSurvivesARestartAndAGarbageFileIsSetAside) {
    char tmpl[] = "/tmp/duckrun-records-XXXXXX";
    const fs::path data = mkdtemp(tmpl);
    const fs::path file = data / "duckrun" / "records.txt";
    const hoptest::Launch launch(DUCKRUN_BIN, {}, {}, {"HOPGAMES_DATA_DIR=" + data.string()});
    const auto read = [](const fs::path& p) {
        std::ifstream in(p);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const auto walkAhead = [](GameSession& game) {
        const Image before = game.screenshot();
        bool scored = false;
        for (int attempt = 0; attempt < 3 && !scored; ++attempt) {
            if (!game.hold("Up", 120ms)) return false;
            scored = hoptest::waitUntil([&] { return game.screenshot().countDiff(before, kScore, 60) > 15; }, 15s,
                                        100ms);
        }
        return scored;
    };
    {
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(startBoard(game));
        EXPECT_LT(countWhite(game.screenshot(), kRecord), 20) << "no record yet";
        ASSERT_TRUE(game.key("p"));
        ASSERT_TRUE(hud(game));
        ASSERT_TRUE(walkAhead(game));
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
    }
    const std::string kept = read(file);
    const auto at = kept.find("\nbest ");
    ASSERT_NE(at, std::string::npos) << kept;
    const int best = std::atoi(kept.c_str() + at + 6);
    EXPECT_GT(best, 0);
    {
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(startBoard(game));
        EXPECT_GT(countWhite(game.screenshot(), kRecord), 50) << "RECORD: " << best;
        ASSERT_TRUE(game.key("q"));  // no way made
        EXPECT_EQ(game.waitExit(), 0);
        EXPECT_EQ(game.stderrText(), "");
    }
    EXPECT_EQ(read(file), kept);

    std::ofstream(file, std::ios::trunc) << "best lots\n\x01 garbage";
    {
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(startBoard(game));
        EXPECT_NE(game.stderrText().find(file.string()), std::string::npos) << game.stderrText();
        EXPECT_LT(countWhite(game.screenshot(), kRecord), 20) << "nothing kept to show";
        ASSERT_TRUE(game.key("p"));
        ASSERT_TRUE(hud(game)) << "play goes on";
        ASSERT_TRUE(walkAhead(game));
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
    }
    int setAside = 0;
    for (const auto& e : fs::directory_iterator(file.parent_path()))
        if (e.path().filename().string().rfind("records.txt.bad", 0) == 0) {
            ++setAside;
            EXPECT_EQ(read(e.path()), "best lots\n\x01 garbage");
        }
    EXPECT_EQ(setAside, 1);
    EXPECT_NE(read(file).find("\nbest "), std::string::npos) << read(file);
    std::error_code ec;
    fs::remove_all(data, ec);
}
