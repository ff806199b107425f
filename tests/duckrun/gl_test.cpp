// The game's drawing in an offscreen 1000 x 480 context, run from the stage
// folder with the generated files. GLUT cannot start without an X display,
// so a recording glyph renderer stands in: it notes each text with the
// window position and colour GL gave its raster position.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "app.h"
#include "assets.h"
#include "game.h"
#include "hoptest/events.h"
#include "hoptest/gl.h"
#include "overlay.h"

using namespace duckrun;
using hoptest::Color;
using hoptest::Rect;
namespace fs = std::filesystem;

namespace {

struct Written {
    std::string text;
    float x, y;  // window pixels, y down
    bool valid;
    float colour[4];
};
std::vector<Written> written;

void recordGlyphs(const std::string& text) {
    GLfloat pos[4], colour[4];
    GLint valid = 0;
    glGetFloatv(GL_CURRENT_RASTER_POSITION, pos);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, colour);
    glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    written.push_back({text, pos[0], float(Game::kHeight) - pos[1], valid != 0, {colour[0], colour[1], colour[2], colour[3]}});
}

const Written* find(const std::string& text) {
    for (const Written& w : written)
        if (w.text == text) return &w;
    return nullptr;
}

constexpr std::int64_t kFrame = 1000000000 / 60;

class DuckGL : public hoptest::GLTest {
protected:
    DuckGL() {
        width = Game::kWidth;
        height = Game::kHeight;
    }
    void SetUp() override {
        GLTest::SetUp();
        setupGL();
        setGlyphRenderer(recordGlyphs);
        written.clear();
    }
    void TearDown() override {
        setGlyphRenderer(nullptr);
        GLTest::TearDown();
    }
    // One frame of the real loop; the texts it wrote are in `written`.
    void frame(Game& g, std::vector<SDL_Event> events = {}, Arrows held = {}) {
        written.clear();
        now += kFrame;
        g.step(now, events, held);
        glFinish();
    }
    void tap(Game& g, SDL_Keycode k) { frame(g, {hoptest::keyEvent(k, true), hoptest::keyEvent(k, false)}); }
    int count(Rect r, bool (*pred)(Color)) {
        const hoptest::Image img = readFramebuffer();
        int n = 0;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) n += pred(img.pixel(x, y));
        return n;
    }
    std::int64_t now = 0;
};

bool isYellow(Color c) { return c.r > 150 && c.g > 110 && c.b < 90 && c.r > c.b + 90; }
bool isBrown(Color c) { return c.r > 80 && c.r > c.g + 25 && c.g > c.b + 10 && c.r < 200; }
bool isSkyBlue(Color c) { return c.b > 150 && c.b > c.r + 40; }
bool isNightSky(Color c) { return c.b < 110 && c.r < 60 && c.g < 70; }
bool isDark(Color c) { return c.r + c.g + c.b < 260; }
bool isGreen(Color c) { return c.g > 80 && c.g > c.r + 30 && c.g > c.b + 30; }
bool isWhite(Color c) { return c.r > 200 && c.g > 200 && c.b > 200; }

void expectAt(const std::string& text, float x, float y) {
    const Written* w = find(text);
    ASSERT_NE(w, nullptr) << "'" << text << "' not written";
    EXPECT_NEAR(w->x, x, 0.6f) << text;
    EXPECT_NEAR(w->y, y, 0.6f) << text;
    EXPECT_TRUE(w->valid) << text;
    EXPECT_FLOAT_EQ(w->colour[0] + w->colour[1] + w->colour[2] + w->colour[3], 4.f) << text << " is not white";
}

}  // namespace

TEST_F(DuckGL, StartScreenShowsTheKeysOnTheBlackboard) {
    Game g(true, now);
    frame(g);
    const float left = 500 - 1000.f / 3, top = 240 - 480 / 2.5f;
    expectAt("FLECHAS:  Mover el pato", left + 55, top + 75);
    expectAt("I:  Interpolado / Facetado", left + 55, top + 75 + 6 * 30);
    const float right = left + 1000.f / 3 - 27.5f;
    expectAt("1:  Velocidad LENTA", right + 55, top + 75);
    expectAt("L:  Modo atardecer (ON/OFF)", right + 55, top + 75 + 5 * 30);
    expectAt("PRESIONE P PARA EMPEZAR A JUGAR!", right - 1000.f / 7, top + 480 / 1.6f);
    EXPECT_EQ(written.size(), 13u);
    // The wooden frame round the board, the sky above it.
    EXPECT_GT(count({170, 50, 660, 10}, isBrown), 3000);
    EXPECT_GT(count({0, 0, 1000, 30}, isSkyBlue), 20000);
}

TEST_F(DuckGL, PlayingShowsTheDuckBlocksAndHud) {
    Game g(true, now);
    tap(g, SDLK_p);
    frame(g);
    expectAt("Score: 0", 45, 60);
    expectAt("Tiempo: 00 : 00", 45, 100);
    // The HUD's backing box darkens the sky behind it.
    EXPECT_GT(count({30, 30, 10, 10}, isDark), 90);
    // The duck, yellow, below the middle of the window.
    EXPECT_GT(count({350, 200, 300, 280}, isYellow), 800);
    // The first block crosses the view: white.
    EXPECT_GT(count({0, 0, 1000, 480}, isWhite), 300);
    // Walking forward changes the score on the HUD.
    for (int i = 0; i < 40; ++i) frame(g, {}, Arrows{true, false, false, false});
    const Written* score = nullptr;
    for (const Written& w : written)
        if (w.text.rfind("Score: ", 0) == 0) score = &w;
    ASSERT_NE(score, nullptr);
    EXPECT_NE(score->text, "Score: 0");
}

