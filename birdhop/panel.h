// The options panel shown while paused: 19 cells of the GUI image, seven
// labels and twelve toggles for the light colours, shading, textures,
// wireframe and game speed.
#pragma once

#include <vector>

#include "game.h"

namespace birdhop {

struct PanelCell {
    static constexpr int kLabel = -1, kRed = 0, kGreen = 1, kBlue = 2, kShading = 3, kWireframe = 4,
                         kTextures = 5, kSpeed = 6;
    static constexpr int kCellWidth = 64, kCellHeight = 48;  // pixels between grid places

    double gridX, gridY;
    int kind, value;
    bool wide;
    double s0, s1, t0, t1;

    // The mouse in pixels from the window's centre, y up; strict on all sides.
    bool hovered(int mx, int my) const;
    // What a click on the cell does.
    void act(RenderFlags& flags) const;
    // Drawn bright: the toggle's state, the chosen value; labels always.
    bool selected(const RenderFlags& flags) const;
    // GL: hover, act on a click, draw (mouse in window pixels).
    void handle(bool click, RenderFlags& flags, int mouseX, int mouseY, unsigned texture) const;
};

// The 19 cells in their fixed order.
std::vector<PanelCell> makePanel();
// Every cell handled against a copy of the flags, which then becomes the
// live set; then a frame round the cell the keys or a controller have
// chosen (`focus`, an index into `cells`; -1: none).
void runPanel(const std::vector<PanelCell>& cells, bool click, RenderFlags& flags, int mouseX, int mouseY,
              unsigned texture, int focus = -1);

// The panel by keys or a controller. From cell `from`, the next toggle the
// arrow points to: the nearest in that direction, then the most in line;
// `from` itself when there is none that way. With no cell chosen yet
// (-1), the first toggle.
int movePanelFocus(const std::vector<PanelCell>& cells, int from, Key arrow);

}  // namespace birdhop
