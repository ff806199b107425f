#include "toolkit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace coopdash {

namespace {
const AtlasRegion kButtonRegion = {{{0, 0}, {0.468, 0}, {0.468, 0.167}, {0, 0.167}}};
const AtlasRegion kWindowRegion = {{{0, 0.167}, {1, 0.167}, {1, 1}, {0, 1}}};
constexpr double kBigW = 75.2, kBigH = 32, kSmallW = 70, kSmallH = 25, kStepW = 20;
}  // namespace

Frame::Frame(double cx, double cy, double hw, double hh, int sw, int sh)
    : centreX(cx), centreY(cy), halfWidth(hw), halfHeight(hh), screenWidth(sw), screenHeight(sh) {}

bool Frame::hit(const Click& c) const {
    return std::fabs(double(c.x) - centreX) < halfWidth && std::fabs(double(screenHeight - c.y) - centreY) < halfHeight;
}

Button::Button(double cx, double cy, double hw, double hh, int sw, int sh, std::string t, int a)
    : Frame(cx, cy, hw, hh, sw, sh), text(std::move(t)), action(a) {
    atlasRegion = kButtonRegion;
}

Label::Label(double cx, double cy, int sw, int sh, std::string t, int size)
    : Frame(cx, cy, 0, 0, sw, sh), text(std::move(t)), fontSize(size) {
    atlasRegion = kButtonRegion;
}

Window::Window(int sw, int sh, HitOrder order)
    : Frame(sw / 2.0, sh / 2.0, kHalfWidth, kHalfHeight, sw, sh), order_(order) {
    atlasRegion = kWindowRegion;
}

Button& Window::addButton(double dx, double dy, double hw, double hh, const std::string& text, int act) {
    auto b = std::make_unique<Button>(centreX + dx, centreY + dy, hw, hh, screenWidth, screenHeight, text, act);
    Button& ref = *b;
    b->atlas = atlas;
    buttons.push_back(&ref);
    frames.push_back(std::move(b));
    return ref;
}

Label& Window::addLabel(double dx, double dy, const std::string& text, int fontSize) {
    auto l = std::make_unique<Label>(centreX + dx, centreY + dy, screenWidth, screenHeight, text, fontSize);
    Label& ref = *l;
    l->atlas = atlas;
    frames.push_back(std::move(l));
    return ref;
}

void Window::setAtlas(unsigned a) {
    atlas = a;
    for (auto& f : frames) f->atlas = a;
}

std::vector<Button*> Window::navigable() const {
    std::vector<Button*> order;
    for (Button* b : buttons)
        if (b->visible) order.push_back(b);
    // Layout y grows upward: the top row has the largest centreY.
    std::stable_sort(order.begin(), order.end(), [](const Button* a, const Button* b) {
        if (a->centreY != b->centreY) return a->centreY > b->centreY;
        return a->centreX < b->centreX;
    });
    return order;
}

void Window::step(int delta) {
    const int n = int(navigable().size());
    if (n == 0) return;
    highlight = highlight < 0 ? 0 : std::clamp(highlight + delta, 0, n - 1);
}

void Window::choose() {
    const auto order = navigable();
    if (order.empty()) return;
    if (highlight < 0 || highlight >= int(order.size())) {
        highlight = 0;
        return;
    }
    action = order[std::size_t(highlight)]->action;
}

bool Window::hit(const Click& click) const {
    for (const Button* b : buttons) {
        if (!b->hit(click)) continue;
        action = b->action;
        if (order_ == HitOrder::FirstWins) break;
    }
    return Frame::hit(click);
}

Inicio::Inicio(int w, int h) : Window(w, h, HitOrder::FirstWins) {
    title = &addLabel(0, 100, "Plonky Path", 40);
    inicio = &addButton(0, 0, kBigW, kBigH, "Inicio", ActionResume);
    salir = &addButton(0, -100, kBigW, kBigH, "Salir", ActionQuit);
}

