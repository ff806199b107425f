// Menu, options, controls and lost screens: click areas at their bounds,
// what each click does, the click line on the console and the texts.
#include <gtest/gtest.h>

#include <string>

#include "app.h"
#include "camera.h"
#include "game.h"
#include "screens.h"
#include "test_support.h"

using namespace roosterway;

namespace {

struct Click {
    ScreenState screen;
    Options options;
    std::string printed;
};

Click clickMenu(char subScreen, int x, int y, Options options = Options()) {
    Click c;
    c.screen.subScreen = subScreen;
    c.options = options;
    testing::internal::CaptureStdout();
    menuClick(c.screen, c.options, x, y);
    c.printed = testing::internal::GetCapturedStdout();
    return c;
}

bool sameOptions(const Options& a, const Options& b) {
    return a.slow == b.slow && a.wireframe == b.wireframe && a.textures == b.textures && a.flatMode == b.flatMode &&
           a.lightMode == b.lightMode;
}

bool sameScreen(const ScreenState& a, const ScreenState& b) {
    return a.mainState == b.mainState && a.subScreen == b.subScreen && a.quitRequested == b.quitRequested &&
           a.newGameRequested == b.newGameRequested;
}

}  // namespace

TEST(MainMenu, AreasIncludeTheirLowerBoundsAndExcludeTheUpper) {
    struct Area {
        ClickBox box;
        const char* name;
        bool (*applied)(const ScreenState&);
    };
    const Area areas[] = {
        {kMenuJugar, "JUGAR", [](const ScreenState& s) { return s.mainState == StatePlaying; }},
        {kMenuOpciones, "OPCIONES", [](const ScreenState& s) { return s.subScreen == ScreenOptions; }},
        {kMenuControles, "CONTROLES", [](const ScreenState& s) { return s.subScreen == ScreenControls; }},
        {kMenuSalir, "SALIR", [](const ScreenState& s) { return s.quitRequested; }},
    };
    for (const Area& a : areas) {
        SCOPED_TRACE(a.name);
        const ClickBox& b = a.box;
        for (auto [x, y] : {std::pair{b.x1, b.y1}, {b.x2 - 1, b.y2 - 1}, {b.x1, b.y2 - 1}, {b.x2 - 1, b.y1}})
            EXPECT_TRUE(a.applied(clickMenu(ScreenMain, x, y).screen)) << x << "," << y;
        for (auto [x, y] : {std::pair{b.x1 - 1, b.y1}, {b.x2, b.y1}, {b.x1, b.y1 - 1}, {b.x1, b.y2}})
            EXPECT_FALSE(a.applied(clickMenu(ScreenMain, x, y).screen)) << x << "," << y;
    }
    EXPECT_EQ(kMenuJugar.x1, 523);
    EXPECT_EQ(kMenuSalir.y2, 584);
    // Every click prints its position, inside an area or not.
    EXPECT_EQ(clickMenu(ScreenMain, 600, 330).printed, "{600, 330},\n");
    const Click outside = clickMenu(ScreenMain, 10, 700);
    EXPECT_EQ(outside.printed, "{10, 700},\n");
    EXPECT_TRUE(sameScreen(outside.screen, [] {
        ScreenState s;
        s.subScreen = ScreenMain;
        return s;
    }()));
}

