// The menu toolkit without GL: hit tests at their edges with the y flip, the
// screens' test order, every action code, the speed limits and the light
// cycle; then the same through the game's own event handling.
#include <gtest/gtest.h>

#include <cmath>

#include "hoptest/events.h"
#include "juego.h"
#include "test_support.h"
#include "toolkit.h"

using namespace coopdash;

namespace {

constexpr int W = 1200, H = 720;

// A click in SDL's top-down coordinates at a point given bottom-up.
Click at(double x, double yUp) { return Click{int(x), int(H - yUp)}; }

int clickAction(Window& w, Click c) {
    w.action = ActionNone;
    w.hit(c);
    const int a = w.action;
    w.action = ActionNone;
    return a;
}

}  // namespace

TEST(CoopdashToolkit, EveryButtonHitsInsideAndMissesOnItsEdges) {
    ScreenSet s(W, H);
    for (Window* w : {static_cast<Window*>(&s.inicio), static_cast<Window*>(&s.config),
                      static_cast<Window*>(&s.ajustes)}) {
        ASSERT_FALSE(w->buttons.empty());
        for (Button* b : w->buttons) {
            const double cx = b->centreX, cy = b->centreY;
            const double hw = b->halfWidth, hh = b->halfHeight;
            EXPECT_EQ(clickAction(*w, at(cx, cy)), b->action) << b->text;
            EXPECT_EQ(clickAction(*w, at(cx - hw + 1, cy + hh - 1)), b->action) << b->text;
            EXPECT_EQ(clickAction(*w, at(cx + hw - 1, cy - hh + 1)), b->action) << b->text;
            // On the edge itself nothing (the test is strict), one pixel out neither.
            EXPECT_FALSE(b->hit(at(std::floor(cx - hw), cy))) << b->text;
            EXPECT_FALSE(b->hit(at(std::ceil(cx + hw), cy))) << b->text;
            EXPECT_FALSE(b->hit(at(cx, cy + hh))) << b->text;
            EXPECT_FALSE(b->hit(at(cx, cy - hh))) << b->text;
        }
    }
    // 100 pixels above the centre is "Reanudar" (SDL's y counts down).
    EXPECT_EQ(clickAction(s.config, Click{W / 2, H / 2 - 100}), ActionResume);
    EXPECT_EQ(clickAction(s.config, Click{W / 2, H / 2 + 100}), ActionQuit);
    EXPECT_EQ(clickAction(s.inicio, Click{W / 2, H / 2}), ActionResume);
    EXPECT_EQ(clickAction(s.inicio, Click{W / 2, H / 2 + 100}), ActionQuit);
    // Nowhere: no action; the window still reports a click inside it.
    EXPECT_EQ(clickAction(s.ajustes, Click{W / 2, H / 2 + 200}), ActionNone);
    EXPECT_TRUE(s.ajustes.hit(Click{W / 2, H / 2 + 200}));
    EXPECT_FALSE(s.ajustes.hit(Click{10, 10}));
    // The settings screen's buttons in place.
    EXPECT_EQ(clickAction(s.ajustes, Click{W / 2 - 80, H / 2 - 160}), ActionWireframe);
    EXPECT_EQ(clickAction(s.ajustes, Click{W / 2 + 80, H / 2 - 160}), ActionSmooth);
    EXPECT_EQ(clickAction(s.ajustes, Click{W / 2 + 80, H / 2 - 60}), ActionTextures);
    EXPECT_EQ(clickAction(s.ajustes, Click{W / 2 - 80, H / 2 - 60}), ActionLight);
    EXPECT_EQ(clickAction(s.ajustes, Click{W / 2 + 85, H / 2 + 30}), ActionFaster);
    EXPECT_EQ(clickAction(s.ajustes, Click{W / 2 - 85, H / 2 + 30}), ActionSlower);
    EXPECT_EQ(clickAction(s.ajustes, Click{W / 2, H / 2 + 150}), ActionPauseMenu);
    EXPECT_EQ(clickAction(s.ajustes, Click{W / 2, H / 2 + 30}), ActionNone) << "the speed label is no button";
}

