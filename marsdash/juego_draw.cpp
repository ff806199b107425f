// The drawing step of a frame: projection, camera, light, the astronaut, the
// parked ships, the rows and their effects, then the HUD.
#include <GL/gl.h>
#include <GL/glu.h>

#include "hud.h"
#include "juego.h"
#include "recursos.h"

namespace marsdash {

namespace {

constexpr float kColorAstronauta[3] = {0.7686f, 0.7373f, 0.6471f};
constexpr float kEscalaNave[3] = {3, 5, 3};

struct ColorLuz {
    float difusa[4], ambiente[4];
};
constexpr ColorLuz kLuces[3] = {
    {{0.7686f, 0.7373f, 0.6471f, 1.0f}, {0.7686f, 0.7373f, 0.6471f, 0.1f}},
    {{0.957f, 0.5469f, 0.3828f, 1.0f}, {0.957f, 0.5469f, 0.3828f, 0.1f}},
    {{0.957f, 0.3633f, 0.8281f, 1.0f}, {0.957f, 0.3633f, 0.8281f, 0.1f}},
};

void luz(const Astronauta& a, float angulo, int modo) {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const ColorLuz& c = kLuces[(modo >= 1 && modo <= 3) ? modo - 1 : 1];
    const float posicion[4] = {168, 70, 0, 0};
    glPushMatrix();
    glTranslatef(84, 70, a.z);
    glRotatef(angulo, 0, 1, 0);
    glLightfv(GL_LIGHT0, GL_POSITION, posicion);
    glPopMatrix();
    glLightfv(GL_LIGHT0, GL_DIFFUSE, c.difusa);
    glLightfv(GL_LIGHT0, GL_SPECULAR, c.difusa);
    glLightfv(GL_LIGHT0, GL_AMBIENT, c.ambiente);
}

void naveAparcada(const Modelo& m, Textura& tex, bool texturas, float x, float y, float z) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LIGHTING_BIT);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT);  // ambient only: the texture carries the colours
    const float blanco[4] = {1, 1, 1, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, blanco);
    glColor3f(1, 1, 1);
    const unsigned id = texturas ? tex.id() : 0;
    if (id) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, id);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    glPushMatrix();
    glScalef(kEscalaNave[0], kEscalaNave[1], kEscalaNave[2]);
    glTranslatef(x, y, z);
    m.draw();
    glPopMatrix();
    glPopAttrib();
}

// Plain ground behind the wall and beyond the goal, under the parked ships.
void llanura(float z0, float z1) {
    glDisable(GL_TEXTURE_2D);
    glColor3f(0.62f, 0.34f, 0.08f);
    glNormal3f(0, 1, 0);
    glBegin(GL_QUADS);
    glVertex3f(-kAncho, -0.3f, z0), glVertex3f(-kAncho, -0.3f, z1), glVertex3f(2 * kAncho, -0.3f, z1),
        glVertex3f(2 * kAncho, -0.3f, z0);
    glEnd();
}

}  // namespace

void Juego::proyeccion() {
    if (!graficos_) return;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (seguir)
        glOrtho(-30, 30, -30, 30, -70, 80);
    else
        glOrtho(-40, 40, -40, 40, -80, 80);
    glMatrixMode(GL_MODELVIEW);
    glClearColor(0, 0, 0, 1);
    glEnable(GL_DEPTH_TEST);
}

void Juego::draw() {
    seguirVentana();
    glViewport(0, 0, vistaAncho, vistaAlto);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, alambre ? GL_LINE : GL_FILL);
    glShadeModel(suave ? GL_SMOOTH : GL_FLAT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);  // the models are scaled unevenly
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glDisable(GL_BLEND);
    drawEscena();
    drawHud({titulo, pausa, ganado(), muerto, astronauta->mejorFila, mapa->filas(), astronauta->diamantes,
             records.best(nombreRecord()).value_or(0)},
            recursos_->fuente.get(), recursos_->icono);
    glFlush();
}

void Juego::drawEscena() {
    const Astronauta& a = *astronauta;
    const float px = a.worldX(), py = a.y * kModeloAMundo, pz = a.worldZ();
    Dibujo d;
    d.modelos = recursos_.get();
    d.texturas = texturas;
    d.radio = radioVista;

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (seguir) {
        gluLookAt(px, py + 0.05, pz - 0.1, px, py, pz, 0, 1, 0);
        // Look where the astronaut heads.
        glTranslatef(px, 0, pz);
        glRotatef(-a.rumbo, 0, 1, 0);
        glTranslatef(-px, 0, -pz);
        d.cx = px;
        d.cz = pz;
    } else {
        const Camara& c = *camara;
        gluLookAt(c.ojo[0], c.ojo[1], c.ojo[2], c.mira[0], c.mira[1], c.mira[2], 0, 1, 0);
        glTranslatef(c.mira[0], c.mira[1], c.mira[2]);
        glRotatef(arrastre, 0, 1, 0);
        glTranslatef(-c.mira[0], -c.mira[1], -c.mira[2]);
        glTranslatef(c.desplazX, 0, c.desplazZ);
        d.cx = c.mira[0] - c.desplazX;
        d.cz = c.mira[2] - c.desplazZ;
    }

    luz(a, anguloLuz, modoLuz);

    // The astronaut, unless it has reached the goal.
    if (!a.enMeta) {
        const Segmento* s = mapa->fila(a.fila);
        const bool libre = s && s->tipo() == Segmento::TipoLibre;
        const float alza = libre ? (a.agachado ? 1.5f : 0.5f) : 0.0f;
        glPushMatrix();
        glTranslatef(0, alza, 0);
        glScalef(kModeloAMundo, kModeloAMundo, kModeloAMundo);
        glTranslatef(a.x, a.y, a.z);
        glRotatef(a.rumbo, 0, 1, 0);
        float sy = a.agachado ? 0.3f / kModeloAMundo : 1.0f;
        if (a.aplastado) sy *= 0.2f;
        glScalef(1, sy, 1);
        glColor3fv(kColorAstronauta);
        const unsigned id = texturas ? recursos_->texAstronauta.id() : 0;
        if (id) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, id);
        }
        recursos_->astronauta.draw();
        glDisable(GL_TEXTURE_2D);
        glPopMatrix();
    }

    llanura(-8 - 6 * kCelda, -8);
    llanura(float(mapa->filas() - 1) * kCelda, float(mapa->filas() + 6) * kCelda);
    // The crashed ship behind the start, the rescue ship beyond the goal.
    naveAparcada(recursos_->nave2, recursos_->texNave2, texturas, 24.6667f, 0.2f, -10.6667f);
    naveAparcada(recursos_->nave1, recursos_->texNave1, texturas, 28.0f,
                 rescate->altura / kEscalaNave[1], float(mapa->filas()) * kCelda / 3.0f);

    filasDibujadas = 0;
    for (int f = mapa->filas() - 1; f >= 0; --f) {
        const Segmento& s = *mapa->segmentos[std::size_t(f)];
        const float dz = centroFila(f) - d.cz;
        if (dz > radioVista + kCelda || dz < -radioVista - kCelda) continue;  // moved, not drawn
        s.draw(d);
        ++filasDibujadas;
    }
    for (int f = 0; f < mapa->filas(); ++f) mapa->segmentos[std::size_t(f)]->drawEffects();
    // Last: its bursts do not write depth, so nothing may be drawn over them.
    meteorito->draw(&recursos_->meteorito);
}

}  // namespace marsdash
