// The drawing steps of the three main states.
#include <GL/gl.h>

#include <algorithm>

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

// A white frame around the item a controller or the arrows highlight.
void drawCursor(const ClickBox* box) {
    if (!box) return;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, Juego::kWidth, Juego::kHeight, 0, -1, 10);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glLineWidth(3);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_LINE_LOOP);
    glVertex2i(box->x1, box->y1);
    glVertex2i(box->x1, box->y2);
    glVertex2i(box->x2, box->y2);
    glVertex2i(box->x2, box->y1);
    glEnd();
    glPopAttrib();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

constexpr float kBackdropMargin = 8;

float textWidth(const FontFace& font, const char* text) {
    float w = 0;
    for (const char* c = text; *c; ++c) w += font.advance[static_cast<unsigned char>(*c) & 127];
    return w;
}

// A translucent dark rectangle in bottom-left window pixels, filled and
// unlit whatever the scene's switches are.
void backdrop(float x1, float y1, float x2, float y2) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewport[2], 0, viewport[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0, 0.65f);
    glRectf(x1, y1, x2, y2);
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

    drawScene(*world, {x, height, z, hop.facing, scaleY}, options.wireframe);

    drawHud(score(), lives);
}

void Juego::drawHud(int points, int livesLeft) {
    std::string scoreLine, livesLine;
    const ScreenText score = hudScoreText(scoreLine, points), livesText = hudLivesText(livesLine, livesLeft);
    // White text needs a dark ground: untextured models are white too.
    if (font25) {
        const float w = std::max(textWidth(*font25, score.text), textWidth(*font25, livesText.text));
        backdrop(float(livesText.x) - kBackdropMargin, float(livesText.y) - kBackdropMargin,
                 float(score.x) + w + kBackdropMargin, float(score.y) + float(font25->height) + kBackdropMargin);
    }
    glColor4f(1, 1, 1, 1);
    show(font25.get(), font40.get(), score);
    show(font25.get(), font40.get(), livesText);
    if (points == kWinScore) {
        if (font40) {
            const float x = lineStartX(font40->height, kWinText.text, float(kWinText.x));
            backdrop(x - kBackdropMargin, float(kWinText.y) - kBackdropMargin,
                     x + textWidth(*font40, kWinText.text) + kBackdropMargin,
                     float(kWinText.y) + float(font40->height) + kBackdropMargin);
        }
        glColor4f(1, 1, 1, 1);
        show(font25.get(), font40.get(), kWinText);
    }
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
        default: {
            show(s, l, kMenuText);
            std::string line;
            if (best() > 0) show(s, l, recordText(line, best()));
            break;
        }
    }
    drawCursor(cursorBox(screen));
}

void Juego::drawLost() {
    beginScreen();
    for (const ScreenText& t : kLostTexts) show(font25.get(), font40.get(), t);
    std::string line;
    if (best() > 0) show(font25.get(), font40.get(), recordText(line, best()));
    drawCursor(cursorBox(screen));
}

}  // namespace roosterway
