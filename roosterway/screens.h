// The menu, options, controls and lost screens as rules: their texts, where
// they are drawn, their click areas and what a click does. Positions of texts
// are window pixels from the bottom-left corner (drawText's origin); click
// positions are window pixels from the top-left corner, as SDL reports them.
#pragma once

#include <string>

namespace roosterway {

struct Options {
    bool slow = false;
    bool wireframe = false;
    bool textures = true;
    bool flatMode = false;  // "Facetado": flat shading
    int lightMode = 0;      // 0..3, labelled "1".."4"
};

// Main state and menu sub-screen, held as the characters the screens use.
enum MainState : char { StateMenu = 'm', StatePlaying = 'p', StateLost = 'f' };
enum SubScreen : char { ScreenMain = 'm', ScreenOptions = 'o', ScreenControls = 'c' };

struct ScreenState {
    char mainState = StateMenu;
    char subScreen = ScreenMain;
    bool quitRequested = false;
    bool newGameRequested = false;
    // The item a controller or the arrow keys highlight on the menu screens
    // (see menuNavigate); hidden (-1) until a direction or choice is pressed
    // there, and again after a click, so the mouse sees the old screens.
    int cursor = -1;
};

// A rectangle in top-left window pixels.
struct ClickBox {
    int x1, y1, x2, y2;
};

// Main menu areas: lower bounds inclusive, upper bounds exclusive.
extern const ClickBox kMenuJugar, kMenuOpciones, kMenuControles, kMenuSalir;
// Options boxes 0..12: a click strictly inside applies the box.
constexpr int kOptionBoxes = 13;
extern const ClickBox kOptionBox[kOptionBoxes];
// "VOLVER" on the controls and lost screens: both bounds inclusive.
extern const ClickBox kVolver;

bool insideHalfOpen(const ClickBox& b, int x, int y);
bool insideStrict(const ClickBox& b, int x, int y);
bool insideInclusive(const ClickBox& b, int x, int y);

// A click on the menu state (any sub-screen): prints "{x, y}," and applies
// whatever area it falls in.
void menuClick(ScreenState& screen, Options& options, int x, int y);
// A click on the lost screen.
void lostClick(ScreenState& screen, int x, int y);
// Options box applied to the options record (index 0..12; 12 is "VOLVER").
void applyOptionBox(int box, ScreenState& screen, Options& options);
// Index of the box the current choice of setting `i` (0..4) highlights.
int highlightedBox(const Options& options, int setting);

// Moves on the menu screens without the mouse: the highlighted item moves
// with the directions and is chosen as a click on it would choose it.
enum class MenuMove { Up, Down, Left, Right, Choose, Back };
// Main menu: items 0..3 (JUGAR, OPCIONES, CONTROLES, SALIR). Options: the
// box index 0..12; Up and Down go to the current choice of the setting above
// or below (VOLVER last), Left and Right along a setting's choices. Controls
// and the lost screen: VOLVER only. The first move on a screen shows the
// cursor where it starts (Choose with none shown chooses that item: JUGAR
// on the main menu); Back leaves a sub-screen or the lost screen as VOLVER.
void menuNavigate(ScreenState& screen, Options& options, MenuMove move);
// The box of the highlighted item in top-left window pixels, if one is shown.
const ClickBox* cursorBox(const ScreenState& screen);

// One block of text on a screen.
struct ScreenText {
    const char* text;
    int x, y;
    bool large;  // 40-pixel font, centred; else 25-pixel, left-aligned
};

extern const ScreenText kMenuText;
extern const ScreenText kOptionsTexts[4];
extern const ScreenText kControlsTexts[4];
extern const ScreenText kLostTexts[2];
extern const ScreenText kWinText;
// "RECORD <best>" on the main menu and the lost screen.
ScreenText recordText(std::string& storage, long long best);
// HUD lines: "Puntos <score>" and "Vidas <lives>".
ScreenText hudScoreText(std::string& storage, int score);
ScreenText hudLivesText(std::string& storage, int lives);

}  // namespace roosterway
