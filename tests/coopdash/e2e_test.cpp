// The real program under Xvfb: the start screen, play, pause, settings,
// quitting, broken files and a machine without sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "hoptest/broken.h"
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
// The 1200 x 720 layout (no window manager grants full screen under Xvfb).
const Rect kPanel{420, 140, 360, 440};
const Rect kTitleText{450, 235, 300, 50};
const Rect kHud{0, 0, 300, 34};
const Rect kWireFrameText{460, 185, 120, 30};

int countIf(const Image& img, Rect r, bool (*pred)(Color)) {
    if (img.empty()) return 0;
    int n = 0;
    for (int y = r.y; y < r.y + r.h && y < img.height(); ++y)
        for (int x = r.x; x < r.x + r.w && x < img.width(); ++x) n += pred(img.pixel(x, y));
    return n;
}
bool violet(Color c) { return c.b > c.r + 30 && c.b > c.g + 30 && c.r < 110; }
bool white(Color c) { return c.r > 190 && c.g > 190 && c.b > 190; }

// The pointer starts at the screen's centre, which is the window's: a move
// there would never happen, and xdotool would wait for it.
bool clickAt(GameSession& g, int x, int y) { return g.mouseMove(x + 7, y + 5) && g.click(x, y); }

bool panelShown(GameSession& g) { return countIf(g.screenshot(), kPanel, violet) > 60000; }
bool panelGone(GameSession& g) { return countIf(g.screenshot(), kPanel, violet) < 5000; }

// A stage folder of links to the real one, with one file replaced or removed.
struct BrokenStage {
    fs::path root;
    explicit BrokenStage(const std::string& name) {
        root = fs::temp_directory_path() / ("coopdash_" + name + "_" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        for (const char* dir : {"objetos", "fuentes", "sound"}) {
            fs::create_directories(root / dir);
            for (const auto& e : fs::directory_iterator(fs::path(COOPDASH_STAGE) / dir))
                fs::create_symlink(e.path(), root / dir / e.path().filename());
        }
    }
    ~BrokenStage() { fs::remove_all(root); }
    void remove(const std::string& rel) { fs::remove(root / rel); }
    void replace(const std::string& rel, const std::string& bytes) {
        fs::remove(root / rel);
        std::ofstream(root / rel, std::ios::binary) << bytes;
    }
    std::string bin() const { return (root / "bin").string(); }
};

}  // namespace

TEST(CoopdashE2E, StartScreenPlayPauseSettingsAndSalir) {
    GameSession game({COOPDASH_BIN});
    const auto w = game.waitForWindow(kTitle, 60s);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_EQ(w.width, 1200);
    EXPECT_EQ(w.height, 720);

    // "Plonky Path" over the window panel.
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }, 60s)) << "no start screen";
    EXPECT_GT(countIf(game.screenshot(), kTitleText, white), 300) << "no title";

    // "Inicio" starts play.
    ASSERT_TRUE(clickAt(game, 600, 360));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelGone(game); }, 30s)) << "still on the start screen";

    // The up arrow walks: the first step already scores a row.
    const Image before = game.screenshot();
    ASSERT_TRUE(game.hold("Up", 400ms));
    EXPECT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countDiff(before, kHud, 60) > 20; }, 30s))
        << "the score did not change";

    // P: the pause menu; "Ajustes": the settings; "Regresar"; "Salir".
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }, 30s)) << "no pause menu";
    ASSERT_TRUE(clickAt(game, 600, 360));
    EXPECT_TRUE(hoptest::waitUntil([&] { return countIf(game.screenshot(), kWireFrameText, white) > 100; }, 30s))
        << "no settings screen";
    ASSERT_TRUE(clickAt(game, 600, 510));
    EXPECT_TRUE(hoptest::waitUntil([&] { return countIf(game.screenshot(), kWireFrameText, white) < 20; }, 30s))
        << "Regresar did not go back";
    ASSERT_TRUE(clickAt(game, 600, 460));
    EXPECT_EQ(game.waitExit(30s), 0);
    EXPECT_EQ(game.stderrText(), "");
}

