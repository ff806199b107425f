// The real program under Xvfb: the start screen, play, pause, settings,
// quitting, broken files and a machine without sound.
#include <gtest/gtest.h>

#include <chrono>
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

TEST(CoopdashE2E, EscapeAndQQuit) {
    for (const char* key : {"Escape", "q"}) {
        GameSession game({COOPDASH_BIN});
        ASSERT_NE(game.waitForWindow(kTitle, 60s).id, 0u);
        ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }, 60s));
        ASSERT_TRUE(game.key(key));
        EXPECT_EQ(game.waitExit(30s), 0) << key;
    }
}

TEST(CoopdashE2E, PlaysWithoutAnAudioDevice) {
    GameSession game({COOPDASH_BIN, {}, {}, {"SDL_AUDIODRIVER=no-such-driver"}});
    ASSERT_NE(game.waitForWindow(kTitle, 60s).id, 0u);
    ASSERT_TRUE(game.waitForOutput("Sin dispositivo de audio", 30s));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }, 60s));
    ASSERT_TRUE(clickAt(game, 600, 360));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelGone(game); }, 30s));
    ASSERT_TRUE(game.key("p"));
    ASSERT_TRUE(hoptest::waitUntil([&] { return panelShown(game); }, 30s));
    ASSERT_TRUE(game.key("Escape"));
    EXPECT_EQ(game.waitExit(30s), 0);
    const std::string out = game.stdoutText();
    EXPECT_EQ(out.find("Sin dispositivo de audio"), out.rfind("Sin dispositivo de audio")) << "said more than once";
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
