#include "camara.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL_events.h>

#include <algorithm>

#include "jugador.h"
#include "tablero.h"

namespace boardhop {

namespace {
constexpr float kMouseDegrees = 0.3f;  // per pixel of motion
constexpr float kWheelStep = 0.1f;
constexpr float kAheadOfPlayer = 5.05f;  // mode 3 looks five rows ahead
}  // namespace

Camara::Camara(Jugador& p, Tablero& b, float a) : aspect(a), player(p), board(b) {
    const Vec2 c = board.centre();
    centreX = c.x;
    centreY = c.y;
    centreZ = 0;
    computeBox();
}

void Camara::handleEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEMOTION:
            if (mode > 3 || dragging) {
                yaw += kMouseDegrees * event.motion.xrel;
                pitch += kMouseDegrees * event.motion.yrel;
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) dragging = true;
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT) dragging = false;
            break;
        case SDL_MOUSEWHEEL:
            if (event.wheel.y != 0) {
                const int amount = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
                zoom += kWheelStep * amount;
            }
            break;
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == SDLK_v) nextMode();
            break;
        default: break;
    }
}

void Camara::nextMode() {
    mode = (mode + 1) % kModes;
    yaw = pitch = zoom = 0;
    if (mode == 3) yaw = 30;
    if (mode == 4) pitch = 90;
    if (mode == 5) pitch = 120;
}

void Camara::update(std::uint32_t) {
    const Vec2 cell = board.cellToWorld(player.column, player.row);
    tracked[0] = cell.x + player.offsetX;
    tracked[1] = cell.y + player.offsetY;
    tracked[2] = 0;
    const Vec2 c = board.centre();
    centreZ = 0;
    switch (mode) {
        case 0: centreX = c.x; centreY = c.y; break;
        case 1: centreX = c.x; centreY = tracked[1]; break;
        case 2: centreX = tracked[0]; centreY = tracked[1]; break;
        case 3: centreX = c.x; centreY = tracked[1] + kAheadOfPlayer; break;
        default:
            centreX = tracked[0];
            centreY = tracked[1];
            centreZ = player.eyeHeight() + tracked[2];
            break;
    }
    computeBox();
}

void Camara::computeBox() {
    const Bounds b = board.bounds();
    float w = 0, h = 0;
    switch (mode) {
        case 0: w = b.right - b.left; h = b.top - b.bottom; break;
        case 1: w = b.right - b.left; h = 0.0001f; break;
        case 2: w = h = 4.04f; break;
        case 3: w = h = 9.09f; break;
        default: return;  // perspective views have no box
    }
    if (w / h <= aspect)
        w = h * aspect;
    else
        h = w / aspect;
    left = -w / 2;
    right = w / 2;
    bottom = -h / 2;
    top = h / 2;
    const float d = std::max(w / 2, h / 2);
    // The board is seen from its -z side (up is -z): the near value is the
    // positive one.
    nearPlane = d;
    farPlane = -d;
}

void Camara::draw() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (mode <= 3)
        glOrtho(left, right, bottom, top, nearPlane, farPlane);
    else
        gluPerspective(45, aspect, 0.5, 50);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float s = 1 + zoom;
    switch (mode) {
        case 4:
            glTranslatef(0, 0, -3 * s);
            glRotatef(pitch, 1, 0, 0);
            glRotatef(yaw, 0, 1, 0);
            break;
        case 5:
            glRotatef(pitch, 1, 0, 0);
            glRotatef(yaw, 0, 1, 0);
            break;
        default:
            glRotatef(pitch, 1, 0, 0);
            glRotatef(yaw, 0, 1, 0);
            glScalef(s, s, s);
            break;
    }
    glTranslatef(-centreX, -centreY, centreZ);
}

}  // namespace boardhop
