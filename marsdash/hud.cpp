#include "hud.h"

#include <GL/gl.h>

#include "fuente.h"
#include "textura.h"

namespace marsdash {

namespace {
constexpr int kAncho = 640, kAlto = 480;
// The icon: a five-cornered gem, corners in top-left-origin pixels.
constexpr float kIcono[5][2] = {{23, 80}, {42, 63}, {34, 50}, {12, 50}, {4, 63}};
constexpr float kIconoTex[5][2] = {{0.5f, 0.0361f}, {0.9423f, 0.6659f}, {0.7981f, 0.9183f},
                                   {0.2067f, 0.9183f}, {0.0601f, 0.6659f}};
}  // namespace

std::vector<LineaHud> lineasHud(const EstadoHud& e) {
    std::vector<LineaHud> l;
    if (e.titulo) {
        l.push_back({"CRUZA MARTE PARA VOLVER A CASA", 50, 300});
        l.push_back({"I PARA INICIAR", 120, 250});
        l.push_back({"P PARA PAUSAR", 120, 200});
        l.push_back({"R PARA REINICIAR", 120, 150});
        l.push_back({"Q PARA SALIR", 120, 100});
    } else if (e.ganado) {
        l.push_back({"VOLVEMOS A CASA", 100, 300});
        l.push_back({"R PARA REINICIAR", 120, 250});
        l.push_back({"Q PARA SALIR", 120, 200});
    } else if (e.muerto && !e.pausa) {
        l.push_back({"HOUSTON TENEMOS UN PROBLEMA", 50, 300});
        l.push_back({"R PARA REINICIAR", 120, 250});
        l.push_back({"Q PARA SALIR", 120, 200});
    }
    // The best kept across runs, under the title or the end of a run (the
    // font has no accents).
    if (e.record > 0 && (e.titulo || e.ganado || (e.muerto && !e.pausa)))
        l.push_back({"RECORD " + std::to_string(e.record) + " DE " + std::to_string(e.filas), 120, e.titulo ? 50 : 150});
    if (e.pausa && !e.ganado && !e.titulo) {
        l.push_back({"JUEGO PAUSADO", 200, 420});
        l.push_back({"V CAMARA", 100, 370});
        l.push_back({"A Y D MOVER LUZ", 100, 320});
        l.push_back({"S COLOR LUZ", 100, 270});
        l.push_back({"T TEXTURAS", 100, 220});
        l.push_back({"Y WIREFRAME", 100, 170});
        l.push_back({"U FACETADO E INTERPOLADO", 100, 120});
        l.push_back({"Z VELOCIDAD", 100, 70});
        l.push_back({"1 2 3 4 LARGO MAPA", 100, 20});
    }
    l.push_back({std::to_string(e.mejorFila) + " DE " + std::to_string(e.filas), 20, 440});
    l.push_back({std::to_string(e.diamantes), 48, 405});
    return l;
}

void drawHud(const EstadoHud& e, const Fuente* fuente, Textura& icono) {
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT | GL_TEXTURE_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, kAncho, kAlto, 0, -1, 1);  // top-left origin for the icon
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glColor3f(1, 1, 1);
    if (const unsigned tex = icono.id()) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, tex);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    glBegin(GL_POLYGON);
    for (int i = 0; i < 5; ++i) {
        glTexCoord2fv(kIconoTex[i]);
        glVertex2fv(kIcono[i]);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kAncho, 0, kAlto, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    // The font prints in the viewport's pixels; a window of another size
    // (full screen) moves each text to its place in the stretched overlay,
    // next to the icon, at the font's own size.
    GLint vista[4];
    glGetIntegerv(GL_VIEWPORT, vista);
    const float sx = vista[2] > 0 ? float(vista[2]) / kAncho : 1.0f;
    const float sy = vista[3] > 0 ? float(vista[3]) / kAlto : 1.0f;
    if (fuente)
        for (const LineaHud& l : lineasHud(e)) fuente->imprimir(float(l.x) * sx, float(l.y) * sy, l.texto);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

}  // namespace marsdash
