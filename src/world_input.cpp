// The game's keys and mouse.
#include <cmath>

#include "camera.h"
#include "mainloop.h"
#include "player.h"
#include "world.h"

namespace lanehop {

void World::input(SDL_Event e, float delta) {
    if (e.type == SDL_MOUSEWHEEL && camera) {
        camera->setDistance(camera->getDistance() - float(e.wheel.y) * delta * 50);
    } else if (e.type == SDL_MOUSEBUTTONDOWN && ml->getPause()) {
        settingsPage = (settingsPage + 1) % 2;
    } else if (e.type == SDL_KEYDOWN) {
        keyDown(e.key.keysym.sym);
    }
}

void World::selectLight(int light, int skybox, const Color* dayTint) {
    currentLight = light;
    currentSkybox = skybox;
    if (dayTint) skyboxes[0].color = *dayTint;
}

void World::cycleView() {
    if (!camera || !player) return;
    if (camera->getMouseMode() == hop::Camera::NONE) {
        camera->setMode(hop::Camera::PERSPECTIVE);
        camera->setPosition(camera->getCenter() - prevCameraOffset, false, false);
    } else {
        prevCameraOffset = camera->getCenter() - camera->getPosition();
    }
    camera->toggleMouseMode();
    if (camera->getMouseMode() == hop::Camera::NONE) {
        camera->setMode(hop::Camera::ORTHOGONAL);
        camera->setCenter(player->getPosition(), false, false);
        camera->setPosition(player->getPosition() + Vector3(1, 10, 6).normalize() * 5, false, false);
    }
}

void World::keyDown(SDL_Keycode key) {
    const Color white(1, 1, 1, 1), night(0.1f, 0.1f, 0.2f, 1);
    double speed = ml->getGameSpeedMult();
    switch (key) {
        case SDLK_MINUS:
            if (speed / 1.2 > 0.002) ml->setGameSpeedMult(speed / 1.2);
            break;
        case SDLK_EQUALS:
            if (speed * 1.2 < 9) ml->setGameSpeedMult(speed * 1.2);
            break;
        case SDLK_0: ml->setGameSpeedMult(1); break;
        case SDLK_1: selectLight(0, 0, &white); break;
        case SDLK_2: selectLight(1, 1, nullptr); break;
        case SDLK_3: selectLight(2, 0, &night); break;
        case SDLK_4: selectLight(3, 0, &night); break;
        case SDLK_5: selectLight(4, 0, &white); break;
        case SDLK_b: ml->toggleBlend(); break;
        case SDLK_c: ml->toggleCullFace(); break;
        case SDLK_f: ml->toggleWireframe(); break;
        case SDLK_g: ml->toggleFullscreen(); break;
        case SDLK_i: ml->toggleSmooth(); break;
        case SDLK_k: ml->toggleFog(); break;
        case SDLK_l: ml->toggleLighting(); break;
        case SDLK_m: ml->toggleMultisampling(); break;
        case SDLK_r: ml->toggleShowFPS(); break;
        case SDLK_t: ml->toggleTexture(); break;
        case SDLK_o:
            if (!ml->getPause() && camera) camera->toggleMode();
            break;
        case SDLK_p: ml->togglePause(); break;
        case SDLK_q: ml->quit(); break;
        case SDLK_v:
            if (!ml->getPause()) cycleView();
            break;
        case SDLK_PAGEUP: nextLevel(); break;
        // While paused the arrows turn the panel to the page its hint points
        // at ("< Controles", "Ajustes >"): a controller's d-pad does it too.
        case SDLK_LEFT:
            if (ml->getPause()) settingsPage = 0;
            break;
        case SDLK_RIGHT:
            if (ml->getPause()) settingsPage = 1;
            break;
        default: break;
    }
}

}  // namespace lanehop
