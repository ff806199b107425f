#include "app.h"

#include <exception>
#include <iostream>

#include "fontmanager.h"
#include "mainloop.h"
#include "model.h"
#include "texturemanager.h"
#include "world.h"

namespace lanehop {

int runGame() {
    std::cout << "HELLO WORLD" << std::endl;
    hop::MainLoop* ml = hop::MainLoop::getInstance();
    int status = 0;
    try {
        // init loads the frame-rate font: a missing or broken one is reported
        // like every other file.
        ml->init(1600, 900, "Plonky Path");
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
