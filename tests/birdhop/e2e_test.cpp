// The real program under Xvfb: the HUD, hops, the panel, the dance words, a
// squash and its restart, quitting, and damaged files.
#include <gtest/gtest.h>
#include <sys/stat.h>
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

const char* const kTitle = "Taller-3D";
const Rect kScore{500, 0, 140, 48};
const Rect kLevel{220, 0, 200, 48};

int countIf(const Image& img, Rect r, bool (*pred)(Color)) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h && y < img.height(); ++y)
        for (int x = r.x; x < r.x + r.w && x < img.width(); ++x) n += pred(img.pixel(x, y));
    return n;
}
bool isGreen(Color c) { return c.g > 200 && c.r < 60 && c.b < 60; }
bool isBright(Color c) { return c.r > 230 && c.g > 230 && c.b > 230; }
// The sky while squashed: red over blue.
bool isRedSky(Color c) { return c.r > 150 && c.b < 110 && c.g < 110; }
// Under the bird in the starting view: grass or road.
bool isGrass(Color c) { return c.g > c.r + 30 && c.g > c.b + 30; }

// The RECORD line, right of the help line at the bottom.
const Rect kRecord{320, 420, 320, 38};
// The panel's area.
const Rect kPanel{0, 60, 640, 300};
bool isYellow(Color c) { return c.r > 200 && c.g > 170 && c.b < 90; }

// How far the ground left and right of the bird moved
// sideways from `a` to `b`, in pixels (toward the right positive): the
// shift that lines them up best. The camera follows the bird, so the world
// moves the other way the bird hopped.
int sideShift(const Image& a, const Image& b) {
    long bestSum = -1;
    int bestShift = 0;
    for (int dx = -300; dx <= 300; dx += 2) {
        long sum = 0, n = 0;
        // The ground round the bird, below the rows ahead where cars pass.
        for (int y = 370; y < 460; y += 3)
            for (int x = 10; x < 630; x += 3) {
                if (x > 250 && x < 390) continue;   // the bird itself stays put
                if (x > 480 && y > 420) continue;  // so does the RECORD line
                const int from = x - dx;
                if (from < 0 || from >= a.width() || x >= b.width() || y >= b.height()) continue;
                const Color p = a.pixel(from, y), q = b.pixel(x, y);
                sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
                ++n;
            }
        if (n == 0) continue;
        const long mean = sum * 100 / n;
        if (bestSum < 0 || mean < bestSum) bestSum = mean, bestShift = dx;
    }
    return bestShift;
}

// The start of play: the HUD drawn.
bool started(GameSession& game) {
    return hoptest::waitUntil([&] { return countIf(game.screenshot(), kLevel, isGreen) > 400; }, 30s);
}

// A copy of the stage folder (program and files) to break files in.
struct StageCopy {
    fs::path root;
    StageCopy() {
        char tmpl[] = "/tmp/birdhop-e2e-XXXXXX";
        root = mkdtemp(tmpl);
        const fs::path stage = fs::path(BIRDHOP_BIN).parent_path().parent_path();
        fs::copy(stage, root, fs::copy_options::recursive);
    }
    ~StageCopy() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    std::string program() const { return (root / "game" / "birdhop").string(); }
    fs::path resource(const char* name) const { return root / "resources" / name; }
};

