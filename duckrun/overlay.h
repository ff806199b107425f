// The 2D overlays over the scene: the HUD while playing, the start/pause
// screen and the end screen, in window pixels with y down.
//
// Text goes through a glyph renderer the program installs at start-up
// (GLUT's 18-point Helvetica bitmaps once glutInit has run). Without one,
// drawText still sets the colour and raster position but draws no glyphs,
// so offscreen tests, which have no X display for GLUT, can install their
// own renderer and see what is written where.
#pragma once

#include <string>

#include "world.h"

namespace duckrun {

using GlyphRenderer = void (*)(const std::string& text);
void setGlyphRenderer(GlyphRenderer renderer);
// GLUT bitmap text; only valid after glutInit.
void glutGlyphs(const std::string& text);

struct WindowSize {
    float height = 480, width = 1000;
};

// Layout and picture of the blackboard screens.
struct ScreenPanel {
    float windowHeight = 480, windowWidth = 1000;
    float top = 75, left = 55, lineHeight = 30;
    unsigned blackboard = 0;  // texture
};

// White text at (x, y) in the current model-view.
void drawText(const std::string& text, float x, float y);
void drawHud(const WindowSize& window, const GameState& state);
void drawPauseScreen(const ScreenPanel& panel, const GameState& state);
void drawEndScreen(const ScreenPanel& panel, const GameState& state);

}  // namespace duckrun