TEST(OptionsScreen, BoxesApplyOnlyStrictlyInside) {
    for (int i = 0; i < kOptionBoxes; ++i) {
        SCOPED_TRACE(i);
        const ClickBox& b = kOptionBox[i];
        // What the box does, applied to the defaults.
        ScreenState expectedScreen;
        expectedScreen.subScreen = ScreenOptions;
        Options expectedOptions;
        applyOptionBox(i, expectedScreen, expectedOptions);
        for (auto [x, y] : {std::pair{b.x1 + 1, b.y1 + 1}, {b.x2 - 1, b.y2 - 1}}) {
            const Click c = clickMenu(ScreenOptions, x, y);
            EXPECT_TRUE(sameOptions(c.options, expectedOptions)) << x << "," << y;
            EXPECT_TRUE(sameScreen(c.screen, expectedScreen)) << x << "," << y;
        }
        // On a bound: nothing, starting from options that every box would change.
        Options odd;
        odd.slow = !expectedOptions.slow;
        odd.wireframe = !expectedOptions.wireframe;
        odd.textures = !expectedOptions.textures;
        odd.flatMode = !expectedOptions.flatMode;
        odd.lightMode = i >= 8 && i <= 11 ? (i - 8 + 1) % 4 : 2;
        for (auto [x, y] : {std::pair{b.x1, b.y1 + 1}, {b.x2, b.y1 + 1}, {b.x1 + 1, b.y1}, {b.x1 + 1, b.y2}}) {
            const Click c = clickMenu(ScreenOptions, x, y, odd);
            EXPECT_TRUE(sameOptions(c.options, odd)) << x << "," << y;
            EXPECT_EQ(c.screen.subScreen, ScreenOptions) << x << "," << y;
        }
    }
    // The effects themselves.
    Options o;
    ScreenState s;
    s.subScreen = ScreenOptions;
    applyOptionBox(0, s, o);
    EXPECT_TRUE(o.slow);
    applyOptionBox(2, s, o);
    EXPECT_TRUE(o.wireframe);
    applyOptionBox(5, s, o);
    EXPECT_FALSE(o.textures);
    applyOptionBox(6, s, o);
    EXPECT_TRUE(o.flatMode);
    applyOptionBox(10, s, o);
    EXPECT_EQ(o.lightMode, 2);
    EXPECT_EQ(highlightedBox(o, 0), 0);
    EXPECT_EQ(highlightedBox(o, 1), 2);
    EXPECT_EQ(highlightedBox(o, 2), 5);
    EXPECT_EQ(highlightedBox(o, 3), 6);
    EXPECT_EQ(highlightedBox(o, 4), 10);
    applyOptionBox(12, s, o);
    EXPECT_EQ(s.subScreen, ScreenMain);

    // Outside every box: nothing changes, the position is still printed.
    const Click c = clickMenu(ScreenOptions, 300, 400);
    EXPECT_EQ(c.printed, "{300, 400},\n");
    EXPECT_TRUE(sameOptions(c.options, Options()));
    EXPECT_EQ(c.screen.subScreen, ScreenOptions);
}

TEST(ControlsAndLostScreens, VolverIncludesBothBounds) {
    for (auto [x, y] : {std::pair{538, 627}, {738, 662}, {538, 662}, {738, 627}}) {
        EXPECT_EQ(clickMenu(ScreenControls, x, y).screen.subScreen, ScreenMain) << x << "," << y;
        ScreenState lost;
        lost.mainState = StateLost;
        lostClick(lost, x, y);
        EXPECT_EQ(lost.mainState, StateMenu);
        EXPECT_EQ(lost.subScreen, ScreenMain);
        EXPECT_TRUE(lost.newGameRequested);
    }
    for (auto [x, y] : {std::pair{537, 640}, {739, 640}, {600, 626}, {600, 663}}) {
        const Click c = clickMenu(ScreenControls, x, y);
        EXPECT_EQ(c.screen.subScreen, ScreenControls) << x << "," << y;
        EXPECT_EQ(c.printed, "{" + std::to_string(x) + ", " + std::to_string(y) + "},\n");
        ScreenState lost;
        lost.mainState = StateLost;
        lostClick(lost, x, y);
        EXPECT_EQ(lost.mainState, StateLost);
        EXPECT_FALSE(lost.newGameRequested);
    }
    // The lost screen prints nothing.
    ScreenState lost;
    lost.mainState = StateLost;
    testing::internal::CaptureStdout();
    lostClick(lost, 600, 640);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(Screens, TextsAndPlaces) {
    EXPECT_STREQ(kMenuText.text, "JUGAR\nOPCIONES\nCONTROLES\nSALIR");
    EXPECT_EQ(kMenuText.x, 640);
    EXPECT_EQ(kMenuText.y, 360);
    EXPECT_TRUE(kMenuText.large);
    EXPECT_STREQ(kOptionsTexts[0].text, "OPCIONES");
    EXPECT_STREQ(kOptionsTexts[1].text, "Velocidad\nWireframe\nTexturas\nModo\nLuz");
    EXPECT_STREQ(kOptionsTexts[2].text, "LENTO NORMAL\nON OFF\nON OFF\nFacetado Interpolado\n1 2 3 4");
    EXPECT_STREQ(kOptionsTexts[3].text, "VOLVER");
    EXPECT_EQ(kOptionsTexts[1].x, 140);
    EXPECT_EQ(kOptionsTexts[2].y, 540);
    EXPECT_STREQ(kControlsTexts[0].text, "CONTROLES");
    EXPECT_STREQ(kControlsTexts[1].text, "camara\nWireframe\npausa\nsalir\nmov discreto\nmov continuo");
    EXPECT_STREQ(kControlsTexts[2].text, "V\nW\np\nesc\nflechas\nmouse y flechas");
    EXPECT_EQ(kControlsTexts[3].y, 60);
    EXPECT_STREQ(kLostTexts[0].text, "PERDISTE");
    EXPECT_TRUE(kLostTexts[0].large);
    EXPECT_STREQ(kLostTexts[1].text, "VOLVER");
    EXPECT_STREQ(kWinText.text, "Ganaste");
    std::string a, b;
    const ScreenText score = hudScoreText(a, 12), lives = hudLivesText(b, 3);
    EXPECT_STREQ(score.text, "Puntos 12");
    EXPECT_EQ(score.x, 40);
    EXPECT_EQ(score.y, 680);
    EXPECT_STREQ(lives.text, "Vidas 3");
    EXPECT_EQ(lives.y, 640);
}

TEST(Screens, MenuEventsThroughTheGame) {
    testing::internal::CaptureStdout();
    Juego game(false, rwtest::constant(99));
    game.handleEvent(rwtest::click(600, 400));  // OPCIONES
    game.handleEvent(rwtest::click(600, 160));  // LENTO
    game.handleEvent(rwtest::click(590, 360));  // light "2"
    game.handleEvent(rwtest::click(600, 640));  // VOLVER
    game.handleEvent(rwtest::click(600, 330));  // JUGAR
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("{600, 400},\n{600, 160},\n{590, 360},\n{600, 640},\n{600, 330},\n"), std::string::npos);
    EXPECT_TRUE(game.options.slow);
    EXPECT_EQ(game.options.lightMode, 1);
    EXPECT_EQ(game.screen.mainState, StatePlaying);

    // Lost: Escape quits; VOLVER asks for a new game.
    game.screen.mainState = StateLost;
    game.handleEvent(rwtest::click(600, 640));
    EXPECT_EQ(game.screen.mainState, StateMenu);
    EXPECT_TRUE(game.screen.newGameRequested);
    game.screen.mainState = StateLost;
    game.handleEvent(rwtest::key(SDLK_ESCAPE, true));
    EXPECT_TRUE(game.screen.quitRequested);
}