void write(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

TEST(BirdhopE2E, HudHopsPanelWordsAndQuit) {
    GameSession game({BIRDHOP_BIN});
    const auto w = game.waitForWindow(kTitle);
    ASSERT_NE(w.id, 0u) << game.stderrText();
    EXPECT_EQ(w.width, 640);
    EXPECT_EQ(w.height, 480);
    ASSERT_TRUE(hoptest::waitUntil([&] { return countIf(game.screenshot(), kLevel, isGreen) > 400; }, 30s))
        << "Nivel 1";
    const Image start = game.screenshot();
    EXPECT_GT(countIf(start, kScore, isGreen), 300) << "0/30";

    // Up from row 0 always lands: the first rows hold only border trees.
    ASSERT_TRUE(game.key("Up"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countDiff(start, kScore, 60) > 30; }, 20s))
        << "0/30 became 1/30";

    ASSERT_TRUE(game.type("tree"));
    EXPECT_TRUE(game.waitForOutput("Baila tree\n", 20s));

    // P: the panel; a click on x2 makes it the bright one.
    ASSERT_TRUE(game.key("p"));
    const Rect x2{550, 76, 56, 40};
    ASSERT_TRUE(hoptest::waitUntil(
        [&] { return game.screenshot().countDiff(start, {0, 60, 640, 300}, 60) > 20000; }, 20s))
        << "the panel shows";
    ASSERT_TRUE(game.mouseMove(20, 470));
    std::this_thread::sleep_for(300ms);
    const int before = countIf(game.screenshot(), x2, isBright);
    ASSERT_TRUE(game.click(576, 96));
    ASSERT_TRUE(game.mouseMove(20, 470));
    EXPECT_TRUE(hoptest::waitUntil([&] { return countIf(game.screenshot(), x2, isBright) > before + 150; }, 20s))
        << "x2 chosen";
    ASSERT_TRUE(game.key("p"));

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(20s), 0);
    EXPECT_EQ(game.stderrText(), "");
}

