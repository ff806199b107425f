#include "screens.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "game.h"
#include "text.h"

namespace orbitdash {

namespace {

constexpr float kCentre = kScreenWidth / 2.0f;
constexpr float kHudSize = 15, kMenuTitle = 30, kMenuSize = 20, kBig = 50;

void colour(float r, float g, float b) { glColor4f(r, g, b, 1); }

// A translucent dark band behind text over the busy scene.
void band(float x0, float y0, float x1, float y1, float alpha = 0.55f) {
    glDisable(GL_TEXTURE_2D);
    glColor4f(0, 0, 0.05f, alpha);
    glRectf(x0, y0, x1, y1);
    glEnable(GL_TEXTURE_2D);
}

void centred(const std::string& text, float y, float size) {
    drawText(text, centredX(kCentre, int(text.size()), size), y, size);
}

void hudBar(const Game& g) {
    band(0, kScreenHeight - 50, kScreenWidth, kScreenHeight, 0.8f);
    const char* labels[4] = {"PUNTOS", "VIDAS", "TIEMPO", "NIVEL"};
    const int values[4] = {g.points, g.lives, g.elapsedSeconds(), g.settings.level};
    for (int i = 0; i < 4; ++i) {
        const float x = 160.0f * float(i) + 8;
        colour(0.55f, 0.8f, 1.0f);
        drawText(labels[i], x, kScreenHeight - 40 + kHudSize, kHudSize);
        colour(1, 1, 1);
        drawText(std::to_string(values[i]), x, kScreenHeight - 40, kHudSize);
    }
}

// The kept bests, where there are some, in the headline's colour.
void records(const std::optional<long long>& best, const std::optional<long long>& level, int levelNumber, float y) {
    colour(1.0f, 0.85f, 0.25f);
    if (best) centred("RECORD " + std::to_string(*best), y, kHudSize);
    if (level) centred("RECORD NIVEL " + std::to_string(levelNumber) + " " + std::to_string(*level), y - 22, kHudSize);
}

void endScreen(const Game& g, const Bests& bests, const std::string& headline, float size) {
    const float y = (kScreenHeight - 130) / 2.0f;
    band(0, y - 120, kScreenWidth, y + 80, 0.7f);
    colour(1.0f, 0.85f, 0.25f);
    centred(headline, y, size);
    colour(1, 1, 1);
    centred("Press R to start", y + 50, kHudSize);
    centred("TIEMPO " + std::to_string(g.elapsedSeconds()), y - 50, kMenuSize);
    // A finished level shows its own best beside the game's.
    const int level = g.settings.level;
    const bool finished = g.state() != kGameOver && level >= 1 && level <= 3;
    records(bests.best, finished ? bests.level[level - 1] : std::nullopt, level, y - 85);
}

void menu(const Game& g) {
    band(60, 90, kScreenWidth - 60, 420, 0.7f);
    colour(1, 1, 1);
    centred("MENU PRINCIPAL", 360, kMenuTitle);
    for (int i = 0; i < 4; ++i) {
        const std::string item = menuItem(i);
        const float y = 280.0f - 50.0f * float(i);
        const float x = centredX(kCentre, int(item.size()), kMenuSize);
        if (i == g.menuCursor) colour(1.0f, 0.8f, 0.15f);
        else colour(1, 1, 1);
        drawText(item, x, y, kMenuSize);
        drawText(menuValue(g, i), x + 200, y, kMenuSize);
    }
}

}  // namespace

const char* speedName(float speed) {
    if (speed == kSlow) return "Slow";
    if (speed == kNormal) return "Normal";
    return "Fast";
}

std::string menuItem(int index) {
    static const char* const items[4] = {"VELOCIDAD", "TEXTURAS", "WIREFRAME", "FACETADO"};
    return items[index & 3];
}

std::string menuValue(const Game& g, int index) {
    const Settings& s = g.settings;
    switch (index) {
        case 0: return speedName(s.speed);
        case 1: return s.textures ? "SI" : "NO";
        case 2: return s.wireframe ? "SI" : "NO";
        default: return s.flat ? "SI" : "NO";
    }
}

void drawOverlay(const Game& g, const Bests& bests, unsigned font, unsigned title, int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, kScreenWidth, 0, kScreenHeight);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);

    const int state = g.state();
    // Without its picture (a broken file) the title stays black, so the text
    // still reads.
    if (title && (state == kTitle || (state == kMenu && g.menuOpenedFrom() == kTitle))) {
        glBindTexture(GL_TEXTURE_2D, title);
        colour(1, 1, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(0, 0);
        glTexCoord2f(1, 0);
        glVertex2f(kScreenWidth, 0);
        glTexCoord2f(1, 1);
        glVertex2f(kScreenWidth, kScreenHeight);
        glTexCoord2f(0, 1);
        glVertex2f(0, kScreenHeight);
        glEnd();
    }
    glBindTexture(GL_TEXTURE_2D, font);
    switch (state) {
        case kTitle:
            colour(1, 1, 1);
            drawText("Press R to start", centredX(kCentre, 16, kHudSize), kScreenHeight - 150, kHudSize);
            if (bests.best) {
                band(kCentre - 150, kScreenHeight - 196, kCentre + 150, kScreenHeight - 168);
                records(bests.best, std::nullopt, 0, kScreenHeight - 190);
            }
            break;
        case kPlaying: hudBar(g); break;
        case kMenu: menu(g); break;
        case kGameOver:
            hudBar(g);
            endScreen(g, bests, "GAME OVER", kBig);
            break;
        case kLevelDone:
            hudBar(g);
            endScreen(g, bests, "NIVEL COMPLETADO", kMenuTitle);
            break;
        default:
            hudBar(g);
            endScreen(g, bests, "FIN DEL JUEGO", kMenuTitle);
            break;
    }
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
}

}  // namespace orbitdash
