// Models with known bounds and a seeded game, for rule tests without files
// or a GL context.
#pragma once

#include <sstream>

#include "game.h"
#include "model.h"

namespace birdhop_test {

struct Models {
    birdhop::BirdModel bird, car, tree;
    Models() {
        bird.bounds = {-0.4, 0.4, 0, 1, -0.5, 0.5};
        car.bounds = {-0.2, 0.2, 0, 0.3, -0.5, 0.5};  // 4 x 1.6 once scaled by 4
        tree.bounds = {-1, 1, 0, 4, -0.95, 0.95};
    }
    birdhop::WorldAssets assets() const { return {&bird, &car, &tree, 0, 0}; }
};

struct Game {
    Models models;
    std::ostringstream out;
    birdhop::BirdGame game;
    explicit Game(std::uint32_t seed = 7) : game(models.assets(), seed, out) {}
    // Frames of `ms` until the bird's hop has landed.
    void land(double ms = 16) {
        for (int i = 0; i < 1000 && game.bird.move.running(); ++i) game.update(ms);
    }
};

}  // namespace birdhop_test
