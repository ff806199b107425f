#include "screens.h"

#include <cstdio>

namespace roosterway {

const ClickBox kMenuJugar{523, 307, 789, 358};
const ClickBox kMenuOpciones{451, 381, 855, 433};
const ClickBox kMenuControles{427, 453, 913, 510};
const ClickBox kMenuSalir{517, 529, 767, 584};

// Each box covers its word as the staged 25-pixel font draws it, with a few
// pixels to spare; neighbouring words on a line meet in the middle of the
// gap between them, where a click (on both bounds) selects neither.
const ClickBox kOptionBox[kOptionBoxes] = {
    {535, 143, 671, 185},   // 0 LENTO
    {671, 143, 831, 185},   // 1 NORMAL
    {535, 193, 598, 235},   // 2 wireframe ON
    {598, 193, 687, 235},   // 3 wireframe OFF
    {535, 243, 598, 285},   // 4 textures ON
    {598, 243, 687, 285},   // 5 textures OFF
    {535, 292, 742, 340},   // 6 Facetado
    {742, 292, 1023, 340},  // 7 Interpolado
    {535, 342, 575, 384},   // 8 light "1"
    {575, 342, 622, 384},   // 9 light "2"
    {622, 342, 671, 384},   // 10 light "3"
    {671, 342, 711, 384},   // 11 light "4"
    {537, 626, 739, 663},   // 12 VOLVER
};

const ClickBox kVolver{538, 627, 738, 662};

bool insideHalfOpen(const ClickBox& b, int x, int y) { return x >= b.x1 && x < b.x2 && y >= b.y1 && y < b.y2; }
bool insideStrict(const ClickBox& b, int x, int y) { return x > b.x1 && x < b.x2 && y > b.y1 && y < b.y2; }
bool insideInclusive(const ClickBox& b, int x, int y) { return x >= b.x1 && x <= b.x2 && y >= b.y1 && y <= b.y2; }

void applyOptionBox(int box, ScreenState& screen, Options& options) {
    switch (box) {
        case 0: options.slow = true; break;
        case 1: options.slow = false; break;
        case 2: options.wireframe = true; break;
        case 3: options.wireframe = false; break;
        case 4: options.textures = true; break;
        case 5: options.textures = false; break;
        case 6: options.flatMode = true; break;
        case 7: options.flatMode = false; break;
        case 8: case 9: case 10: case 11: options.lightMode = box - 8; break;
        case 12: screen.subScreen = ScreenMain; break;
        default: break;
    }
}

int highlightedBox(const Options& options, int setting) {
    switch (setting) {
        case 0: return 0 + (options.slow ? 0 : 1);
        case 1: return 2 + (options.wireframe ? 0 : 1);
        case 2: return 4 + (options.textures ? 0 : 1);
        case 3: return 6 + (options.flatMode ? 0 : 1);
        default: return 8 + options.lightMode;
    }
}

void menuClick(ScreenState& screen, Options& options, int x, int y) {
    std::printf("{%i, %i},\n", x, y);
    std::fflush(stdout);
    screen.cursor = -1;
    switch (screen.subScreen) {
        case ScreenMain:
            if (insideHalfOpen(kMenuJugar, x, y)) screen.mainState = StatePlaying;
            else if (insideHalfOpen(kMenuOpciones, x, y)) screen.subScreen = ScreenOptions;
            else if (insideHalfOpen(kMenuControles, x, y)) screen.subScreen = ScreenControls;
            else if (insideHalfOpen(kMenuSalir, x, y)) screen.quitRequested = true;
            break;
        case ScreenOptions:
            for (int i = 0; i < kOptionBoxes; ++i)
                if (insideStrict(kOptionBox[i], x, y)) {
                    applyOptionBox(i, screen, options);
                    break;
                }
            break;
        case ScreenControls:
            if (insideInclusive(kVolver, x, y)) screen.subScreen = ScreenMain;
            break;
        default: break;
    }
}

void lostClick(ScreenState& screen, int x, int y) {
    screen.cursor = -1;
    if (!insideInclusive(kVolver, x, y)) return;
    screen.mainState = StateMenu;
    screen.subScreen = ScreenMain;
    screen.newGameRequested = true;
}

namespace {

// The options screen's settings as rows of boxes, VOLVER the last row.
constexpr int kOptionRows = 6;
constexpr int kRowFirst[kOptionRows] = {0, 2, 4, 6, 8, 12};
constexpr int kRowLast[kOptionRows] = {1, 3, 5, 7, 11, 12};

int optionRow(int box) {
    int row = 0;
    while (row + 1 < kOptionRows && box >= kRowFirst[row + 1]) ++row;
    return row;
}

int rowCursor(const Options& options, int row) { return row < 5 ? highlightedBox(options, row) : 12; }

const ClickBox* const kMenuItems[4] = {&kMenuJugar, &kMenuOpciones, &kMenuControles, &kMenuSalir};

}  // namespace

void menuNavigate(ScreenState& screen, Options& options, MenuMove move) {
    const bool shown = screen.cursor >= 0;
    if (screen.mainState == StateLost || screen.subScreen == ScreenControls) {
        screen.cursor = 0;
        if (move != MenuMove::Choose && move != MenuMove::Back) return;
        if (screen.mainState == StateLost) screen.newGameRequested = true;
        screen.mainState = StateMenu;
        screen.subScreen = ScreenMain;
        screen.cursor = -1;
        return;
    }
    if (screen.subScreen == ScreenOptions) {
        if (move == MenuMove::Back) {
            screen.subScreen = ScreenMain;
            screen.cursor = -1;
            return;
        }
        if (!shown) screen.cursor = rowCursor(options, 0);
        const int box = screen.cursor, row = optionRow(box);
        switch (move) {
            case MenuMove::Up:
                if (shown) screen.cursor = rowCursor(options, (row + kOptionRows - 1) % kOptionRows);
                break;
            case MenuMove::Down:
                if (shown) screen.cursor = rowCursor(options, (row + 1) % kOptionRows);
                break;
            case MenuMove::Left:
                if (shown && box > kRowFirst[row]) --screen.cursor;
                break;
            case MenuMove::Right:
                if (shown && box < kRowLast[row]) ++screen.cursor;
                break;
            case MenuMove::Choose:
                applyOptionBox(box, screen, options);
                if (screen.subScreen != ScreenOptions) screen.cursor = -1;
                break;
            default: break;
        }
        return;
    }
    // The main menu.
    if (!shown) screen.cursor = 0;
    switch (move) {
        case MenuMove::Up:
            if (shown) screen.cursor = (screen.cursor + 3) % 4;
            break;
        case MenuMove::Down:
            if (shown) screen.cursor = (screen.cursor + 1) % 4;
            break;
        case MenuMove::Choose: {
            const int item = screen.cursor;
            screen.cursor = -1;
            if (item == 0) screen.mainState = StatePlaying;
            if (item == 1) {
                screen.subScreen = ScreenOptions;
                screen.cursor = rowCursor(options, 0);
            }
            if (item == 2) {
                screen.subScreen = ScreenControls;
                screen.cursor = 0;
            }
            if (item == 3) screen.quitRequested = true;
            break;
        }
        default: break;
    }
}

const ClickBox* cursorBox(const ScreenState& screen) {
    if (screen.cursor < 0) return nullptr;
    if (screen.mainState == StateLost || screen.subScreen == ScreenControls) return &kVolver;
    if (screen.subScreen == ScreenOptions) return screen.cursor < kOptionBoxes ? &kOptionBox[screen.cursor] : nullptr;
    return screen.cursor < 4 ? kMenuItems[screen.cursor] : nullptr;
}

const ScreenText kMenuText{"JUGAR\nOPCIONES\nCONTROLES\nSALIR", 640, 360, true};
const ScreenText kOptionsTexts[4] = {
    {"OPCIONES", 540, 660, false},
    {"Velocidad\nWireframe\nTexturas\nModo\nLuz", 140, 540, false},
    {"LENTO NORMAL\nON OFF\nON OFF\nFacetado Interpolado\n1 2 3 4", 540, 540, false},
    {"VOLVER", 540, 60, false},
};
const ScreenText kControlsTexts[4] = {
    {"CONTROLES", 540, 660, false},
    {"camara\nWireframe\npausa\nsalir\nmov discreto\nmov continuo", 140, 540, false},
    {"V\nW\np\nesc\nflechas\nmouse y flechas", 540, 540, false},
    {"VOLVER", 540, 60, false},
};
const ScreenText kLostTexts[2] = {
    {"PERDISTE", 640, 360, true},
    {"VOLVER", 540, 60, false},
};
const ScreenText kWinText{"Ganaste", 640, 360, true};

ScreenText hudScoreText(std::string& storage, int score) {
    storage = "Puntos " + std::to_string(score);
    return {storage.c_str(), 40, 680, false};
}

ScreenText recordText(std::string& storage, long long best) {
    storage = "RECORD " + std::to_string(best);
    return {storage.c_str(), 40, 680, false};
}

ScreenText hudLivesText(std::string& storage, int lives) {
    storage = "Vidas " + std::to_string(lives);
    return {storage.c_str(), 40, 640, false};
}

}  // namespace roosterway
