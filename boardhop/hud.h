// The heads-up display: score line, game-over and record messages, the pause
// picture and the help lines.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "objeto.h"

typedef struct _TTF_Font TTF_Font;

namespace boardhop {

class ImageTexture;

struct Rgb {
    std::uint8_t r, g, b;
};

// Which message the game-over screen shows, from the values of the previous
// drawScore call: the record message once the last playing frame's score was
// above its high score, and from then on for the rest of that screen. The
// hop that ends a run can also score its last point (onto the seal's tile),
// so on the first game-over frame (lastScore still a playing score) a high
// score that rose since that frame is a record too.
enum class DeathMessage { GameOver, NewHighScore };
DeathMessage chooseDeathMessage(bool newRecordShown, int lastScore, int lastHighScore, int highScore);

// Fonts are opened once and kept for the program's life; call closeFonts()
// before TTF_Quit.
TTF_Font* hudFont(const char* file, int size);
// The file a font opened by hudFont came from.
std::string fontFile(TTF_Font* font);
void closeFonts();

class HUD : public Objeto {
public:
    HUD(int width, int height);
    ~HUD() override;
    void draw() override {}
    // Draws the pause picture over the whole window.
    void update(std::uint32_t ticks) override;
    void drawScore(int score, int highScore);
    void drawHelp();
    void drawText(const std::string& text, float x, float y, Rgb colour, TTF_Font* font);

    int width, height;
    std::unique_ptr<ImageTexture> pauseTexture;
    int lastScore = 0, lastHighScore = 0;
    bool newRecordShown = false;

private:
    void begin2D();
    void end2D();
};

}  // namespace boardhop