// Menus are drawn when something changes, not every frame: over the time
// play takes to show 30 frames, a menu shows none (one at most, an expose),
// and a key or a click on it still acts.
TEST(CoopdashE2E, StillMenusStopDrawingAndStillAnswer) {
    GameSession game({COOPDASH_BIN});
    ASSERT_NE(game.waitForWindow(kTitle, 60s).id, 0u) << game.stderrText();
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }, 60s));
    ASSERT_GE(game.frames(), 0) << "no frame counter";
    ASSERT_TRUE(clickAt(game, 600, 360));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelGone(game); }));
    // How long 30 frames take here, while the world runs.
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(game.waitFrames(30));
    const auto span = std::max<std::chrono::steady_clock::duration>(std::chrono::steady_clock::now() - t0, 1s);
    const auto stays = [&](const char* screen) {
        // Let the change that brought the screen be drawn first.
        long from = game.frames();
        hoptest::waitUntil([&] {
            const long now = game.frames();
            const bool settled = now == from;
            from = now;
            return settled;
        }, 120s, 300ms);
        from = game.frames();
        std::this_thread::sleep_for(span);
        EXPECT_LE(game.frames() - from, 1) << screen << " drawn on while nothing changed";
    };
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); })) << "no pause menu";
    stays("the pause menu");
    ASSERT_TRUE(clickAt(game, 600, 360));
    ASSERT_TRUE(hoptest::waitUntil([&] { return countIf(game.screenshot(), kWireFrameText, white) > 100; }))
        << "Ajustes did not open";
    stays("the settings");
    // P from the settings plays on.
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelGone(game); })) << "P did not resume";
    EXPECT_TRUE(game.waitFrames(30));
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
}

TEST(CoopdashE2E, EscapeAndQQuit) {
    for (const char* key : {"Escape", "q"}) {
        GameSession game({COOPDASH_BIN});
        ASSERT_NE(game.waitForWindow(kTitle, 60s).id, 0u);
        ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }, 60s));
        ASSERT_TRUE(game.key(key));
        EXPECT_EQ(game.waitExit(30s), 0) << key;
    }
}

TEST(CoopdashE2E, PlaysSilentlyWithoutAnAudioDevice) {
    // No driver asked for (none works here), a name no driver has, a
    // driver with no card or no server behind it.
    for (const char* env : {"SDL_AUDIODRIVER", "SDL_AUDIODRIVER=no-such-driver", "SDL_AUDIODRIVER=alsa",
                            "SDL_AUDIODRIVER=pulseaudio"}) {
        SCOPED_TRACE(env);
        GameSession game({COOPDASH_BIN, {}, {}, {env}});
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(game.waitForOutput("Sin dispositivo de audio"));
        ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }));
        ASSERT_TRUE(clickAt(game, 600, 360));
        ASSERT_TRUE(hoptest::waitUntil([&] { return panelGone(game); }));
        ASSERT_TRUE(game.key("p"));
        ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }));
        ASSERT_TRUE(game.key("Escape"));
        EXPECT_EQ(game.waitExit(), 0);
        // One line about sound (the rest is the model reader's progress).
        std::istringstream out(game.stdoutText());
        int said = 0;
        for (std::string line; std::getline(out, line);)
            said += line.find("audio") != std::string::npos || line.find("sonido") != std::string::npos;
        EXPECT_EQ(said, 1) << game.stdoutText();
        EXPECT_EQ(game.stderrText(), "");
    }
}