TEST(BirdhopE2E, SpaceAfterASquashPrintsTheScore) {
    GameSession game({BIRDHOP_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(hoptest::waitUntil([&] { return countIf(game.screenshot(), kLevel, isGreen) > 400; }, 30s));
    // Hop forward over grass; on a road, wait there for a car.
    bool squashed = false;
    const auto deadline = std::chrono::steady_clock::now() + 150s;
    int waited = 0, presses = 0;
    while (!squashed && std::chrono::steady_clock::now() < deadline) {
        const Image img = game.screenshot();
        if (countIf(img, {0, 50, 640, 30}, isRedSky) > 5000) {
            squashed = true;
            break;
        }
        const bool onGrass = countIf(img, {200, 400, 240, 30}, isGrass) > 3000;
        if (onGrass || waited > 40) {
            // Every fourth press steps aside, so a tree ahead does not
            // hold the bird on its grass for good.
            game.key(++presses % 4 == 0 ? "Left" : "Up");
            waited = 0;
            std::this_thread::sleep_for(700ms);
        } else {
            ++waited;
            std::this_thread::sleep_for(500ms);
        }
    }
    ASSERT_TRUE(squashed) << "no car came";
    ASSERT_TRUE(game.key("space"));
    EXPECT_TRUE(game.waitForOutput("\x1b[2J\x1b[HTu score es: ", 20s)) << game.stdoutText();
    ASSERT_TRUE(game.key("Escape"));
    EXPECT_EQ(game.waitExit(20s), 0);
}

TEST(BirdhopE2E, EscapeSigtermAndClosingTheWindowEachEndWithStatusZero) {
    for (const char* how : {"Escape", "SIGTERM", "close"}) {
        GameSession game({BIRDHOP_BIN});
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(hoptest::waitUntil([&] { return countIf(game.screenshot(), kLevel, isGreen) > 400; }, 30s));
        if (how[0] == 'E') ASSERT_TRUE(game.key("Escape"));
        else if (how[0] == 'S') game.terminate();
        else ASSERT_TRUE(game.closeWindow());
        EXPECT_EQ(game.waitExit(), 0) << how;
    }
}

TEST(BirdhopE2E, WithoutADisplayItSaysSoAndEndsWithStatusOne) {
    GameSession game(hoptest::Launch(BIRDHOP_BIN, {}, {}, {"DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY"}));
    EXPECT_EQ(game.waitExit(), 1);
    // The line ends what the program says (the display libraries SDL
    // tries may complain before it).
    const std::string line =
        "No hay pantalla disponible (controlador de video \"offscreen\"): inicie el juego desde una sesión gráfica\n";
    const std::string err = game.stderrText();
    EXPECT_TRUE(err.size() >= line.size() && err.compare(err.size() - line.size(), line.size(), line) == 0) << err;
    EXPECT_EQ(game.stdoutText(), "") << "nothing was loaded";
}

TEST(BirdhopE2E, AMissingOrMalformedFileEndsWithItsNameAndStatusOne) {
    {
        StageCopy stage;
        fs::remove(stage.resource("10603_slot_car_blue_SG_v1_iterations-2.obj"));
        GameSession game(hoptest::Launch(stage.program()));
        EXPECT_EQ(game.waitExit(60s), 1);
        EXPECT_NE(game.stderrText().find("../resources/10603_slot_car_blue_SG_v1_iterations-2.obj: cannot open"),
                  std::string::npos)
            << game.stderrText();
    }
    {
        StageCopy stage;
        write(stage.resource("12248_Bird_v1_L2.obj"), "v 0 0 0\nv 1 0 0\nv 0 1.5.2 0\n");
        GameSession game(hoptest::Launch(stage.program()));
        EXPECT_EQ(game.waitExit(60s), 1);
        EXPECT_NE(game.stderrText().find("../resources/12248_Bird_v1_L2.obj: line 3: malformed number '1.5.2'"),
                  std::string::npos)
            << game.stderrText();
    }
    {
        // A road level of the wrong size would be read past its end.
        StageCopy stage;
        fs::copy_file(stage.resource("32.jpg"), stage.resource("64.jpg"), fs::copy_options::overwrite_existing);
        GameSession game(hoptest::Launch(stage.program()));
        EXPECT_EQ(game.waitExit(60s), 1);
        EXPECT_NE(game.stderrText().find("../resources/64.jpg: the road picture must be 64 x 64 pixels, not 32 x 32"),
                  std::string::npos)
            << game.stderrText();
    }
    {
        // A folder or a named pipe where a picture should be: named, and the
        // pipe never opened (it would block).
        StageCopy stage;
        fs::remove(stage.resource("textura_pasto.jpg"));
        fs::create_directory(stage.resource("textura_pasto.jpg"));
        GameSession game(hoptest::Launch(stage.program()));
        EXPECT_EQ(game.waitExit(60s), 1);
        EXPECT_EQ(game.stderrText(), "../resources/textura_pasto.jpg: is a folder, not a picture file\n");
    }
    {
        StageCopy stage;
        fs::remove(stage.resource("skybox_texture.jpg"));
        ASSERT_EQ(mkfifo(stage.resource("skybox_texture.jpg").c_str(), 0600), 0);
        GameSession game(hoptest::Launch(stage.program()));
        EXPECT_EQ(game.waitExit(60s), 1);
        EXPECT_EQ(game.stderrText(), "../resources/skybox_texture.jpg: is a named pipe, not a picture file\n");
    }
    {
        StageCopy stage;
        const fs::path font = stage.resource("fuente_high.png");
        const auto size = fs::file_size(font);
        std::ifstream in(font, std::ios::binary);
        std::string bytes(size / 2, '\0');
        in.read(bytes.data(), std::streamsize(bytes.size()));
        in.close();
        write(font, bytes);
        GameSession game(hoptest::Launch(stage.program()));
        EXPECT_EQ(game.waitExit(60s), 1);
        EXPECT_NE(game.stderrText().find("../resources/fuente_high.png: "), std::string::npos) << game.stderrText();
    }
}

// The pause panel is a still screen: once drawn it is not drawn again until
// something happens, and a key on it acts at once.
TEST(BirdhopE2E, ThePausePanelStopsDrawingAndItsKeysStillAct) {
    GameSession game({BIRDHOP_BIN});
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
    ASSERT_TRUE(started(game));
    const Image playing = game.screenshot();
    ASSERT_TRUE(game.waitFrames(10)) << "play draws every frame";
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countDiff(playing, kPanel, 60) > 20000; }, 20s));
    std::this_thread::sleep_for(1s);  // the last frames after the key
    const long settled = game.frames();
    ASSERT_GE(settled, 0) << "frames are counted";
    std::this_thread::sleep_for(2s);
    EXPECT_LE(game.frames(), settled + 1) << "the still panel is not drawn again";

    // Return shows the chosen cell's yellow frame: drawn at once.
    const Image still = game.screenshot();
    EXPECT_LT(countIf(still, kPanel, isYellow), 20);
    ASSERT_TRUE(game.key("Return"));
    EXPECT_TRUE(hoptest::waitUntil([&] { return countIf(game.screenshot(), kPanel, isYellow) > 100; }, 20s));
    ASSERT_TRUE(game.key("p"));
    EXPECT_TRUE(game.waitFrames(30)) << "play again draws every frame";
    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
    EXPECT_EQ(game.stderrText(), "");
}