TEST(CoopdashToolkit, PauseMenuTakesTheFirstHitSettingsTheLast) {
    ScreenSet s(W, H);
    // Lay "Ajustes" and "Salir" over "Reanudar": the first in order wins.
    s.config.ajustes->centreY = s.config.reanudar->centreY;
    s.config.salir->centreY = s.config.reanudar->centreY;
    EXPECT_EQ(clickAction(s.config, at(W / 2, s.config.reanudar->centreY)), ActionResume);
    // Lay "Regresar" and "Interpolado" over "WireFrame": the last in order wins.
    s.ajustes.regresar->centreX = s.ajustes.wireframe->centreX;
    s.ajustes.regresar->centreY = s.ajustes.wireframe->centreY;
    s.ajustes.smooth->centreX = s.ajustes.wireframe->centreX;
    const Click c = at(s.ajustes.wireframe->centreX, s.ajustes.wireframe->centreY);
    EXPECT_EQ(clickAction(s.ajustes, c), ActionPauseMenu);
    s.ajustes.regresar->centreY = 0;
    EXPECT_EQ(clickAction(s.ajustes, c), ActionSmooth);
}

TEST(CoopdashToolkit, EveryActionCode) {
    ScreenSet s(W, H);
    Opciones o;
    EXPECT_EQ(applyAction(ActionSettings, s, o), Effect::None);
    EXPECT_EQ(s.current, &s.ajustes);
    EXPECT_EQ(applyAction(ActionPauseMenu, s, o), Effect::None);
    EXPECT_EQ(s.current, &s.config);
    s.current = &s.inicio;
    EXPECT_EQ(applyAction(ActionResume, s, o), Effect::Resume);
    EXPECT_EQ(s.current, &s.config);
    EXPECT_EQ(applyAction(ActionQuit, s, o), Effect::Quit);
    const Opciones before = o;
    EXPECT_EQ(applyAction(ActionNone, s, o), Effect::None);
    EXPECT_EQ(applyAction(7, s, o), Effect::None);
    EXPECT_EQ(o.wireframe, before.wireframe);
    applyAction(ActionWireframe, s, o);
    applyAction(ActionSmooth, s, o);
    applyAction(ActionTextures, s, o);
    EXPECT_TRUE(o.wireframe);
    EXPECT_TRUE(o.smooth);
    EXPECT_TRUE(o.texturesOff);
    // The toggles show their state.
    EXPECT_NE(s.ajustes.wireframe->colour, (std::array<float, 3>{1, 1, 1}));
    EXPECT_EQ(s.ajustes.textura->colour, (std::array<float, 3>{1, 1, 1}));
    applyAction(ActionWireframe, s, o);
    EXPECT_FALSE(o.wireframe);
    EXPECT_EQ(s.ajustes.wireframe->colour, (std::array<float, 3>{1, 1, 1}));

    // Ten light clicks come back to preset 0.
    for (int i = 1; i <= 10; ++i) {
        applyAction(ActionLight, s, o);
        EXPECT_EQ(o.lightPreset, i % 10);
    }
    EXPECT_EQ(s.ajustes.light->text, "Luz 0");
}

TEST(CoopdashToolkit, SpeedStaysWithinZeroAndThree) {
    ScreenSet s(W, H);
    Opciones o;
    o.speed = 2.8;
    applyAction(ActionFaster, s, o);
    EXPECT_DOUBLE_EQ(o.speed, 3.0);
    applyAction(ActionFaster, s, o);
    EXPECT_DOUBLE_EQ(o.speed, 3.0);
    // From 3.0 down, fifteen clicks land on exactly zero, never below.
    for (int i = 0; i < 20; ++i) {
        applyAction(ActionSlower, s, o);
        EXPECT_GE(o.speed, 0.0) << i;
    }
    EXPECT_EQ(o.speed, 0.0);
    o.speed = 1.0;
    for (int i = 0; i < 5; ++i) applyAction(ActionSlower, s, o);
    EXPECT_EQ(o.speed, 0.0);
    EXPECT_EQ(s.ajustes.speedValue->text, "x0.0");
    applyAction(ActionFaster, s, o);
    EXPECT_DOUBLE_EQ(o.speed, 0.2);
}

