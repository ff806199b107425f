// A world built from the stage folder's files, with the engine's loop as
// its scene holder and a keyboard the test controls.
#pragma once

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstring>

#include "car.h"
#include "mainloop.h"
#include "player.h"
#include "world.h"
#include "hoptest/events.h"

namespace lanehop_test {

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        ml = hop::MainLoop::getInstance();
        ml->setPause(false);
        ml->setGameSpeedMult(1);
        std::memset(keys, 0, sizeof keys);
        world = new lanehop::World();
        ml->setScene(world);
        player()->setKeyboard(keys);
    }
    void TearDown() override {
        ml->setScene(nullptr);
        delete world;
        ml->setPause(true);
    }
    lanehop::Player* player() { return world->getPlayer(); }
    // Replaces the level with `rows` and boots it, with the test's keyboard.
    void boot(std::initializer_list<const char*> rows) {
        lanehop::Grid g;
        for (const char* r : rows) g.emplace_back(r, r + std::strlen(r));
        world->setTiles(g);
        world->bootupLevel();
        player()->setKeyboard(keys);
    }
    void removeTraffic() {
        std::vector<hop::Object*> spawners;
        for (hop::Object* o : world->getObjects())
            if (o->getId() == "CarSpawn" || o->getId() == "car") spawners.push_back(o);
        for (hop::Object* o : spawners) world->freeObject(o);
    }
    // Frames of `dt` through the loop's own update (the scene is the loop's).
    void run(float seconds, float dt = 1.f / 60) {
        for (float t = 0; t < seconds; t += dt) {
            ml->update(dt);
            if (player()) player()->setKeyboard(keys);
        }
    }
    void hold(SDL_Scancode k, bool down = true) { keys[k] = down ? 1 : 0; }

    hop::MainLoop* ml = nullptr;
    lanehop::World* world = nullptr;
    Uint8 keys[SDL_NUM_SCANCODES];
};

}  // namespace lanehop_test
