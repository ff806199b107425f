#include "panel.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

namespace birdhop {

namespace {
constexpr int kHalfWidth = 320, kHalfHeight = 240;  // the window's centre
constexpr double kGrid = 0.2;                        // HUD units per grid place
}  // namespace

std::vector<PanelCell> makePanel() {
    const int L = PanelCell::kLabel;
    return {
        {-4, 3, L, -1, true, 0.5, 0.85, 0.825, 0.875},
        {-4, 2, L, -1, true, 0.5, 0.85, 0.725, 0.775},
        {-4, 1, L, -1, true, 0.5, 0.85, 0.625, 0.675},
        {-4, 0, L, -1, true, 0.5, 0.85, 0.525, 0.575},
        {-4, -1, L, -1, true, 0.5, 0.85, 0.425, 0.475},
        {-4, -2, L, -1, true, 0.5, 0.85, 0.325, 0.375},
        {-4, 2, L, -1, true, 0.5, 0.85, 0.225, 0.275},
        {0, 3, PanelCell::kSpeed, 1, false, 0, 0.1, 0.9, 1.0},
        {2, 3, PanelCell::kSpeed, 2, false, 0.1, 0.2, 0.9, 1.0},
        {4, 3, PanelCell::kSpeed, 4, false, 0.2, 0.3, 0.9, 1.0},
        {0, 2, PanelCell::kRed, 1, false, 0.2, 0.3, 0.8, 0.9},
        {2, 2, PanelCell::kGreen, 1, false, 0.3, 0.4, 0.8, 0.9},
        {4, 2, PanelCell::kBlue, 2, false, 0.4, 0.5, 0.8, 0.9},
        {0, 1, PanelCell::kShading, 1, false, 0, 0.1, 0.8, 0.9},
        {2, 1, PanelCell::kShading, 0, false, 0.1, 0.2, 0.8, 0.9},
        {0, 0, PanelCell::kTextures, 1, false, 0, 0.1, 0.8, 0.9},
        {2, 0, PanelCell::kTextures, 0, false, 0.1, 0.2, 0.8, 0.9},
        {0, -1, PanelCell::kWireframe, 1, false, 0, 0.1, 0.8, 0.9},
        {2, -1, PanelCell::kWireframe, 0, false, 0.1, 0.2, 0.8, 0.9},
    };
}

bool PanelCell::hovered(int mx, int my) const {
    return !wide && std::abs(mx - gridX * kCellWidth) < kCellWidth / 2.0 &&
           std::abs(my - gridY * kCellHeight) < kCellHeight / 2.0;
}

void PanelCell::act(RenderFlags& f) const {
    switch (kind) {
        case kRed: f.red = !f.red; break;
        case kGreen: f.green = !f.green; break;
        case kBlue: f.blue = !f.blue; break;
        case kShading: f.smooth = value != 0; break;
        case kWireframe: f.wireframe = value != 0; break;
        case kTextures: f.textures = value != 0; break;
        case kSpeed: f.speed = value * 0.5; break;
        default: break;
    }
}

bool PanelCell::selected(const RenderFlags& f) const {
    switch (kind) {
        case kRed: return f.red;
        case kGreen: return f.green;
        case kBlue: return f.blue;
        case kShading: return f.smooth == (value != 0);
        case kWireframe: return f.wireframe == (value != 0);
        case kTextures: return f.textures == (value != 0);
        case kSpeed: return f.speed == value * 0.5;
        default: return true;
    }
}

void PanelCell::handle(bool click, RenderFlags& f, int mouseX, int mouseY, unsigned texture) const {
    const bool hover = hovered(mouseX - kHalfWidth, kHalfHeight - mouseY);
    if (click && hover) act(f);
    if (hover) glColor3f(0.7f, 0.7f, 0.7f);
    else if (selected(f)) glColor3f(1, 1, 1);
    else glColor3f(0.5f, 0.5f, 0.5f);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, texture);
    const double x0 = gridX * kGrid - 0.1, x1 = gridX * kGrid + 0.1 + (wide ? 0.2 : 0);
    const double y0 = gridY * kGrid - 0.1, y1 = gridY * kGrid + 0.1;
    glBegin(GL_QUADS);
    glTexCoord2d(s0, t0);
    glVertex3d(x0, y0, 0);
    glTexCoord2d(s0, t1);
    glVertex3d(x0, y1, 0);
    glTexCoord2d(s1, t1);
    glVertex3d(x1, y1, 0);
    glTexCoord2d(s1, t0);
    glVertex3d(x1, y0, 0);
    glEnd();
    glColor3f(1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
}

void runPanel(const std::vector<PanelCell>& cells, bool click, RenderFlags& flags, int mouseX, int mouseY,
              unsigned texture, int focus) {
    RenderFlags copy = flags;
    for (const PanelCell& c : cells) c.handle(click, copy, mouseX, mouseY, texture);
    flags = copy;
    if (focus < 0 || std::size_t(focus) >= cells.size()) return;
    // A yellow frame just outside the chosen cell's quad.
    const PanelCell& c = cells[std::size_t(focus)];
    const double x0 = c.gridX * kGrid - 0.11, x1 = c.gridX * kGrid + 0.11 + (c.wide ? 0.2 : 0);
    const double y0 = c.gridY * kGrid - 0.11, y1 = c.gridY * kGrid + 0.11;
    glDisable(GL_DEPTH_TEST);
    glLineWidth(3);
    glColor3f(1, 0.85f, 0.1f);
    glBegin(GL_LINE_LOOP);
    glVertex3d(x0, y0, 0), glVertex3d(x1, y0, 0), glVertex3d(x1, y1, 0), glVertex3d(x0, y1, 0);
    glEnd();
    glColor3f(1, 1, 1);
    glLineWidth(1);
    glEnable(GL_DEPTH_TEST);
}

int movePanelFocus(const std::vector<PanelCell>& cells, int from, Key arrow) {
    int first = -1;
    for (std::size_t i = 0; i < cells.size() && first < 0; ++i)
        if (cells[i].kind != PanelCell::kLabel) first = int(i);
    if (from < 0 || std::size_t(from) >= cells.size()) return first;
    double dx = 0, dy = 0;  // grid steps the arrow points along
    switch (arrow) {
        case Key::Left: dx = -1; break;
        case Key::Right: dx = 1; break;
        case Key::Up: dy = 1; break;
        case Key::Down: dy = -1; break;
        default: return from;
    }
    const PanelCell& at = cells[std::size_t(from)];
    int best = from;
    double bestAlong = 0, bestAcross = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const PanelCell& c = cells[i];
        if (c.kind == PanelCell::kLabel) continue;
        const double along = (c.gridX - at.gridX) * dx + (c.gridY - at.gridY) * dy;
        const double across = std::abs((c.gridX - at.gridX) * dy) + std::abs((c.gridY - at.gridY) * dx);
        if (along <= 0) continue;
        if (best == from || along < bestAlong || (along == bestAlong && across < bestAcross))
            best = int(i), bestAlong = along, bestAcross = across;
    }
    return best;
}

}  // namespace birdhop
