// The menu toolkit: frames cut from one texture atlas, buttons that test
// clicks, text labels and windows that turn a click into an action code; the
// three screens built from them and the render settings they change. Hit
// tests and actions need no GL; draw() does (toolkit_draw.cpp).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace coopdash {

class Texto;

// A click in layout pixels, y measured from the top as SDL reports it.
struct Click {
    int x = 0, y = 0;
};

using AtlasRegion = std::array<std::array<double, 2>, 4>;

// Action codes a window reports.
enum Action {
    ActionPauseMenu = 0,
    ActionQuit = 1,
    ActionSettings = 2,
    ActionResume = 3,
    ActionNone = 4,
    ActionWireframe = 5,
    ActionTextures = 6,
    ActionSmooth = 8,
    ActionLight = 9,
    ActionFaster = 10,
    ActionSlower = 11
};

class Frame {
public:
    Frame(double centreX, double centreY, double halfWidth, double halfHeight, int screenWidth, int screenHeight);
    virtual ~Frame() = default;
    virtual void draw(Texto* text) const;
    // Inside the frame, with the click's y flipped to bottom-up.
    virtual bool hit(const Click& click) const;

    double centreX, centreY, halfWidth, halfHeight;
    unsigned atlas = 0;
    AtlasRegion atlasRegion{};
    bool visible = true;
    int screenWidth, screenHeight;
};

class Button : public Frame {
public:
    Button(double cx, double cy, double hw, double hh, int sw, int sh, std::string text, int action);
    void draw(Texto* text) const override;

    std::array<float, 3> colour{1, 1, 1};
    std::string text;
    int action;
};

class Label : public Frame {
public:
    Label(double cx, double cy, int sw, int sh, std::string text, int fontSize = 20);
    void draw(Texto* text) const override;

    std::string text;
    std::array<unsigned char, 3> textColour{250, 250, 250};
    int fontSize;
    bool framed = false;  // drawn on a button-like plate
};

enum class HitOrder { FirstWins, LastWins };

class Window : public Frame {
public:
    static constexpr double kHalfWidth = 200, kHalfHeight = 240;
    Window(int screenWidth, int screenHeight, HitOrder order);
    void draw(Texto* text) const override;
    // Whether the click lies inside the window; `action` becomes that of the
    // first (or last, by the screen's order) button hit.
    bool hit(const Click& click) const override;

    // Places a frame relative to the window centre; the window owns it.
    Button& addButton(double dx, double dy, double hw, double hh, const std::string& text, int action);
    Label& addLabel(double dx, double dy, const std::string& text, int fontSize = 20);
    void setAtlas(unsigned atlas);
    // Controller and keyboard navigation: the visible buttons in reading
    // order (top row first, left to right). Nothing is highlighted until the
    // first step, so a mouse player sees the screen unchanged; the first
    // step lights the first button, later ones move by `delta`, stopping at
    // either end. choose() acts as a click on the highlighted button (with
    // none yet, it only lights the first).
    std::vector<Button*> navigable() const;
    void step(int delta);
    void choose();

    std::vector<std::unique_ptr<Frame>> frames;
    std::vector<Button*> buttons;  // in test order
    mutable int action = ActionNone;
    int highlight = -1;  // index into navigable(), -1: none

private:
    HitOrder order_;
};

class Inicio : public Window {
public:
    Inicio(int w, int h);
    Label* title;
    Button *inicio, *salir;
};

class Config : public Window {
public:
    Config(int w, int h);
    Button *reanudar, *ajustes, *salir;
};

// Render settings the settings screen changes.
struct Opciones {
    bool wireframe = false;
    bool smooth = false;
    bool texturesOff = false;
    int lightPreset = 0;
    double speed = 1.0;
};

class Ajustes : public Window {
public:
    Ajustes(int w, int h);
    // The toggles' look, the light button's and the speed label's text.
    void refresh(const Opciones& options);
    Button *wireframe, *smooth, *textura, *light, *faster, *slower, *regresar;
    Label *velocidad, *speedValue;
};

double fasterSpeed(double speed);  // +0.2 up to 3.0
double slowerSpeed(double speed);  // -0.2 down to 0, never below

class ScreenSet {
public:
    ScreenSet(int width, int height);
    void setAtlas(unsigned atlas);
    void drawCurrent(Texto* text) const;
    void dispatchClick(const Click& click);
    int takeAction();  // the current screen's action, reset to none

    unsigned atlas = 0;
    int width, height;
    Inicio inicio;
    Config config;
    Ajustes ajustes;
    Window* current;
};

enum class Effect { None, Quit, Resume };
// Acts on an action code: screen changes and settings here; quitting and
// resuming are the caller's.
Effect applyAction(int action, ScreenSet& screens, Opciones& options);

}  // namespace coopdash
