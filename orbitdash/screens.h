// The 2D overlay of each state on a 640 x 480 canvas (stretched to the
// window): the title picture, the HUD bar, the menu and the end screens.
// Drawn after the scene with its own state, so the display settings never
// touch the text.
#pragma once

#include <optional>
#include <string>

namespace orbitdash {

class Game;

constexpr int kScreenWidth = 640, kScreenHeight = 480;

const char* speedName(float speed);  // "Slow", "Normal", "Fast"

// The menu's rows: the item's text and its value.
std::string menuItem(int index);
std::string menuValue(const Game& game, int index);

// The best results kept across runs, as the screens show them: the points
// of a game (banked at the end of each level) and those of each level.
struct Bests {
    std::optional<long long> best;
    std::optional<long long> level[3];
};

void drawOverlay(const Game& game, const Bests& bests, unsigned fontTexture, unsigned titleTexture, int width,
                 int height);

}  // namespace orbitdash