// A virtual controller plays: A hops ahead, the d-pad and the left stick hop
// toward their side of the screen, a shoulder changes the view, Start
// pauses and resumes, the d-pad and A work the panel, Back opens it (the
// menu); a controller pulled out mid-hold pauses and lets go, and plugged in
// again plays on.
TEST(BirdhopE2E, AVirtualControllerPlaysPausesWorksThePanelAndLetsGoWhenUnplugged) {
    GameSession game;
    hoptest::Pad pad(game);
    game.start(pad.launch({BIRDHOP_BIN}));
    ASSERT_NE(game.waitForWindow(kTitle).id, 0u) << game.stderrText();
    ASSERT_TRUE(pad.plug()) << game.stderrText();
    EXPECT_TRUE(game.waitForOutput("Mando conectado: "));
    ASSERT_TRUE(started(game));

    Image before = game.screenshot();
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_A));
    EXPECT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countDiff(before, kScore, 60) > 30; }, 20s))
        << "A: 0/30 became 1/30";
    ASSERT_TRUE(game.waitFrames(40));  // the hop lands

    const auto hopShift = [&](SDL_GameControllerButton b) {
        const Image from = game.screenshot();
        if (!pad.hold(b)) return 0;
        game.waitFrames(60);  // half a second of hop, and more
        return sideShift(from, game.screenshot());
    };
    EXPECT_GT(hopShift(SDL_CONTROLLER_BUTTON_DPAD_LEFT), 20) << "left: the world slides right";
    EXPECT_LT(hopShift(SDL_CONTROLLER_BUTTON_DPAD_RIGHT), -20) << "right: the world slides left";
    // The left stick held left hops on (on row 1, clear of trees); pulled
    // out, the game pauses and, resumed, the bird stays where it is.
    const Image open = game.screenshot();
    before = open;
    ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768));
    ASSERT_TRUE(game.waitForScreen([&](const Image& i) { return sideShift(before, i) > 20; }));
    ASSERT_TRUE(pad.unplug());
    EXPECT_TRUE(game.waitForOutput("Mando desconectado: "));
    EXPECT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countDiff(open, kPanel, 60) > 20000; }, 20s))
        << "unplugged: paused";
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(game.waitFrames(60));  // a hop under way lands
    const Image stopped = game.screenshot();
    ASSERT_TRUE(game.waitFrames(90));
    EXPECT_LE(std::abs(sideShift(stopped, game.screenshot())), 4) << "no direction left held";
    ASSERT_TRUE(pad.plug());  // plugged in again during play
    EXPECT_TRUE(game.waitForOutput("Mando conectado: ", hoptest::patience(), 2));

    before = game.screenshot();
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_DPAD_UP));
    EXPECT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countDiff(before, kScore, 60) > 30; }, 20s))
        << "up: 1/30 became 2/30";
    ASSERT_TRUE(game.waitFrames(40));

    // The shoulder changes the view (the overview of the start), and back.
    before = game.screenshot();
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_LEFTSHOULDER));
    EXPECT_TRUE(game.waitForScreen([&](const Image& i) { return i.countDiff(before, {0, 60, 640, 340}, 60) > 40000; }));
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER));
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER));
    ASSERT_TRUE(game.waitFrames(10));

    // Start: the panel. A shows the chosen cell, right moves it, A toggles.
    const Image playing = game.screenshot();
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));
    ASSERT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countDiff(playing, kPanel, 60) > 20000; }, 20s));
    const auto yellowX = [&](const Image& img) {
        long sum = 0, n = 0;
        for (int y = kPanel.y; y < kPanel.y + kPanel.h; ++y)
            for (int x = 0; x < img.width(); ++x)
                if (isYellow(img.pixel(x, y))) sum += x, ++n;
        return n > 50 ? int(sum / n) : -1;
    };
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_A, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_A, false));
    int first = -1;
    ASSERT_TRUE(hoptest::waitUntil([&] { return (first = yellowX(game.screenshot())) >= 0; }, 20s));
    for (int step = 1; step <= 2; ++step) {  // x1, then x2, each 128 pixels right
        ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true));
        ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false));
        EXPECT_TRUE(hoptest::waitUntil([&] { return yellowX(game.screenshot()) > first + 100 * step; }, 20s))
            << "the frame moved right " << step;
    }
    const Image chosen = game.screenshot();
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_A, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_A, false));
    EXPECT_TRUE(hoptest::waitUntil(
        [&] { return game.screenshot().countDiff(chosen, {400, 60, 240, 80}, 60) > 100; }, 20s))
        << "x2 became the speed";
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));
    EXPECT_TRUE(game.waitFrames(30)) << "resumed: play draws every frame, the still panel does not";

    // Back opens the panel too: the game's menu.
    ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_BACK));
    EXPECT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countDiff(playing, kPanel, 60) > 20000; }, 20s));
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_B, true));  // B: back to play
    ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_B, false));
    EXPECT_TRUE(game.waitFrames(30)) << "B: back to play";

    ASSERT_TRUE(game.key("q"));
    EXPECT_EQ(game.waitExit(), 0);
}

