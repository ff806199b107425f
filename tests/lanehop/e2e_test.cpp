// The real program under Xvfb: the paused start with its panel, page
// switching, unpausing, skipping a level and quitting.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "hoptest/e2e.h"
#include "hoptest/pad.h"

using hoptest::Color;
using hoptest::GameSession;
using hoptest::Image;
using hoptest::Rect;
using namespace std::chrono_literals;

namespace {

const char* const kTitle = "Plonky Path";

// Regions as fractions of the window, origin top-left.
Rect region(const hoptest::WindowInfo& w, float x, float y, float wd, float ht) {
    return Rect{int(x * float(w.width)), int(y * float(w.height)), int(wd * float(w.width)), int(ht * float(w.height))};
}

// Saves a screenshot when LANEHOP_SHOTS names a folder (for looking at).
void keep(const Image& img, const std::string& name) {
    if (const char* dir = std::getenv("LANEHOP_SHOTS")) img.savePNG(std::string(dir) + "/e2e_" + name + ".png");
}

int countOrange(const Image& img, Rect r) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const Color c = img.pixel(x, y);
            n += c.r > 200 && c.g > 90 && c.g < 170 && c.b < 60;
        }
    return n;
}

// The paused start is a still screen, drawn only when something changes:
// wait for its panel rather than for frames.
bool panelShown(GameSession& game, const hoptest::WindowInfo& w) {
    return game.waitForScreen([&](const Image& img) {
        return img.countNear({255, 255, 255}, 40, region(w, 0.27f, 0.03f, 0.46f, 0.45f)) > 2000;
    });
}