TEST(CoopdashE2E, SigtermAndClosingTheWindowEndWithStatusZero) {
    for (bool playing : {false, true}) {
        GameSession game({COOPDASH_BIN});
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }));
        if (playing) {
            ASSERT_TRUE(clickAt(game, 600, 360));
            ASSERT_TRUE(hoptest::waitUntil([&] { return panelGone(game); }));
        }
        game.terminate();
        EXPECT_EQ(game.waitExit(), 0) << (playing ? "playing" : "on the start screen");
    }
    for (bool playing : {false, true}) {
        GameSession game({COOPDASH_BIN});
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }));
        if (playing) {
            ASSERT_TRUE(clickAt(game, 600, 360));
            ASSERT_TRUE(hoptest::waitUntil([&] { return panelGone(game); }));
        }
        ASSERT_TRUE(game.closeWindow());
        EXPECT_EQ(game.waitExit(), 0) << (playing ? "playing" : "on the start screen");
    }
}

TEST(CoopdashE2E, WithoutADisplayItSaysSoAndEndsWithStatusOne) {
    // A login session's runtime folder, as a user has one: without it the
    // Wayland library SDL probes prints a complaint of its own.
    const fs::path runtime = fs::temp_directory_path() / ("coopdash_runtime_" + std::to_string(::getpid()));
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    GameSession game({COOPDASH_BIN, {}, {},
                      {"DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR=" + runtime.string()}});
    EXPECT_EQ(game.waitExit(), 1);
    const std::string err = game.stderrText();
    EXPECT_TRUE(err == "No hay pantalla disponible (controlador de video \"offscreen\"): inicie el juego desde una "
                       "sesión gráfica\n" ||
                err == "No hay pantalla disponible (controlador de video \"dummy\"): inicie el juego desde una "
                       "sesión gráfica\n")
        << err;
    EXPECT_EQ(game.stdoutText(), "");
    fs::remove_all(runtime);
}

TEST(CoopdashE2E, ABrokenFileIsNamedAndEndsWithStatusOne) {
    struct Case {
        const char* file;
        bool remove;
        std::string bytes;
    };
    const Case cases[] = {
        {"objetos/sedan.obj", true, ""},
        {"fuentes/Brickley Blocks.ttf", true, ""},
        {"objetos/pollo.mtl", false, "garbage\x01\x02\n"},
        {"objetos/calle.png", false, std::string(300, '\x7f')},
        {"objetos/ventana.png", false, ""},
        {"objetos/train.obj", false, "v 1 2 x\n"},
    };
    for (const Case& c : cases) {
        BrokenStage stage("broken");
        if (c.remove) stage.remove(c.file);
        else stage.replace(c.file, c.bytes);
        GameSession game({COOPDASH_BIN, {}, stage.bin()});
        EXPECT_EQ(game.waitExit(60s), 1) << c.file;
        EXPECT_NE(game.stderrText().find(std::string("../") + c.file), std::string::npos)
            << c.file << ": " << game.stderrText();
    }
}

namespace {

// Every file the game reads, under its stage folder.
const std::vector<const char*> kFiles = {
    "objetos/calle.obj", "objetos/calle.mtl", "objetos/calle.png", "objetos/pollo.obj", "objetos/pollo.mtl",
    "objetos/sedan.obj", "objetos/sedan.mtl", "objetos/tree_blocks.obj", "objetos/tree_blocks.mtl",
    "objetos/via.obj", "objetos/via.mtl", "objetos/train.obj", "objetos/train.mtl", "objetos/grass.obj",
    "objetos/grass.mtl", "objetos/moneda.obj", "objetos/moneda.mtl", "objetos/fantasma.obj", "objetos/fantasma.mtl",
    "objetos/ventana.png", "fuentes/Brickley Blocks.ttf", "sound/mixkit-game-level-music-689.wav",
    "sound/menu1.wav", "sound/hurt1.wav"};

// A folder or a named pipe nobody writes to in each file's place: the game
// names the file and ends with status 1 (a sound: says so and plays on
// without it), never waiting on the pipe.
void breakEveryFile(hoptest::Break how, bool sounds) {
    std::mt19937 random(7);
    const fs::path dir = fs::temp_directory_path() / ("coopdash_kinds_" + std::to_string(::getpid()));
    for (const char* file : kFiles) {
        const bool sound = std::string(file).rfind("sound/", 0) == 0;
        if (sound != sounds) continue;
        SCOPED_TRACE(file);
        hoptest::stageBroken(COOPDASH_STAGE, dir, kFiles, file, how, random);
        fs::create_directories(dir / "bin");
        GameSession game({COOPDASH_BIN, {}, (dir / "bin").string()});
        const std::string named = std::string("../") + file + ": ";
        if (!sound) {
            EXPECT_EQ(game.waitExit(), 1);
            EXPECT_NE(game.stderrText().find(named), std::string::npos) << game.stderrText();
            continue;
        }
        EXPECT_TRUE(game.waitForOutput("No se pudo cargar archivo de sonido\n" + named)) << game.stdoutText();
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }));
        ASSERT_TRUE(game.key("Escape"));
        EXPECT_EQ(game.waitExit(), 0);
    }
    fs::remove_all(dir);
}

}  // namespace

