// The 2D overlay of each state on a 640 x 480 canvas (stretched to the
// window): the title picture, the HUD bar, the menu and the end screens.
// Drawn after the scene with its own state, so the display settings never
// touch the text.
#pragma once

#include <string>

namespace orbitdash {

class Game;

constexpr int kScreenWidth = 640, kScreenHeight = 480;

const char* speedName(float speed);  // "Slow", "Normal", "Fast"

// The menu's rows: the item's text and its value.
std::string menuItem(int index);
std::string menuValue(const Game& game, int index);

void drawOverlay(const Game& game, unsigned fontTexture, unsigned titleTexture, int width, int height);

}  // namespace orbitdash