// Without the mouse (a controller's d-pad, A and B are the arrows, Return and
// Backspace): the first move shows the highlight, later ones move it, Return
// does what a click on the item does, Backspace goes back; a click hides it.
TEST(Screens, MenusWalkedWithArrowsReturnAndBackspace) {
    testing::internal::CaptureStdout();
    Juego game(false, rwtest::constant(99));
    testing::internal::GetCapturedStdout();
    const auto press = [&](std::initializer_list<SDL_Keycode> keys) {
        for (SDL_Keycode k : keys) {
            game.handleEvent(rwtest::key(k, true));
            game.handleEvent(rwtest::key(k, false));
        }
    };
    EXPECT_EQ(cursorBox(game.screen), nullptr);
    press({SDLK_DOWN});
    EXPECT_EQ(cursorBox(game.screen), &kMenuJugar) << "the first move only shows it";
    press({SDLK_UP});
    EXPECT_EQ(cursorBox(game.screen), &kMenuSalir) << "wraps";
    press({SDLK_DOWN, SDLK_DOWN, SDLK_RETURN});
    ASSERT_EQ(game.screen.subScreen, ScreenOptions);
    EXPECT_EQ(cursorBox(game.screen), &kOptionBox[1]) << "on the current speed, NORMAL";
    press({SDLK_LEFT, SDLK_LEFT, SDLK_RETURN});
    EXPECT_TRUE(game.options.slow);
    press({SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN});
    EXPECT_EQ(cursorBox(game.screen), &kOptionBox[8]) << "the current light, 1";
    press({SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT, SDLK_RIGHT, SDLK_RETURN});
    EXPECT_EQ(game.options.lightMode, 3);
    press({SDLK_DOWN, SDLK_DOWN});
    EXPECT_EQ(cursorBox(game.screen), &kOptionBox[0]) << "past VOLVER to the first setting's choice";
    press({SDLK_UP, SDLK_UP});
    EXPECT_EQ(cursorBox(game.screen), &kOptionBox[11]);
    press({SDLK_DOWN, SDLK_RETURN});  // VOLVER
    EXPECT_EQ(game.screen.subScreen, ScreenMain);
    press({SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN});
    ASSERT_EQ(game.screen.subScreen, ScreenControls);
    EXPECT_EQ(cursorBox(game.screen), &kVolver);
    press({SDLK_BACKSPACE});
    EXPECT_EQ(game.screen.subScreen, ScreenMain);
    press({SDLK_DOWN, SDLK_DOWN, SDLK_RETURN, SDLK_BACKSPACE});
    EXPECT_EQ(game.screen.subScreen, ScreenMain) << "Backspace leaves the options";
    testing::internal::CaptureStdout();
    game.handleEvent(rwtest::click(20, 20));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(cursorBox(game.screen), nullptr) << "a click hides it";
    press({SDLK_RETURN});
    EXPECT_EQ(game.screen.mainState, StatePlaying) << "Return starts play";

    game.screen.mainState = StateLost;
    press({SDLK_RETURN});
    EXPECT_EQ(game.screen.mainState, StateMenu);
    EXPECT_TRUE(game.screen.newGameRequested);
    EXPECT_FALSE(game.screen.quitRequested);
    press({SDLK_UP, SDLK_UP, SDLK_RETURN});  // SALIR
    EXPECT_TRUE(game.screen.quitRequested);
}

