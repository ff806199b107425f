#include "app.h"

#include <exception>
#include <iostream>

#include "fontmanager.h"
#include "mainloop.h"
#include "model.h"
#include "texturemanager.h"
#include "world.h"

namespace lanehop {

hop::PadTable padTable() {
    hop::PadTable t;  // d-pad and left stick: the arrows, walking (and the panel's pages while paused)
    t.set(hop::Control::A, SDLK_SPACE, SDL_SCANCODE_SPACE)  // jump, held as long as the button
        .set(hop::Control::Start, SDLK_p, SDL_SCANCODE_P)
        .set(hop::Control::Back, SDLK_p, SDL_SCANCODE_P)  // the paused panel is the help
        .set(hop::Control::RightShoulder, SDLK_v, SDL_SCANCODE_V)
        .set(hop::Control::LeftShoulder, SDLK_o, SDL_SCANCODE_O);
    t.lookSpeed = 600;  // the right stick looks around as the mouse does
    return t;
}

int runGame() {
    std::cout << "HELLO WORLD" << std::endl;
    hop::MainLoop* ml = hop::MainLoop::getInstance();
    int status = 0;
    try {
        // init loads the frame-rate font: a missing or broken one is reported
        // like every other file.
        ml->init(1600, 900, "Plonky Path");
        ml->usePads(padTable());
        World* world = new World();
        ml->setScene(world);
        world->loadResources();
        ml->run(world);
    } catch (const std::exception& e) {
        // A missing or broken level, font, texture or model: say which, and stop.
        std::cerr << e.what() << std::endl;
        status = 1;
    }
    ml->shutdown();
    return status;
}

}  // namespace lanehop