TEST(CoopdashToolkit, TheGameRunsItsMenusFromClicksAndKeys) {
    Playfield field(cdtest::script({}, 7));
    field.generate();
    Juego game(field);
    game.start();
    EXPECT_TRUE(field.paused);
    EXPECT_EQ(game.screens.current, &game.screens.inicio);

    // Arrows are ignored while paused.
    game.handleEvent(hoptest::keyEvent(SDLK_UP, true));
    game.update(500);
    EXPECT_DOUBLE_EQ(field.player.position.z, 0);
    EXPECT_DOUBLE_EQ(field.playTime, 0);
    game.handleEvent(hoptest::keyEvent(SDLK_UP, false));

    // A press is not a click: only the release acts.
    game.handleEvent(hoptest::clickEvent(W / 2, H / 2, true));
    game.update(16);
    EXPECT_TRUE(field.paused);
    game.handleEvent(hoptest::clickEvent(W / 2, H / 2, false));  // "Inicio"
    game.update(16);
    EXPECT_FALSE(field.paused);
    EXPECT_EQ(game.screens.current, &game.screens.config);

    // Playing: the up arrow walks, mouse motion turns only in first person.
    game.handleEvent(hoptest::keyEvent(SDLK_UP, true));
    game.update(100);
    game.handleEvent(hoptest::keyEvent(SDLK_UP, false));
    EXPECT_NEAR(field.player.position.z, -0.3, 1e-9);
    game.handleEvent(hoptest::motionEvent(30, 0));
    EXPECT_DOUBLE_EQ(field.player.heading, 0);
    game.handleEvent(hoptest::keyEvent(SDLK_v, true));
    EXPECT_EQ(game.view, ViewFirstPerson);
    game.handleEvent(hoptest::motionEvent(30, 0));
    EXPECT_DOUBLE_EQ(field.player.heading, -30);
    game.handleEvent(hoptest::keyEvent(SDLK_v, true));
    EXPECT_EQ(game.view, ViewTop);

    // P pauses to the pause menu; clicks while playing do nothing.
    game.handleEvent(hoptest::clickEvent(W / 2, H / 2 - 100, false));
    game.update(16);
    EXPECT_FALSE(field.paused);
    game.handleEvent(hoptest::keyEvent(SDLK_p, true));
    EXPECT_TRUE(field.paused);
    EXPECT_EQ(game.screens.current, &game.screens.config);
    game.handleEvent(hoptest::clickEvent(W / 2, H / 2, false));  // "Ajustes"
    game.update(16);
    EXPECT_EQ(game.screens.current, &game.screens.ajustes);
    game.handleEvent(hoptest::clickEvent(W / 2 - 80, H / 2 - 160, false));  // "WireFrame"
    game.update(16);
    EXPECT_TRUE(game.options.wireframe);
    for (int i = 0; i < 5; ++i) {
        game.handleEvent(hoptest::clickEvent(W / 2 + 85, H / 2 + 30, false));  // faster
        game.update(16);
    }
    EXPECT_DOUBLE_EQ(field.speed, 2.0);
    game.handleEvent(hoptest::clickEvent(W / 2, H / 2 + 150, false));  // "Regresar"
    game.update(16);
    EXPECT_EQ(game.screens.current, &game.screens.config);
    game.handleEvent(hoptest::clickEvent(W / 2, H / 2 - 100, false));  // "Reanudar"
    game.update(16);
    EXPECT_FALSE(field.paused);
    game.handleEvent(hoptest::keyEvent(SDLK_p, true));
    EXPECT_TRUE(field.paused);
    game.handleEvent(hoptest::keyEvent(SDLK_p, true));
    EXPECT_FALSE(field.paused);

    // Quitting: Escape, Q, the window's close, "Salir".
    for (SDL_Keycode k : {SDLK_ESCAPE, SDLK_q}) {
        game.quit = false;
        game.handleEvent(hoptest::keyEvent(k, true));
        EXPECT_TRUE(game.quit) << k;
    }
    game.quit = false;
    SDL_Event close{};
    close.type = SDL_QUIT;
    game.handleEvent(close);
    EXPECT_TRUE(game.quit);
    game.quit = false;
    game.handleEvent(hoptest::keyEvent(SDLK_p, true));
    game.handleEvent(hoptest::clickEvent(W / 2, H / 2 + 100, false));  // "Salir"
    game.update(16);
    EXPECT_TRUE(game.quit);
}