// The best distance is kept across runs and shown; a shorter run does not
// replace it; a garbage records file is set aside with a line naming it and
// the game plays on.
TEST(BirdhopE2E, TheBestDistanceSurvivesARestartAndAGarbageFileIsSetAside) {
    char tmpl[] = "/tmp/birdhop-records-XXXXXX";
    const fs::path data = mkdtemp(tmpl);
    const fs::path file = data / "birdhop" / "records.txt";
    const hoptest::Launch launch(BIRDHOP_BIN, {}, {}, {"HOPGAMES_DATA_DIR=" + data.string()});
    const auto read = [](const fs::path& p) {
        std::ifstream in(p);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    Image twoRows;
    {
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(started(game));
        EXPECT_LT(countIf(game.screenshot(), kRecord, isGreen), 20) << "no record yet";
        for (int hop = 0; hop < 2; ++hop) {  // rows 1 and 2 hold no cars
            const Image before = game.screenshot();
            ASSERT_TRUE(game.key("Up"));
            ASSERT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countDiff(before, kScore, 60) > 30; }, 20s));
            ASSERT_TRUE(game.waitFrames(40));
        }
        twoRows = game.screenshot();
        EXPECT_GT(countIf(twoRows, kRecord, isGreen), 100) << "RECORD 2";
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
    }
    EXPECT_NE(read(file).find("\nbest 2\n"), std::string::npos) << read(file);
    {
        // Shown from the start; quitting at once (0 rows) keeps it.
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(started(game));
        EXPECT_LT(game.screenshot().countDiff(twoRows, kRecord, 60), 20) << "RECORD 2 again";
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
        EXPECT_EQ(game.stderrText(), "");
    }
    EXPECT_NE(read(file).find("\nbest 2\n"), std::string::npos) << read(file);

    write(file, "best two\n\x01\x02 garbage");
    {
        GameSession game(launch);
        ASSERT_NE(game.waitForWindow(kTitle).id, 0u);
        ASSERT_TRUE(started(game));
        EXPECT_NE(game.stderrText().find(file.string()), std::string::npos) << game.stderrText();
        const Image before = game.screenshot();
        ASSERT_TRUE(game.key("Up"));
        EXPECT_TRUE(hoptest::waitUntil([&] { return game.screenshot().countDiff(before, kScore, 60) > 30; }, 20s))
            << "play goes on";
        ASSERT_TRUE(game.waitFrames(40));
        ASSERT_TRUE(game.key("q"));
        EXPECT_EQ(game.waitExit(), 0);
    }
    int setAside = 0;
    for (const auto& e : fs::directory_iterator(file.parent_path()))
        if (e.path().filename().string().rfind("records.txt.bad", 0) == 0) {
            ++setAside;
            EXPECT_EQ(read(e.path()), std::string("best two\n\x01\x02 garbage"));
        }
    EXPECT_EQ(setAside, 1);
    EXPECT_NE(read(file).find("\nbest 1\n"), std::string::npos) << read(file);
    std::error_code ec;
    fs::remove_all(data, ec);
}