TEST(CoopdashE2E, AFolderInAFilesPlaceIsNamed) { breakEveryFile(hoptest::Folder, false); }
TEST(CoopdashE2E, ANamedPipeInAFilesPlaceIsNamedAndNeverWaitedOn) { breakEveryFile(hoptest::Pipe, false); }
TEST(CoopdashE2E, ASoundThatIsAFolderOrAPipeIsNamedAndTheGamePlaysOn) {
    breakEveryFile(hoptest::Folder, true);
    breakEveryFile(hoptest::Pipe, true);
}

// The best score is kept across runs in HOPGAMES_DATA_DIR and shown in the
// HUD from the start; a worse run leaves it; a garbage file is named, set
// aside, and the game plays on.
TEST(CoopdashE2E, TheBestScoreOutlivesTheProgram) {
    const fs::path data = fs::temp_directory_path() / ("coopdash_records_" + std::to_string(::getpid()));
    fs::remove_all(data);
    const fs::path file = data / "coopdash" / "records.txt";
    const std::string env = "HOPGAMES_DATA_DIR=" + data.string();
    const Rect kRecord{380, 0, 300, 34};
    const auto kept = [&] {
        std::ifstream in(file);
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto at = all.find("\nbest ");
        return at == std::string::npos ? -1L : std::stol(all.substr(at + 6));
    };
    Image none;
    {
        GameSession game({COOPDASH_BIN, {}, {}, {env}});
        ASSERT_NE(game.waitForWindow(kTitle, 60s).id, 0u) << game.stderrText();
        ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }));
        none = game.screenshot();
        ASSERT_TRUE(clickAt(game, 600, 360));
        ASSERT_TRUE(hoptest::waitUntil([&] { return panelGone(game); }));
        const Image before = game.screenshot();
        ASSERT_TRUE(game.hold("Up", 400ms));
        ASSERT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countDiff(before, kHud, 60) > 20; }));
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
        EXPECT_EQ(game.stderrText(), "");
    }
    const long best = kept();
    ASSERT_GT(best, 0) << "no best kept";
    {
        // Shown at once, on the start screen; quitting at 0 keeps it.
        GameSession game({COOPDASH_BIN, {}, {}, {env}});
        ASSERT_NE(game.waitForWindow(kTitle, 60s).id, 0u);
        ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }));
        EXPECT_GT(game.screenshot().countDiff(none, kRecord, 60), 20) << "the best is not shown";
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
    }
    EXPECT_EQ(kept(), best) << "a worse run replaced the best";
    {
        std::ofstream(file, std::ios::trunc) << "garbage\x01\n";
        GameSession game({COOPDASH_BIN, {}, {}, {env}});
        ASSERT_NE(game.waitForWindow(kTitle, 60s).id, 0u);
        EXPECT_TRUE(game.waitForOutput(file.string())) << game.stderrText();
        ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }));
        ASSERT_TRUE(clickAt(game, 600, 360));
        ASSERT_TRUE(hoptest::waitUntil([&] { return panelGone(game); })) << "no play after a bad file";
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
        int aside = 0;
        for (const auto& e : fs::directory_iterator(data / "coopdash"))
            aside += e.path().filename().string().rfind("records.txt.bad", 0) == 0;
        EXPECT_EQ(aside, 1) << "the bad file was not set aside";
    }
    fs::remove_all(data);
}

