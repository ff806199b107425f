// Drawing of the tiles, the rows, the board and the entities.
#include <GL/gl.h>

#include "enemigo.h"
#include "jugador.h"
#include "mesh.h"
#include "tablero.h"
#include "tiletextures.h"

namespace boardhop {

void Casilla::drawQuad(unsigned texture, float scrollT, const float* plainColour) const {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glColor4fv(color);
    const bool textured = texturesOn && texture != 0;
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    const bool coloured = !textured && plainColour;
    if (coloured) {
        // Lit by light 0 and light 3 together a textured tile shows its
        // texels about as they are: half the colour, lit twice, does too.
        const GLfloat material[] = {0.5f * plainColour[0], 0.5f * plainColour[1], 0.5f * plainColour[2], 1};
        glPushAttrib(GL_LIGHTING_BIT);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);
    }
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1);
    glTexCoord2f(0, scrollT);
    glVertex3f(-0.5f, 0.5f, 0);
    glTexCoord2f(0, 1 + scrollT);
    glVertex3f(0.5f, 0.5f, 0);
    glTexCoord2f(1, 1 + scrollT);
    glVertex3f(0.5f, -0.5f, 0);
    glTexCoord2f(1, scrollT);
    glVertex3f(-0.5f, -0.5f, 0);
    glEnd();
    if (coloured) glPopAttrib();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
}

void Casilla::draw() { drawQuad(0, 0); }

void Tierra::draw() { drawQuad(tileTexture(TileImage::Tierra), 0); }

void Agua::draw() {
    // Without its texture water keeps its colour (the image's mean, or a
    // plain blue when the image is missing): it must not look like sand.
    static const float kPlainWater[3] = {0.15f, 0.35f, 0.8f};
    float colour[3];
    const unsigned texture = tileTexture(TileImage::Agua);
    drawQuad(texture, scroll, tileColour(TileImage::Agua, colour) ? colour : kPlainWater);
}

void Arbol::draw() {
    drawQuad(tileTexture(TileImage::Pasto), 0);
    if (!palm) return;
    // The palm has its own light, from the side of the row.
    static const GLfloat position[] = {10, 0.0588f, 0.0588f, 1};
    static const GLfloat diffuse[] = {1, 1, 1, 1};
    static const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1};
    glLightfv(GL_LIGHT2, GL_POSITION, position);
    glLightfv(GL_LIGHT2, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT2, GL_AMBIENT, ambient);
    // That light grazes the fronds from the side; from above they would be
    // black under the default material, so the palm glows a little and takes
    // the ambient light whole.
    static const GLfloat palmAmbient[] = {1, 1, 1, 1};
    static const GLfloat palmEmission[] = {0.35f, 0.35f, 0.35f, 1};
    glPushAttrib(GL_LIGHTING_BIT);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, palmAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, palmEmission);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT2);
    palm->setPlacement(0.0588f, 0.0588f, 0);
    palm->draw();
    glPopAttrib();
}

void Fila::draw() {
    glPushMatrix();
    for (int i = 0; i < count; ++i) {
        tiles[i]->draw();
        glTranslatef(kPitch, 0, 0);
    }
    glPopMatrix();
}

void Tablero::draw() {
    glPushMatrix();
    glEnable(GL_DEPTH_TEST);
    for (int i = 0; i < rows; ++i) {
        rowList[i]->draw();
        glTranslatef(0, Fila::kPitch, 0);
    }
    glPopMatrix();
}

void Jugador::draw() {
    const Vec2 cell = board.cellToWorld(column, row);
    const float px = cell.x + offsetX, py = cell.y + offsetY;

    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glPointSize(5);
    glBegin(GL_POINTS);
    glVertex3f(px, py, height);
    glEnd();

    if (!model) return;
    const GLfloat lightPos[] = {cell.x, cell.y, height - 20, 1};
    const GLfloat alive[] = {1, 1, 1, 1};
    const GLfloat deadColour[] = {1, 0, 0, 1};
    const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1};
    glLightfv(GL_LIGHT3, GL_POSITION, lightPos);
    glLightfv(GL_LIGHT3, GL_DIFFUSE, dead ? deadColour : alive);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT3);
    model->setPlacement(px, py, height);
    model->draw();
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT3);
}

void Enemigo::draw() {
    if (!model) return;
    glColor3f(1, 1, 1);
    model->setPlacement(x, y, 0);
    model->draw();
}

void Tronco::draw() {
    if (!model) return;
    glColor3f(1, 1, 1);
    model->setPlacement(x, y, 0.5f);
    model->draw();
}

}  // namespace boardhop
