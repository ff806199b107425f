// Drawing of the rows: the slab, the ground beyond the field, crystals,
// diamonds and the crossing ship. Things far from the view are skipped.
#include <GL/gl.h>

#include "mapa.h"
#include "recursos.h"

namespace marsdash {

namespace {

constexpr float kFondo = -0.5f;       // slabs stand on this height
constexpr float kOscuroLado = 0.1f;   // side faces, darker
constexpr float kOscuroFuera = 0.72f; // the ground beyond the field
constexpr float kColorCristal[3] = {0.8784f, 0.2118f, 0.5686f};
constexpr float kColorDiamante[3] = {0.9294f, 0.2588f, 0.4039f};

void caja(float x0, float x1, float y0, float y1, float z0, float z1, const float top[3], const float lado[3]) {
    glBegin(GL_QUADS);
    glColor3fv(top);
    glNormal3f(0, 1, 0);
    glVertex3f(x0, y1, z0), glVertex3f(x0, y1, z1), glVertex3f(x1, y1, z1), glVertex3f(x1, y1, z0);
    glColor3fv(lado);
    glNormal3f(0, 0, -1);
    glVertex3f(x0, y0, z0), glVertex3f(x0, y1, z0), glVertex3f(x1, y1, z0), glVertex3f(x1, y0, z0);
    glNormal3f(0, 0, 1);
    glVertex3f(x0, y0, z1), glVertex3f(x1, y0, z1), glVertex3f(x1, y1, z1), glVertex3f(x0, y1, z1);
    glNormal3f(-1, 0, 0);
    glVertex3f(x0, y0, z0), glVertex3f(x0, y0, z1), glVertex3f(x0, y1, z1), glVertex3f(x0, y1, z0);
    glNormal3f(1, 0, 0);
    glVertex3f(x1, y0, z0), glVertex3f(x1, y1, z0), glVertex3f(x1, y1, z1), glVertex3f(x1, y0, z1);
    glEnd();
}

void drawCristales(const std::vector<Cristal>& lista, int fila, const Dibujo& d) {
    const float z = centroFila(fila);
    for (const Cristal& k : lista) {
        const float x = centroColumna(k.columna);
        if (!d.cerca(x, z, kCelda)) continue;
        glPushMatrix();
        glTranslatef(x, 0, z);
        glRotatef(k.giro, 0, 1, 0);
        glScalef(1.2f, 2.4f, 1.2f);
        d.modelos->cristal.draw();
        glPopMatrix();
    }
}

}  // namespace

void Segmento::drawLosa(const Dibujo& d) const {
    const float z0 = float(fila - 1) * kCelda, z1 = z0 + kCelda;
    const float lado[3] = {color[0] - kOscuroLado, color[1] - kOscuroLado, color[2] - kOscuroLado};
    caja(0, ancho, kFondo, kFondo + alto, z0, z1, color.data(), lado);
    // Lower, darker ground on both sides, under the scenery crystals.
    const float fuera[3] = {color[0] * kOscuroFuera, color[1] * kOscuroFuera, color[2] * kOscuroFuera};
    const float fueraLado[3] = {fuera[0] - kOscuroLado, fuera[1] - kOscuroLado, fuera[2] - kOscuroLado};
    const float alto2 = kFondo + 0.25f;
    if (d.cerca(0, centroFila(fila), ancho)) caja(-ancho, 0, kFondo - 1, alto2, z0, z1, fuera, fueraLado);
    if (d.cerca(ancho, centroFila(fila), ancho)) caja(ancho, 2 * ancho, kFondo - 1, alto2, z0, z1, fuera, fueraLado);
}

void Segmento::drawDiamante(const Dibujo& d) const {
    if (!diamante || diamante->recogido) return;
    const float x = centroColumna(diamante->columna), z = centroFila(fila);
    if (!d.cerca(x, z, kCelda)) return;
    glColor3fv(kColorDiamante);
    glPushMatrix();
    glTranslatef(x, 2, z);
    glRotatef(diamante->giro, 0, 1, 0);
    glScalef(1.5f, 3, 1.5f);
    d.modelos->diamante.draw();
    glPopMatrix();
}

void Segmento::draw(const Dibujo& d) const {
    glDisable(GL_TEXTURE_2D);
    drawLosa(d);
    drawDiamante(d);
}

void Segmento::drawEffects() const {
    if (diamante && diamante->rafaga) diamante->rafaga->draw();
}

void Libre::draw(const Dibujo& d) const {
    Segmento::draw(d);
    glColor3fv(kColorCristal);
    drawCristales(cristales, fila, d);
    drawCristales(izquierda, fila, d);
    drawCristales(derecha, fila, d);
}

void Calle::draw(const Dibujo& d) const {
    Segmento::draw(d);
    // Faint dashes down the middle of the street.
    const float z = centroFila(fila);
    glColor3f(color[0] * 1.25f, color[1] * 1.25f, color[2] * 1.25f);
    glNormal3f(0, 1, 0);
    glBegin(GL_QUADS);
    const float y = kFondo + alto + 0.01f;
    for (float x = 2; x < ancho; x += 16) {
        glVertex3f(x, y, z - 0.35f), glVertex3f(x, y, z + 0.35f), glVertex3f(x + 8, y, z + 0.35f),
            glVertex3f(x + 8, y, z - 0.35f);
    }
    glEnd();

    if (!d.cerca(nave.x, z, 2 * kCelda + 4)) return;
    const Modelo& m = d.modelos->nave;
    glPushMatrix();
    glTranslatef(nave.x, 1.5f, z);
    glRotatef(nave.haciaMasX ? -90.0f : 90.0f, 0, 1, 0);
    glScalef(5, 12, 10);
    if (m.grupos.empty()) {
        glColor3f(0.8f, 0.8f, 0.85f);
        m.draw();
    } else {
        for (std::size_t g = 0; g < m.grupos.size(); ++g) {
            if (g < nave.colores.size()) glColor3fv(nave.colores[g].data());
            m.drawGrupo(int(g));
        }
    }
    glPopMatrix();
}

}  // namespace marsdash
