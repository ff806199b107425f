// The real program under Xvfb: the HUD, hops, the panel, the dance words, a
// squash and its restart, quitting, and damaged files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "hoptest/e2e.h"

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
    int waited = 0;
    while (!squashed && std::chrono::steady_clock::now() < deadline) {
        const Image img = game.screenshot();
        if (countIf(img, {0, 50, 640, 30}, isRedSky) > 5000) {
            squashed = true;
            break;
        }
        const bool onGrass = countIf(img, {200, 400, 240, 30}, isGrass) > 3000;
        if (onGrass || waited > 40) {
            game.key(waited % 7 == 6 ? "Left" : "Up");
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
