// Drawing in an offscreen 1200 x 720 context from the game's folder: the
// model library over every generated file, both views, and the HUD and menus
// readable under every render switch and light.
#include <GL/gl.h>
#include <SDL2/SDL_ttf.h>
#include <gtest/gtest.h>

#include <memory>

#include "app.h"
#include "escena.h"
#include "hoptest/gl.h"
#include "juego.h"
#include "modelos.h"
#include "test_support.h"
#include "texto.h"

using namespace coopdash;
using hoptest::Color;
using hoptest::Image;
using hoptest::Rect;

namespace {

bool whiteish(Color c) { return c.r > 190 && c.g > 190 && c.b > 190; }
bool violet(Color c) { return c.b > c.r + 30 && c.b > c.g + 30 && c.r < 110; }
bool sky(Color c) { return c.b > 200 && c.g > 180 && c.r < 150; }
bool green(Color c) { return c.g > c.r + 30 && c.g > c.b + 30; }

int count(const Image& img, Rect r, bool (*pred)(Color)) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) n += pred(img.pixel(x, y));
    return n;
}

class CoopdashGL : public hoptest::GLTest {
protected:
    CoopdashGL() {
        width = kLayoutWidth;
        height = kLayoutHeight;
    }
    void SetUp() override {
        GLTest::SetUp();
        ASSERT_EQ(TTF_Init(), 0);
        coopdash::setupGL();
        testing::internal::CaptureStdout();
        text = std::make_unique<Texto>();
        models = std::make_unique<ModelLibrary>();
        testing::internal::GetCapturedStdout();
        atlas = loadTexture(kAtlasPath, true);
        // Grass only, without trees: nothing hides the chicken or the sky.
        field = std::make_unique<Playfield>(cdtest::script({}, 7));
        field->displayLists = models->lists;
        field->roadTexture = models->roadTexture;
        field->generate();
        game = std::make_unique<Juego>(*field, Recursos{text.get(), nullptr, atlas}, gl().window());
        game->start();
    }
    void TearDown() override {
        game.reset();
        field.reset();
        models.reset();
        text.reset();
        glDeleteTextures(1, &atlas);
        TTF_Quit();
        GLTest::TearDown();
    }
    Image frame() {
        game->draw();
        return readFramebuffer();
    }

    std::unique_ptr<Texto> text;
    std::unique_ptr<ModelLibrary> models;
    unsigned atlas = 0;
    std::unique_ptr<Playfield> field;
    std::unique_ptr<Juego> game;
};

const Rect kWhole{0, 0, 1200, 720};
const Rect kCentre{540, 280, 120, 160};
const Rect kHudText{0, 0, 240, 34};
const Rect kPanel{420, 140, 360, 440};
const Rect kFirstButton{525, 235, 150, 50};  // "Reanudar" on the pause menu

}  // namespace

TEST_F(CoopdashGL, LibraryCompilesEveryModelAndTheRoadTexture) {
    for (int k = 0; k < KindCount; ++k) {
        EXPECT_NE(models->lists[std::size_t(k)], 0u) << kModelFiles[std::size_t(k)];
        EXPECT_TRUE(glIsList(models->lists[std::size_t(k)])) << kModelFiles[std::size_t(k)];
        EXPECT_GE(models->triangles[std::size_t(k)], 10u) << kModelFiles[std::size_t(k)];
    }
    EXPECT_TRUE(glIsTexture(models->roadTexture));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(CoopdashGL, StartScreenThenBothViews) {
    Image start = frame();
    EXPECT_GT(count(start, kPanel, violet), 60000) << "no window panel";
    EXPECT_GT(count(start, {450, 235, 300, 50}, whiteish), 300) << "no title";

    game->setPaused(false);
    Image top = frame();
    EXPECT_LT(count(top, kPanel, violet), 5000) << "the menu stayed";
    EXPECT_GT(count(top, kCentre, whiteish), 500) << "no chicken at the centre";
    EXPECT_GT(count(top, kWhole, green), 300000) << "no grass";

    game->view = ViewFirstPerson;
    Image eye = frame();
    EXPECT_GT(count(eye, {0, 0, 1200, 250}, sky), 100000) << "no sky ahead";
    EXPECT_LT(count(eye, kCentre, whiteish), 200) << "the chicken's own model in the eye's way";
    EXPECT_GT(eye.countDiff(top, kWhole, 30), 200000);
}

TEST_F(CoopdashGL, HudAndMenusReadTheSameUnderEveryRenderSwitchAndLight) {
    game->handleEvent(SDL_Event{});
    game->setPaused(true);  // the pause menu over the field
    const Image base = frame();
    const int hud = count(base, kHudText, whiteish), button = count(base, kFirstButton, whiteish);
    ASSERT_GT(hud, 150);
    ASSERT_GT(button, 150);
    const auto check = [&](const char* what) {
        const Image img = frame();
        EXPECT_NEAR(count(img, kHudText, whiteish), hud, hud / 5) << what;
        EXPECT_NEAR(count(img, kFirstButton, whiteish), button, button / 5) << what;
        EXPECT_GT(count(img, kPanel, violet), 60000) << what;
    };
    game->options.wireframe = true;
    check("wireframe");
    game->options.texturesOff = true;
    check("textures off");
    game->options.smooth = true;
    check("smooth");
    for (int p = 1; p < 10; ++p) {
        game->options.lightPreset = p;
        check(("light " + std::to_string(p)).c_str());
    }
    game->view = ViewFirstPerson;
    check("first person (fog)");
    // The scene itself did change under the switches.
    EXPECT_GT(frame().countDiff(base, {0, 600, 400, 120}, 30), 5000);
}

TEST_F(CoopdashGL, TextTexturesDoNotPileUpFrameAfterFrame) {
    game->setPaused(false);
    for (int i = 0; i < 100; ++i) {
        field->score = i;  // a new HUD text every frame
        game->draw();
    }
    EXPECT_LE(text->cachedTextures(), 16u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