TEST_F(DuckGL, TextStaysWhiteUnderEveryRenderSwitch) {
    Game g(true, now);
    tap(g, SDLK_p);
    for (SDL_Keycode k : {SDLK_t, SDLK_w, SDLK_i, SDLK_l, SDLK_n, SDLK_3}) {
        tap(g, k);
        frame(g);
        expectAt("Score: 0", 45, 60);
        EXPECT_GT(count({30, 30, 10, 10}, isDark), 90) << "after key " << k;
        if (k == SDLK_t) {
            // Textures off: a plain green field, and the (white-lit) duck on it.
            EXPECT_GT(count({0, 400, 1000, 80}, isGreen), 60000);
        }
    }
    // Wireframe draws the duck untextured: white lines, no yellow.
    EXPECT_LT(count({350, 200, 300, 280}, isYellow), 20);
    for (int i = 0; i < 62; ++i) frame(g);  // a second of play
    tap(g, SDLK_p);
    frame(g);
    expectAt("PRESIONE P PARA VOLVER AL JUEGO!", 500 - 27.5f - 1000.f / 7, 48 + 300);
}

TEST_F(DuckGL, NightSkyLoadsOnceHoweverOftenItIsSwitched) {
    Game g(true, now);
    tap(g, SDLK_p);
    frame(g);
    EXPECT_GT(count({0, 0, 1000, 40}, isSkyBlue), 30000);
    const std::size_t textures = g.skyTextureCount();
    EXPECT_EQ(textures, 12u);
    tap(g, SDLK_n);
    frame(g);
    EXPECT_TRUE(g.night);
    EXPECT_GT(count({0, 0, 1000, 40}, isNightSky), 30000);
    for (int i = 0; i < 99; ++i) tap(g, SDLK_n);
    EXPECT_FALSE(g.night);
    EXPECT_EQ(g.skyTextureCount(), textures);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DuckGL, EndScreensShowResultScoreTimeAndRestart) {
    Game g(true, now);
    tap(g, SDLK_p);
    for (int i = 0; i < 62; ++i) frame(g);
    g.blocks[0].x = g.camera.target.x + 1, g.blocks[0].z = g.camera.target.z + 1;
    frame(g);
    ASSERT_EQ(g.state.screen, ScreenGameOver);
    frame(g);
    expectAt("GAME OVER", 440, 140);
    expectAt("Score: 0", 455, 215);
    expectAt("Tiempo: 00 : 01", 430, 245);
    expectAt("PRESIONE R PARA REINICIAR", 375, 340);
    EXPECT_GT(count({170, 50, 660, 10}, isBrown), 3000);

    g.state.screen = ScreenWon;
    g.state.best = -121;
    frame(g);
    expectAt("YOU WON!", 440, 140);
    expectAt("Score: 121", 455, 215);
    tap(g, SDLK_r);
    frame(g);
    expectAt("Score: 0", 45, 60);
}

// Each file the game reads, broken in turn in a copy of the stage folder:
// the game refuses to start with a message naming it.
TEST_F(DuckGL, EveryBrokenFileIsNamed) {
    const fs::path stage = fs::current_path();
    const fs::path copy = fs::temp_directory_path() / ("duckrun_files_" + std::to_string(getpid()));
    fs::remove_all(copy);
    fs::create_directories(copy);
    fs::copy(stage / "assets", copy / "assets", fs::copy_options::recursive);
    std::vector<std::string> files = {paths::kDuckModel, paths::kDuckTexture, paths::kGrass, paths::kBlackboard};
    for (const auto* set : {&paths::kDaySky, &paths::kNightSky}) files.insert(files.end(), set->begin(), set->end());
    ASSERT_EQ(files.size(), 16u);
    fs::current_path(copy);
    std::mt19937 random(5);
    const char* const kinds[] = {"deleted", "empty", "cut in half", "random bytes"};
    int kind = 0;
    for (const std::string& file : files) {
        const std::string original = [&] {
            std::ifstream in(file, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }();
        // Every kind for the model and one image of each format; one kind
        // each, in turn, for the rest.
        const bool all = file == paths::kDuckModel || file == paths::kDuckTexture || file == paths::kGrass;
        for (int k = all ? 0 : kind++ % 4; k < 4; k = all ? k + 1 : 4) {
            if (k == 0) {
                fs::remove(file);
            } else {
                std::string bytes = k == 1 ? "" : original.substr(0, original.size() / 2);
                if (k == 3)
                    for (char& c : (bytes = original)) c = char(random());
                std::ofstream(file, std::ios::binary) << bytes;
            }
            try {
                Game g(true, 0);
                ADD_FAILURE() << file << " " << kinds[k] << ": the game started";
            } catch (const AssetError& e) {
                EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << kinds[k] << ": " << e.what();
            }
            std::ofstream(file, std::ios::binary) << original;
        }
    }
    fs::current_path(stage);
    fs::remove_all(copy);
}