// The keys a controller's buttons stand for walk the menus: nothing lit
// until an arrow, the arrows move the highlight in reading order and stop
// at the ends, Return chooses, Backspace goes back, the Menu key pauses.
TEST(CoopdashToolkit, ArrowsReturnAndBackspaceWalkTheMenus) {
    Playfield field(cdtest::script({}, 7));
    field.generate();
    Juego game(field);
    game.start();
    const auto key = [&](SDL_Keycode k) {
        game.handleEvent(hoptest::keyEvent(k, true));
        game.handleEvent(hoptest::keyEvent(k, false));
        game.update(16);
    };
    ScreenSet& s = game.screens;
    EXPECT_EQ(s.inicio.highlight, -1);
    key(SDLK_DOWN);
    EXPECT_EQ(s.inicio.highlight, 0);  // "Inicio"
    key(SDLK_DOWN);
    key(SDLK_DOWN);
    EXPECT_EQ(s.inicio.highlight, 1);  // "Salir", the last
    key(SDLK_UP);
    key(SDLK_UP);
    EXPECT_EQ(s.inicio.highlight, 0);
    key(SDLK_RETURN);
    EXPECT_FALSE(field.paused);
    EXPECT_DOUBLE_EQ(field.player.position.z, 0) << "menu arrows walked";

    key(SDLK_MENU);
    ASSERT_TRUE(field.paused);
    EXPECT_EQ(s.current, &s.config);
    key(SDLK_RETURN);  // nothing lit yet: lights "Reanudar" only
    EXPECT_TRUE(field.paused);
    EXPECT_EQ(s.config.highlight, 0);
    key(SDLK_RIGHT);
    key(SDLK_RETURN);  // "Ajustes"
    ASSERT_EQ(s.current, &s.ajustes);
    // Reading order: WireFrame, Interpolado, Luz, Textura, -, +, Regresar.
    key(SDLK_DOWN);
    key(SDLK_DOWN);
    key(SDLK_DOWN);
    key(SDLK_RETURN);
    EXPECT_EQ(game.options.lightPreset, 1);
    EXPECT_FALSE(game.options.wireframe);
    key(SDLK_LEFT);
    key(SDLK_RETURN);
    EXPECT_TRUE(game.options.smooth);
    key(SDLK_BACKSPACE);
    EXPECT_EQ(s.current, &s.config);
    key(SDLK_BACKSPACE);
    EXPECT_FALSE(field.paused);
    key(SDLK_MENU);
    key(SDLK_DOWN);  // from "Ajustes" to "Salir"
    key(SDLK_RETURN);
    EXPECT_TRUE(game.quit);

    // A controller's d-pad is the arrows, each on its own side.
    const hop::PadTable t = padTable();
    EXPECT_EQ(t[hop::Control::Left].sym, SDLK_LEFT);
    EXPECT_EQ(t[hop::Control::Right].sym, SDLK_RIGHT);
    EXPECT_EQ(t[hop::Control::Up].sym, SDLK_UP);
    EXPECT_EQ(t[hop::Control::Start].sym, SDLK_p);
}
