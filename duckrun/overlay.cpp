#include "overlay.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

namespace duckrun {

namespace {

GlyphRenderer glyphs = nullptr;

// Pixel projection and a clean state: the scene's lighting, texturing and
// depth test must not reach the text and panels, whatever render switch is on.
void beginOverlay(float width, float height) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void endOverlay() {
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void drawBlackboard(const ScreenPanel& panel) {
    const float w = panel.windowWidth / 3, h = panel.windowHeight / 2.5f;
    glTranslatef(panel.windowWidth / 2, panel.windowHeight / 2, 0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, panel.blackboard);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 0.9f);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2f(-w, -h);
    glTexCoord2f(0, 1), glVertex2f(-w, h);
    glTexCoord2f(1, 1), glVertex2f(w, h);
    glTexCoord2f(1, 0), glVertex2f(w, -h);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

void setGlyphRenderer(GlyphRenderer renderer) { glyphs = renderer; }

void glutGlyphs(const std::string& text) {
    for (unsigned char c : text) glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, c);
}

void drawText(const std::string& text, float x, float y) {
    glPushAttrib(GL_CURRENT_BIT);
    glColor4f(1, 1, 1, 1);
    glRasterPos2f(x, y);
    if (glyphs) glyphs(text);
    glPopAttrib();
}

void drawHud(const WindowSize& window, const GameState& state) {
    beginOverlay(window.width, window.height);
    glTranslatef(25, 25, 0);
    glColor4f(0, 0, 0, 0.6f);
    glBegin(GL_QUADS);
    glVertex2f(0, 0), glVertex2f(0, 100), glVertex2f(225, 100), glVertex2f(225, 0);
    glEnd();
    drawText("Score: " + std::to_string(state.score()), 20, 35);
    drawText("Tiempo: " + timeText(state.seconds), 20, 75);
    endOverlay();
}

void drawPauseScreen(const ScreenPanel& panel, const GameState& state) {
    static const char* const leftColumn[] = {"FLECHAS:  Mover el pato",    "V:  Cambio de vista",
                                             "P:  Pausar el juego",        "Q:  Salir del juego",
                                             "T:  Texturas (ON/OFF)",      "W:  Wireframe (ON/OFF)",
                                             "I:  Interpolado / Facetado"};
    static const char* const rightColumn[] = {"1:  Velocidad LENTA", "2:  Velocidad NORMAL", "3:  Velocidad RAPIDA",
                                              nullptr, "N:  Modo nocturno (ON/OFF)", "L:  Modo atardecer (ON/OFF)"};
    beginOverlay(panel.windowWidth, panel.windowHeight);
    drawBlackboard(panel);
    glTranslatef(-panel.windowWidth / 3, -panel.windowHeight / 2.5f, 0);
    for (int k = 0; k < 7; ++k) drawText(leftColumn[k], panel.left, panel.top + float(k) * panel.lineHeight);
    glTranslatef(panel.windowWidth / 3 - panel.left / 2, 0, 0);
    for (int k = 0; k < 6; ++k)
        if (rightColumn[k]) drawText(rightColumn[k], panel.left, panel.top + float(k) * panel.lineHeight);
    glTranslatef(-panel.windowWidth / 7, panel.windowHeight / 1.6f, 0);
    drawText(state.seconds == 0 ? "PRESIONE P PARA EMPEZAR A JUGAR!" : "PRESIONE P PARA VOLVER AL JUEGO!", 0, 0);
    // The best score kept across runs, under the prompt.
    if (state.record > 0) drawText("RECORD: " + std::to_string(state.record), 95, panel.lineHeight);
    endOverlay();
}

void drawEndScreen(const ScreenPanel& panel, const GameState& state) {
    beginOverlay(panel.windowWidth, panel.windowHeight);
    drawBlackboard(panel);
    glTranslatef(-60, -100, 0);
    drawText(state.screen == ScreenGameOver ? "GAME OVER" : "YOU WON!", 0, 0);
    drawText("Score: " + std::to_string(state.score()), panel.lineHeight / 2, panel.top);
    drawText("Tiempo: " + timeText(state.seconds), 5 - panel.lineHeight / 2, panel.lineHeight + panel.top);
    if (state.record > 0)
        drawText("Record: " + std::to_string(state.record), 5 - panel.lineHeight / 2, 2 * panel.lineHeight + panel.top);
    drawText("PRESIONE R PARA REINICIAR", -2 * panel.lineHeight - 5, 200);
    endOverlay();
}

}  // namespace duckrun