TEST(Camera, ThreeViews) {
    CameraPose p = cameraPose(0, 1, -4, 270, 0);
    EXPECT_FLOAT_EQ(p.eye[0], 1);
    EXPECT_FLOAT_EQ(p.eye[1], 3);
    EXPECT_FLOAT_EQ(p.eye[2], -1.75f);
    EXPECT_FLOAT_EQ(p.centre[1], 2.3f);
    EXPECT_FLOAT_EQ(p.centre[2], -2.75f);
    p = cameraPose(1, 1, -4, 270, 0);
    EXPECT_FLOAT_EQ(p.eye[0], 3);
    EXPECT_FLOAT_EQ(p.eye[1], 5);
    EXPECT_FLOAT_EQ(p.centre[0], -1);
    EXPECT_FLOAT_EQ(p.centre[1], -3);
    EXPECT_FLOAT_EQ(p.centre[2], -7.25f);
    // Yaw 270: behind the chicken; pitch raises the eye.
    p = cameraPose(2, 0, 0, 270, 0.5f);
    EXPECT_NEAR(p.eye[0], 0, 1e-5);
    EXPECT_FLOAT_EQ(p.eye[1], 3.5f);
    EXPECT_NEAR(p.eye[2], 2.25f, 1e-5);
    EXPECT_FLOAT_EQ(p.centre[1], 1.5f);
    EXPECT_FLOAT_EQ(p.centre[2], 0.25f);
}

TEST(Camera, FrustumSkipsOnlyWhatCannotShow) {
    // Identity: the unit cube.
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Frustum f = frustumFrom(identity);
    EXPECT_TRUE(f.sphereVisible(0, 0, 0, 0));
    EXPECT_TRUE(f.sphereVisible(1.4f, 0, 0, 0.5f));
    EXPECT_FALSE(f.sphereVisible(1.6f, 0, 0, 0.5f));
    EXPECT_FALSE(f.sphereVisible(0, -2, 0, 0.5f));
    EXPECT_FALSE(f.sphereVisible(0, 0, 3, 1.f));
    // A shift by +5 in x (column-major translation) moves the cube to x -6..-4.
    const float shift[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 0, 0, 1};
    float m[16];
    multiply(identity, shift, m);
    f = frustumFrom(m);
    EXPECT_TRUE(f.sphereVisible(-5, 0, 0, 0.1f));
    EXPECT_FALSE(f.sphereVisible(0, 0, 0, 0.5f));
    // A perspective view down -z: things behind the eye are skipped.
    const float n = 0.1f, fa = 100.f, t = 0.41421356f;  // tan(22.5 deg)
    const float persp[16] = {1 / (t * 1.7777f), 0, 0, 0, 0, 1 / t, 0, 0, 0, 0, -(fa + n) / (fa - n), -1,
                             0, 0, -2 * fa * n / (fa - n), 0};
    f = frustumFrom(persp);
    EXPECT_TRUE(f.sphereVisible(0, 0, -10, 1));
    EXPECT_FALSE(f.sphereVisible(0, 0, 5, 1));
    EXPECT_FALSE(f.sphereVisible(30, 0, -10, 1));
    EXPECT_TRUE(f.sphereVisible(7.5f, 0, -10, 1)) << "at the edge of a 1280 x 720 view";
}

// Only a driver that shows nothing, and only when nobody asked for it by
// name, means there is no display.
TEST(Display, ADriverThatShowsNothingCountsOnlyWhenNotAskedFor) {
    EXPECT_TRUE(driverWithoutDisplay("offscreen", nullptr));
    EXPECT_TRUE(driverWithoutDisplay("dummy", ""));
    EXPECT_TRUE(driverWithoutDisplay("offscreen", "x11,wayland"));
    EXPECT_TRUE(driverWithoutDisplay("dummy", "dummyx"));
    EXPECT_FALSE(driverWithoutDisplay("x11", nullptr));
    EXPECT_FALSE(driverWithoutDisplay("wayland", "offscreen"));
    EXPECT_FALSE(driverWithoutDisplay(nullptr, nullptr));
    EXPECT_FALSE(driverWithoutDisplay("offscreen", "offscreen"));
    EXPECT_FALSE(driverWithoutDisplay("offscreen", "x11,OffScreen"));
    EXPECT_FALSE(driverWithoutDisplay("dummy", "DUMMY"));
}
