// The drawing steps of the three main states.
#include <GL/gl.h>

#include "game.h"
#include "render.h"
#include "text.h"

namespace roosterway {

namespace {

void show(const FontFace* small, const FontFace* large, const ScreenText& t) {
    const FontFace* font = t.large ? large : small;
    if (font) drawText(*font, t.text, float(t.x), float(t.y));
}

void beginScreen() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
}

// Translucent white quads over the current choice of each setting, in
// top-left window pixels.
void drawHighlights(const Options& options) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, Juego::kWidth, Juego::kHeight, 0, -1, 10);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glColor4f(128, 128, 128, 0.3f);  // clamps to white
    glBegin(GL_QUADS);
    for (int setting = 0; setting < 5; ++setting) {
        const ClickBox& b = kOptionBox[highlightedBox(options, setting)];
        glVertex2i(b.x1, b.y1);
        glVertex2i(b.x1, b.y2);
        glVertex2i(b.x2, b.y2);
        glVertex2i(b.x2, b.y1);
    }
    glEnd();
    glColor4f(255, 255, 255, 1);
    glPopAttrib();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace

void Juego::drawPlaying() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    applyCamera(cameraPose(view, x, z, yaw, pitch));
    if (world->models && options.textures != world->texturesOn) world->reloadModels(options.textures);
    world->smoothShading = !options.flatMode;
    glShadeModel(world->smoothShading ? GL_SMOOTH : GL_FLAT);
    world->lightMode = options.lightMode;

    drawWorld(*world, options.wireframe);
    drawChicken(*world, x, height, z, hop.facing, scaleY, options.wireframe);

    drawHud(score(), lives);
}

void Juego::drawHud(int points, int livesLeft) {
    std::string scoreLine, livesLine;
    show(font25.get(), font40.get(), hudScoreText(scoreLine, points));
    show(font25.get(), font40.get(), hudLivesText(livesLine, livesLeft));
    if (points == kWinScore) show(font25.get(), font40.get(), kWinText);
}

void Juego::drawMenu() {
    beginScreen();
    const FontFace* s = font25.get();
    const FontFace* l = font40.get();
    switch (screen.subScreen) {
        case ScreenOptions:
            glDisable(GL_LIGHTING);
            drawHighlights(options);
            for (const ScreenText& t : kOptionsTexts) show(s, l, t);
            glEnable(GL_LIGHTING);
            break;
        case ScreenControls:
            for (const ScreenText& t : kControlsTexts) show(s, l, t);
            break;
        default: show(s, l, kMenuText); break;
    }
}

void Juego::drawLost() {
    beginScreen();
    for (const ScreenText& t : kLostTexts) show(font25.get(), font40.get(), t);
}

}  // namespace roosterway
