// The drawing step of a frame: lights, render switches, scene and HUD.
#include <GL/gl.h>

#include "camara.h"
#include "enemigo.h"
#include "hud.h"
#include "juego.h"
#include "jugador.h"
#include "tablero.h"

namespace boardhop {

void Juego::draw(std::uint32_t now) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const GLfloat diffuse[] = {colorLuz[0], colorLuz[1], colorLuz[2], 1};
    glEnable(GL_LIGHT3);
    glLightfv(GL_LIGHT3, GL_POSITION, luzPosicion3);
    glLightfv(GL_LIGHT3, GL_DIFFUSE, diffuse);

    glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
    glShadeModel(flatShading ? GL_FLAT : GL_SMOOTH);

    camera->draw();
    board->draw();
    if (camera->mode != 5) player->draw();
    seal->draw();
    log->draw();

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    if (hud) {
        if (gameState == Paused)
            hud->update(now);
        else if (gameState == Help)
            hud->drawHelp();
        else
            hud->drawScore(player->dead ? -1 : player->score, player->highScore);
    }
    glFlush();
}

}  // namespace boardhop