TEST(LanehopE2E, PausedStartPanelPagesSkipAndQuit) {
    GameSession game({LANEHOP_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_TRUE(game.waitForOutput("HELLO WORLD"));
    EXPECT_TRUE(game.waitForOutput("Nivel 1"));
    const Rect pausa = region(w, 0.44f, 0.91f, 0.14f, 0.08f);
    const Rect panelText = region(w, 0.27f, 0.03f, 0.46f, 0.45f);
    const Rect hint = region(w, 0.59f, 0.83f, 0.15f, 0.06f);

    // Paused from the start: "Pausa" in the bottom bar and the panel's lines.
    // The whole first page may take a few frames to show: wait for all of it.
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) {
        return img.countNear({255, 255, 255}, 40, pausa) > 200 && img.countNear({255, 255, 255}, 40, panelText) > 2000 &&
               countOrange(img, hint) > 100;
    })) << "no Pausa, panel lines or page hint";
    const Image page0 = game.lastScreenshot();
    keep(page0, "page0");
    // Nothing moves while paused: no frame is drawn until something
    // happens (a loaded machine only draws fewer).
    EXPECT_FALSE(game.waitFrames(3, 3s)) << "the paused picture is drawn again and again";

    // A click while paused turns the page at once.
    // Not the window centre: the pointer of a fresh display already rests there.
    ASSERT_TRUE(game.click(w.width / 3, w.height / 3));
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return img.countDiff(page0, panelText, 40) > 1000; }))
        << "the panel did not change page";
    // The turned page may take another frame to show whole: wait for its hint.
    EXPECT_TRUE(game.waitForScreen(
        [&](const Image& img) { return countOrange(img, region(w, 0.59f, 0.83f, 0.05f, 0.06f)) > 50; }))
        << "no '< Controles' hint";
    keep(game.lastScreenshot(), "page1");

    // p: play. The panel and "Pausa" go, the scene fades in (sky blue on top).
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return img.countNear({255, 255, 255}, 40, pausa) < 50; }))
        << "still paused";
    EXPECT_TRUE(game.waitForScreen(
        [&](const Image& img) {
            int blue = 0;
            const Rect sky = region(w, 0.3f, 0.1f, 0.4f, 0.15f);
            for (int y = sky.y; y < sky.y + sky.h; y += 4)
                for (int x = sky.x; x < sky.x + sky.w; x += 4) {
                    const Color c = img.pixel(x, y);
                    blue += c.b > 150 && c.b > c.r + 30;
                }
            return blue > 200;
        }))
        << "no sky";

    // The chicken walks: hold Up, the view follows and the picture changes.
    const Image before = game.screenshot();
    keep(before, "playing");
    ASSERT_TRUE(game.hold("Up", 400ms));
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return img.countDiff(before, region(w, 0, 0.3f, 1, 0.5f), 30) > 2000; }))
        << "the chicken did not walk";

    // Page Up: the next level.
    ASSERT_TRUE(game.key("Prior"));
    EXPECT_TRUE(game.waitForOutput("Nivel 2"));

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(LanehopE2E, WindowCloseQuitsCleanly) {
    GameSession game({LANEHOP_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    ASSERT_TRUE(panelShown(game, w));
    ASSERT_TRUE(game.closeWindow());
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(LanehopE2E, MissingLevelIsReportedWithStatusOne) {
    // A stage copy without its levels: the game names the file and stops.
    const std::string dir = ::testing::TempDir() + "lanehop_nolevels";
    std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "' && cp -r \"$(dirname '" LANEHOP_BIN
                      "')/resources\" '" + dir + "/'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    GameSession game(hoptest::Launch(LANEHOP_BIN, {}, dir));
    const auto status = game.waitExit();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    EXPECT_NE(game.stderrText().find("./level/level1.txt"), std::string::npos) << game.stderrText();
}

}  // namespace

namespace {

// Without a usable display the game says why on standard error and stops
// with status 1 instead of running without a window.
TEST(LanehopE2E, NoWindowNoGame) {
    {
        GameSession game(hoptest::Launch(LANEHOP_BIN, {}, {}, {"SDL_VIDEODRIVER=dummy"}));
        const auto status = game.waitExit();
        ASSERT_TRUE(status.has_value());
        EXPECT_EQ(*status, 1);
        EXPECT_NE(game.stderrText().find("No se pudo crear la ventana"), std::string::npos) << game.stderrText();
    }
    {
        GameSession game(hoptest::Launch(LANEHOP_BIN, {}, {}, {"SDL_VIDEODRIVER=nosuchdriver"}));
        const auto status = game.waitExit();
        ASSERT_TRUE(status.has_value());
        EXPECT_EQ(*status, 1);
        EXPECT_NE(game.stderrText().find("No se pudo iniciar SDL: "), std::string::npos) << game.stderrText();
    }
}

}  // namespace

namespace {

// Copies the game's stage folder (program, levels, resources) to `dir`.
void copyStage(const std::string& dir) {
    const std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "' && cp -r \"$(dirname '" LANEHOP_BIN
                            "')/.\" '" + dir + "/'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
}

// The frame-rate font is read while the window opens: deleted, empty, cut
// in half or garbage, the game names it and ends with status 1 (it aborted
// with 134 before).
TEST(LanehopE2E, BrokenFrameRateFontIsNamedWithStatusOne) {
    const std::string dir = ::testing::TempDir() + "lanehop_badfont";
    const std::string font = dir + "/resources/fonts/ocraext.ttf";
    const std::string f = "'" + font + "'";
    const std::string breakings[] = {
        "rm -f " + f,
        ": > " + f,
        "head -c $(( $(stat -c %s " + f + ") / 2 )) " + f + " > " + f + ".cut && mv " + f + ".cut " + f,
        "head -c $(stat -c %s " + f + ") /dev/urandom > " + f + ".rnd && mv " + f + ".rnd " + f,
    };
    for (const std::string& how : breakings) {
        copyStage(dir);
        ASSERT_EQ(std::system(how.c_str()), 0) << how;
        GameSession game(hoptest::Launch(dir + "/lanehop", {}, dir));
        const auto status = game.waitExit(60s);
        ASSERT_TRUE(status.has_value()) << how;
        EXPECT_EQ(*status, 1) << how;
        EXPECT_NE(game.stderrText().find("./resources/fonts/ocraext.ttf"), std::string::npos)
            << how << ": " << game.stderrText();
    }
}

// The sunset sky is read when the player first picks it: a face gone by
// then is named, and the game ends with status 1 rather than crashing.
TEST(LanehopE2E, MissingSunsetSkyIsNamedWhenChosen) {
    const std::string dir = ::testing::TempDir() + "lanehop_nosunset";
    copyStage(dir);
    ASSERT_EQ(std::system(("rm '" + dir + "/resources/textures/skyboxSunset/left.jpg'").c_str()), 0);
    GameSession game(hoptest::Launch(dir + "/lanehop", {}, dir));
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    ASSERT_TRUE(panelShown(game, w));
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(game.key("3"));
    ASSERT_TRUE(game.waitFrames());
    EXPECT_TRUE(game.running()) << "only the sunset needs the file";
    ASSERT_TRUE(game.key("2"));
    const auto status = game.waitExit(60s);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    EXPECT_NE(game.stderrText().find("./resources/textures/skyboxSunset/left.jpg"), std::string::npos)
        << game.stderrText();
}

// Without its settings file the game plays on and says why the panel is empty.
TEST(LanehopE2E, MissingSettingsAreSaid) {
    const std::string dir = ::testing::TempDir() + "lanehop_nosettings";
    copyStage(dir);
    ASSERT_EQ(std::system(("rm '" + dir + "/resources/settings.txt'").c_str()), 0);
    GameSession game(hoptest::Launch(dir + "/lanehop", {}, dir));
    EXPECT_TRUE(game.waitForOutput("No se pudieron leer los ajustes ./resources/settings.txt: falta el archivo", 60s))
        << game.stderrText();
    EXPECT_TRUE(game.waitForOutput("Nivel 1", 60s));
    EXPECT_TRUE(game.running());
}

}  // namespace

namespace {

// Without any display SDL would fall back to a driver that shows nothing:
// the game says so in one line and stops. (A runtime folder as a desktop
// session has one: without it the Wayland library complains on its own.)
TEST(LanehopE2E, NoDisplayIsSaidInOneLine) {
    GameSession game(hoptest::Launch(LANEHOP_BIN, {}, {},
                                     {"DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR=" + ::testing::TempDir()}));
    const auto status = game.waitExit();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    EXPECT_EQ(game.stderrText(),
              "No hay pantalla disponible (controlador de video \"offscreen\"): inicie el juego desde una sesión "
              "gráfica\n");
}

TEST(LanehopE2E, TerminationEndsCleanly) {
    GameSession game({LANEHOP_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    ASSERT_TRUE(panelShown(game, w));
    game.terminate();
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

// Xvfb has no window manager: full screen is never granted. The game sees
// it, stays in its window and draws the paused picture as before (it drew
// for the desktop's size, the HUD's top cut off).
TEST(LanehopE2E, FullScreenRefusedStaysWindowed) {
    GameSession game({LANEHOP_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    ASSERT_TRUE(game.waitForOutput("Nivel 1"));
    // The panel over the paused scene, all of it: it stays still while paused.
    const Rect panel = region(w, 0.2f, 0, 0.6f, 0.9f);
    ASSERT_TRUE(panelShown(game, w)) << "no panel";
    const Image before = game.screenshot();
    const auto same = [&](const Image& img) { return img.countDiff(before, panel, 40) < panel.w * panel.h / 100; };
    ASSERT_TRUE(same(game.screenshot())) << "the paused picture changes";
    ASSERT_TRUE(game.key("g"));
    EXPECT_TRUE(game.waitForOutput("Pantalla completa no disponible: el juego sigue en una ventana"));
    EXPECT_TRUE(game.waitForScreen(same)) << "the HUD moved or is cut";
    keep(game.lastScreenshot(), "fullscreen_refused");
    // Asked again, it says so again and stays.
    ASSERT_TRUE(game.key("g"));
    EXPECT_TRUE(game.waitForOutput("Pantalla completa no disponible", hoptest::patience(), 2));
    EXPECT_TRUE(game.waitForScreen(same)) << "the HUD moved or is cut";
    const auto info = game.tool({"xwininfo", "-id", std::to_string(w.id)});
    EXPECT_NE(info.out.find("Width: " + std::to_string(w.width)), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Height: " + std::to_string(w.height)), std::string::npos) << info.out;
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
}

// A folder or a named pipe in a file's place is refused by name: the game
// never blocks opening a pipe.
TEST(LanehopE2E, FolderOrPipeInAFilesPlaceIsNamed) {
    const std::string dir = ::testing::TempDir() + "lanehop_notafile";
    for (const char* make : {"mkdir", "mkfifo"})
        for (const char* file : {"level/level1.txt", "resources/textures/grass.jpg"}) {
            copyStage(dir);
            const std::string path = dir + "/" + file;
            ASSERT_EQ(std::system(("rm '" + path + "' && " + make + " '" + path + "'").c_str()), 0);
            GameSession game(hoptest::Launch(dir + "/lanehop", {}, dir));
            const auto status = game.waitExit();
            ASSERT_TRUE(status.has_value()) << make << " " << file;
            EXPECT_EQ(*status, 1) << make << " " << file;
            EXPECT_NE(game.stderrText().find(std::string("./") + file + ": "), std::string::npos)
                << make << " " << file << ": " << game.stderrText();
        }
}

}  // namespace

namespace {

const Rect pausaOf(const hoptest::WindowInfo& w) { return region(w, 0.44f, 0.91f, 0.14f, 0.08f); }

}  // namespace

// A virtual controller plays: Start leaves the paused start, the d-pad and
// the stick walk, Start pauses and resumes, and the controller pulled out
// mid-walk pauses the game.
TEST(LanehopE2E, AControllerPlays) {
    GameSession game;
    hoptest::Pad pad(game);
    game.start(pad.launch({LANEHOP_BIN}));
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    ASSERT_TRUE(panelShown(game, w));
    ASSERT_TRUE(pad.plug());
    EXPECT_TRUE(game.waitForOutput("Mando conectado: "));
    const Rect pausa = pausaOf(w);
    const auto paused = [&](const Image& img) { return img.countNear({255, 255, 255}, 40, pausa) > 200; };
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));
    ASSERT_TRUE(game.waitForScreen([&](const Image& img) { return !paused(img); })) << "Start: still paused";
    ASSERT_TRUE(game.waitFrames(40));  // the fade-in

    // Each way walks: the view follows and the picture changes.
    const Rect scene = region(w, 0, 0.3f, 1, 0.5f);
    for (auto b : {SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT}) {
        const Image before = game.screenshot();
        ASSERT_TRUE(pad.button(b, true));
        EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return img.countDiff(before, scene, 30) > 2000; }))
            << "no walk on button " << int(b);
        ASSERT_TRUE(pad.button(b, false));
    }

    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
    EXPECT_TRUE(game.waitForScreen(paused)) << "Start: no pause";
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
    EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return !paused(img); })) << "Start again: still paused";
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));

    // The stick held left, then pulled out: the game pauses.
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768));
    ASSERT_TRUE(game.waitFrames(3));
    ASSERT_TRUE(pad.unplug());
    EXPECT_TRUE(game.waitForScreen(paused)) << "unplugged mid-walk: no pause";
    EXPECT_TRUE(game.waitForOutput("Mando desconectado: "));
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
}