Config::Config(int w, int h) : Window(w, h, HitOrder::FirstWins) {
    reanudar = &addButton(0, 100, kBigW, kBigH, "Reanudar", ActionResume);
    ajustes = &addButton(0, 0, kBigW, kBigH, "Ajustes", ActionSettings);
    salir = &addButton(0, -100, kBigW, kBigH, "Salir", ActionQuit);
}

Ajustes::Ajustes(int w, int h) : Window(w, h, HitOrder::LastWins) {
    // Added in the order the screen tests them.
    wireframe = &addButton(-80, 160, kSmallW, kSmallH, "WireFrame", ActionWireframe);
    smooth = &addButton(80, 160, kSmallW, kSmallH, "Interpolado", ActionSmooth);
    textura = &addButton(80, 60, kSmallW, kSmallH, "Textura", ActionTextures);
    light = &addButton(-80, 60, kSmallW, kSmallH, "Luz 0", ActionLight);
    faster = &addButton(85, -30, kStepW, kSmallH, "+", ActionFaster);
    slower = &addButton(-85, -30, kStepW, kSmallH, "-", ActionSlower);
    regresar = &addButton(0, -150, kBigW, kBigH, "Regresar", ActionPauseMenu);
    velocidad = &addLabel(0, -30, "Velocidad");
    velocidad->halfWidth = kSmallW;
    velocidad->halfHeight = kSmallH;
    velocidad->framed = true;
    speedValue = &addLabel(0, -78, "x1.0");
    refresh(Opciones());
}

void Ajustes::refresh(const Opciones& o) {
    const std::array<float, 3> on{0.55f, 1.f, 0.55f}, off{1, 1, 1};
    wireframe->colour = o.wireframe ? on : off;
    smooth->colour = o.smooth ? on : off;
    textura->colour = o.texturesOff ? off : on;
    light->text = "Luz " + std::to_string(o.lightPreset);
    char buf[32];
    std::snprintf(buf, sizeof buf, "x%.1f", o.speed < 0.05 ? 0.0 : o.speed);
    speedValue->text = buf;
}

double fasterSpeed(double speed) {
    if (speed < 3.0 - 1e-9) speed = std::round((speed + 0.2) * 10.0) / 10.0;
    return speed > 3.0 ? 3.0 : speed;
}

double slowerSpeed(double speed) {
    if (speed > 0.1) speed = std::round((speed - 0.2) * 10.0) / 10.0;
    return speed < 0 ? 0 : speed;
}

ScreenSet::ScreenSet(int w, int h) : width(w), height(h), inicio(w, h), config(w, h), ajustes(w, h), current(&inicio) {}

void ScreenSet::setAtlas(unsigned a) {
    atlas = a;
    inicio.setAtlas(a);
    config.setAtlas(a);
    ajustes.setAtlas(a);
}

void ScreenSet::dispatchClick(const Click& click) { current->hit(click); }

int ScreenSet::takeAction() {
    const int a = current->action;
    current->action = ActionNone;
    return a;
}

Effect applyAction(int action, ScreenSet& s, Opciones& o) {
    switch (action) {
        case ActionPauseMenu: s.current = &s.config; break;
        case ActionQuit: return Effect::Quit;
        case ActionSettings: s.current = &s.ajustes; break;
        case ActionResume: s.current = &s.config; return Effect::Resume;
        case ActionWireframe: o.wireframe = !o.wireframe; break;
        case ActionTextures: o.texturesOff = !o.texturesOff; break;
        case ActionSmooth: o.smooth = !o.smooth; break;
        case ActionLight: o.lightPreset = (o.lightPreset + 1) % 10; break;
        case ActionFaster: o.speed = fasterSpeed(o.speed); break;
        case ActionSlower: o.speed = slowerSpeed(o.speed); break;
        default: return Effect::None;
    }
    s.ajustes.refresh(o);
    return Effect::None;
}

}  // namespace coopdash