// A virtual controller plays: the d-pad walks the start menu's highlight and
// A chooses "Inicio"; the d-pad walks left and right (checked on screen);
// unplugging mid-walk pauses and leaves no direction held; plugged again,
// the stick walks forward (the score), Start pauses and resumes, Back opens
// the pause menu, whose highlight the d-pad moves to "Ajustes", B goes back,
// and "Salir" quits.
TEST(CoopdashE2E, AGameControllerPlaysAndWalksTheMenus) {
    GameSession game;
    hoptest::Pad pad(game);
    game.start(pad.launch({COOPDASH_BIN}));
    ASSERT_NE(game.waitForWindow(kTitle, 60s).id, 0u) << game.stderrText();
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }, 60s));
    ASSERT_TRUE(pad.plug());
    EXPECT_TRUE(game.waitForOutput("Mando conectado"));
    const auto press = [&](SDL_GameControllerButton b) { return pad.button(b, true) && pad.button(b, false); };
    const auto changes = [&](const Image& from) {
        return hoptest::waitUntil([&] { return game.screenshot().countDiff(from, kPanel, 60) > 200; });
    };
    // The start menu: Down lights "Inicio", Down moves to "Salir", Up back.
    Image shot = game.screenshot();
    ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
    ASSERT_TRUE(changes(shot)) << "no highlight";
    shot = game.screenshot();
    ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
    ASSERT_TRUE(changes(shot)) << "the highlight did not move";
    shot = game.screenshot();
    ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_DPAD_UP));
    ASSERT_TRUE(changes(shot)) << "the highlight did not move back";
    ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_A));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelGone(game); })) << "A on \"Inicio\" did not start play";

    // Left and right are the arrows (their screen sides are checked with the
    // keys in the GL tests; the table in the unit tests).
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_DPAD_LEFT));
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_DPAD_RIGHT));

    // Pulled out while walking left: the game pauses; the keyboard resumes.
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true));
    ASSERT_TRUE(pad.unplug());
    EXPECT_TRUE(game.waitForOutput("Mando desconectado"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); })) << "unplugging did not pause";
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelGone(game); }));

    // Plugged again: the left stick leans forward and the first step scores.
    ASSERT_TRUE(pad.plug());
    shot = game.screenshot();
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -32768));
    EXPECT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countDiff(shot, kHud, 60) > 20; }))
        << "the stick did not walk forward";
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 0));

    // Start pauses and resumes.
    ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_START));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); })) << "Start did not pause";
    ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_START));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelGone(game); })) << "Start did not resume";

    // Back: the pause menu; Down, Down: "Ajustes"; A opens it; B goes back;
    // Down: "Salir"; A quits.
    ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_BACK));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); })) << "Back did not open the menu";
    ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
    ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
    ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_A));
    ASSERT_TRUE(hoptest::waitUntil([&] { return countIf(game.screenshot(), kWireFrameText, white) > 100; }))
        << "the highlight did not reach \"Ajustes\"";
    ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_B));
    ASSERT_TRUE(hoptest::waitUntil([&] { return countIf(game.screenshot(), kWireFrameText, white) < 20; }))
        << "B did not go back";
    ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
    pad.button(SDL_CONTROLLER_BUTTON_A, true);  // the game may be gone before it returns
    EXPECT_EQ(game.waitExit(), 0) << "\"Salir\" was not chosen";
    EXPECT_EQ(game.stderrText(), "");
}