// The kept record is read at start-up and shown on the paused panel; a
// garbage records file is named, set aside, and play goes on.
TEST(LanehopE2E, KeptRecordIsShownAndGarbageSetAside) {
    const std::string data = ::testing::TempDir() + "lanehop_records";
    ASSERT_EQ(std::system(("rm -rf '" + data + "' && mkdir -p '" + data + "/lanehop'").c_str()), 0);
    const std::string file = data + "/lanehop/records.txt";
    const hoptest::Launch launch(LANEHOP_BIN, {}, {}, {"HOPGAMES_DATA_DIR=" + data});
    const auto panelBottom = [](const hoptest::WindowInfo& w) { return region(w, 0.27f, 0.80f, 0.34f, 0.08f); };
    Image none;
    {
        GameSession game(launch);
        const auto w = game.waitForWindow(kTitle);
        ASSERT_NE(w.id, 0u) << game.stderrText();
        ASSERT_TRUE(panelShown(game, w));
        ASSERT_TRUE(game.waitForScreen([&](const Image& img) { return img.countNear({255, 255, 255}, 40, panelBottom(w)) > 300; }))
            << "no record line";
        none = game.lastScreenshot();
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
    }
    std::ofstream(file) << "hopgames-records 1\nbest 4\nlevel-1 17\nend 2\n";
    {
        GameSession game(launch);
        const auto w = game.waitForWindow(kTitle);
        ASSERT_NE(w.id, 0u) << game.stderrText();
        ASSERT_TRUE(panelShown(game, w));
        EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return img.countDiff(none, panelBottom(w), 40) > 300; }))
            << "the kept record is not shown";
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
    }
    std::ofstream(file) << "hopgames-records 1\nbest 4\nlevel-1 1";  // cut short
    {
        GameSession game(launch);
        const auto w = game.waitForWindow(kTitle);
        ASSERT_NE(w.id, 0u) << game.stderrText();
        EXPECT_TRUE(game.waitForOutput(file));
        ASSERT_TRUE(panelShown(game, w));
        ASSERT_TRUE(game.key("p"));
        EXPECT_TRUE(game.waitForScreen([&](const Image& img) { return img.countNear({255, 255, 255}, 40, pausaOf(w)) < 50; }))
            << "no play after a bad records file";
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
        const auto aside = game.tool({"sh", "-c", "ls '" + data + "/lanehop'"});
        EXPECT_NE(aside.out.find("records.txt.bad-"), std::string::npos) << aside.out;
    }
}
