// The game's drawing in an offscreen context, run from the game's folder
// (stage/pigeonrun/juego) with the generated files. Set PIGEONRUN_SHOTS to a
// folder to keep the frames the tests look at.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "assets.h"
#include "game.h"
#include "hoptest/events.h"
#include "hoptest/gl.h"

using namespace pigeonrun;
using hoptest::Color;
using hoptest::Rect;

namespace fs = std::filesystem;

namespace {

class PigeonrunGL : public hoptest::GLTest {
protected:
    PigeonrunGL() {
        width = Game::kWidth;
        height = Game::kHeight;
    }
    void shot(const std::string& name) {
        if (const char* dir = std::getenv("PIGEONRUN_SHOTS")) savePNG(std::string(dir) + "/" + name + ".png");
    }
    // The game's own frames, 1/60 s apart on a clock of the test's: each
    // runs a world pass, draws, then handles the queued SDL events.
    void frames(Game& g, int n = 1) {
        for (int i = 0; i < n; ++i) {
            clock_ += kPassMs;
            g.frame(clock_);
        }
    }
    // A key pressed and released, handled at the end of the next frame.
    void tap(Game& g, SDL_Keycode k) {
        for (bool down : {true, false}) {
            SDL_Event e = hoptest::keyEvent(k, down);
            SDL_PushEvent(&e);
        }
        frames(g);
    }
    // Starts play; the frame after draws it.
    void play(Game& g) {
        tap(g, SDLK_RETURN);
        frames(g);
    }
    double clock_ = 0;
    int white(Rect r) { return countNear({255, 255, 255}, 20, r); }
    int yellow(Rect r) { return countNear({255, 255, 0}, 30, r); }
    int sky(Rect r) { return countNear({77, 128, 255}, 6, r); }
};

// Overlay places in window pixels (top-left origin).
const Rect kScoreBand{0, 9, 640, 33};
const Rect kCoinBand{0, 46, 597, 33};
const Rect kCoinIcon{598, 47, 32, 32};
const Rect kLogo{70, 212, 500, 56};
const Rect kPressEnter{195, 289, 250, 16};
const Rect kPause{256, 176, 128, 128};
Rect digitAt(int fromRight) { return Rect{597 - 27 * fromRight, 9, 33, 33}; }

}  // namespace

TEST_F(PigeonrunGL, EveryStateShowsItsOverlayReadableUnderEverySwitch) {
    std::ostringstream console;
    Game g(true, [] { return 0; }, &console);
    g.draw();
    shot("title");
    EXPECT_GT(countNear({255, 214, 64}, 40, kLogo), 1500) << "the yellow title";
    EXPECT_GT(white(kPressEnter), 150) << "PRESIONE ENTER";
    EXPECT_GT(sky(Rect{0, 0, 640, 150}), 90000) << "nothing but sky above";

    play(g);
    shot("playing");
    // Score 0: one white digit at the right edge; no coin digits beyond one.
    EXPECT_GT(white(digitAt(0)), 60);
    EXPECT_EQ(white(Rect{0, 9, 590, 33}), 0);
    EXPECT_GT(yellow(Rect{560, 46, 37, 33}), 60) << "coins 0 in yellow";
    EXPECT_EQ(yellow(Rect{0, 46, 555, 33}), 0);
    EXPECT_GT(countNear({255, 206, 20}, 30, kCoinIcon), 200) << "the coin icon";
    // The scene: the pigeon at the centre, grass around it.
    EXPECT_LT(sky(Rect{0, 0, 640, 480}), 1000);
    EXPECT_GT(countNear({110, 120, 60}, 60, Rect{0, 300, 640, 180}), 5000) << "grass";

    // Score 105: three digits 27 pixels apart ending at the right edge.
    g.world.status.score = 105;
    g.world.status.coins = 12;
    g.draw();
    shot("score105");
    for (int i = 0; i < 3; ++i) EXPECT_GT(white(Rect{digitAt(i).x + 6, 9, 21, 33}), 20) << "digit " << i;
    EXPECT_EQ(white(Rect{0, 9, 540, 33}), 0);
    EXPECT_GT(yellow(Rect{536, 46, 30, 33}), 20) << "the coins' tens";
    const int scoreWhite = white(kScoreBand), coinYellow = yellow(kCoinBand);

    // Textures off, wireframe, flat: the overlay reads the same.
    tap(g, SDLK_t);
    tap(g, SDLK_w);
    tap(g, SDLK_s);
    frames(g);
    shot("switches");
    EXPECT_NEAR(white(kScoreBand), scoreWhite, scoreWhite / 20);
    EXPECT_NEAR(yellow(kCoinBand), coinYellow, coinYellow / 20);
    EXPECT_GT(countNear({255, 206, 20}, 30, kCoinIcon), 200);
    // ... while the ground is drawn untextured and in lines: sky shows through.
    EXPECT_GT(sky(Rect{0, 100, 640, 380}), 20000);

    tap(g, SDLK_p);
    frames(g);
    shot("paused");
    EXPECT_GT(white(kPause), 1500) << "the pause bars";
    EXPECT_EQ(white(kScoreBand), 0) << "no score while paused";

    tap(g, SDLK_p);
    g.world.status.state = StateGameOver;
    g.draw();
    shot("gameover");
    EXPECT_GT(countNear({255, 90, 70}, 40, kLogo), 1500) << "FIN DEL JUEGO";
    EXPECT_GT(white(kPressEnter), 150);
    EXPECT_GT(sky(Rect{0, 0, 640, 150}), 90000) << "no scene after the game";
}

TEST_F(PigeonrunGL, BothViewsDrawThePigeonTheCarsAndTheGround) {
    std::ostringstream console;
    Game g(true, [] { return 3; }, &console);
    play(g);
    // The fixed view: the pigeon in the middle, grass all round, no sky.
    const Rect middle{270, 190, 100, 100};
    EXPECT_GT(countNear({100, 100, 100}, 60, middle), 400) << "grey pigeon";
    EXPECT_LT(sky(Rect{0, 0, 640, 480}), 1000);

    // A hop forward carries the world: the picture changes under the pigeon.
    const hoptest::Image before = readFramebuffer();
    tap(g, SDLK_UP);
    frames(g, 6);
    shot("fixed_hop");
    EXPECT_GT(readFramebuffer().countDiff(before, Rect{0, 60, 640, 420}, 30), 5000);

    // Car 1 in the pigeon's lane and level with it: orange fills the middle.
    g.world.car1.position.x = 0;
    g.world.car1.drawZ = 0;
    g.draw();
    shot("fixed_car");
    EXPECT_GT(countNear({200, 110, 30}, 70, Rect{100, 100, 440, 280}), 5000) << "the orange car";

    // The free view: sky above the horizon (fogged far ground), ground below.
    g.world.car1.position.x = 9.5f;
    tap(g, SDLK_v);
    frames(g);
    shot("free");
    EXPECT_GT(sky(Rect{0, 0, 640, 60}), 20000);
    EXPECT_LT(sky(Rect{0, 400, 640, 80}), 100);
    // Zooming out as far as it goes changes the whole picture.
    const hoptest::Image nearView = readFramebuffer();
    for (int i = 0; i < 40; ++i) g.handleEvent(hoptest::wheelEvent(-1));
    EXPECT_EQ(g.camera.distance, ViewCamera::kMaxDistance);
    frames(g);
    shot("free_far");
    EXPECT_GT(readFramebuffer().countDiff(nearView, Rect{0, 100, 640, 380}, 30), 40000);

    // Back to the fixed view: no fog there.
    tap(g, SDLK_v);
    frames(g);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_LT(sky(Rect{0, 0, 640, 480}), 1000);
}

TEST_F(PigeonrunGL, EachBrokenFileStopsTheGameNamingIt) {
    // A copy of the stage, one file broken at a time in four ways.
    const fs::path stage = fs::current_path().parent_path();
    const fs::path copy = fs::temp_directory_path() / ("pigeonrun_gl_" + std::to_string(getpid()));
    fs::remove_all(copy);
    fs::create_directories(copy / "juego");
    fs::copy(stage / "Objetos", copy / "Objetos");
    const fs::path cwd = fs::current_path();
    fs::current_path(copy / "juego");

    std::vector<std::string> files = {AssetPaths::kPigeon, AssetPaths::kCar,   AssetPaths::kCoin,
                                      AssetPaths::kCoinIcon, AssetPaths::kLogo, AssetPaths::kPause,
                                      AssetPaths::kGameOver, AssetPaths::kPressEnter, AssetPaths::kGrass,
                                      AssetPaths::kRoad};
    for (int d = 0; d < 10; d += 9) files.push_back(AssetPaths::digit(d));
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        std::string garbage(whole.size(), '\0');
        for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = char((i * 7919 + 13) % 251);
        const std::pair<const char*, std::string> ways[] = {
            {"deleted", ""}, {"empty", ""}, {"half", whole.substr(0, whole.size() / 2)}, {"garbage", garbage}};
        for (const auto& [how, bytes] : ways) {
            fs::remove(file);
            if (std::string(how) != "deleted") std::ofstream(file, std::ios::binary) << bytes;
            std::string message;
            try {
                Game g(true);
            } catch (const std::exception& e) {
                message = e.what();
            }
            // A model cut at a line end is still a model: only the others must fail.
            const bool mayRead = std::string(how) == "half" && file.size() > 4 && file.substr(file.size() - 4) == ".obj" &&
                                 message.empty();
            if (!mayRead) {
                EXPECT_EQ(message.rfind(file, 0), 0u) << file << " " << how << ": '" << message << "'";
            }
        }
        std::ofstream(file, std::ios::binary) << whole;
    }
    fs::current_path(cwd);
    fs::remove_all(copy);
}
