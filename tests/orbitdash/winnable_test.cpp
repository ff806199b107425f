// Every committed level can be won under the game's own rules: a scripted
// player that looks one or two jumps ahead (in a copy of the game) jumps
// when the way is clear and waits otherwise, and reaches each goal. The
// belts are random, so several layouts of each level are played.
#include <gtest/gtest.h>

#include <sstream>

#include "game.h"
#include "support.h"

using namespace orbitdash;
using orbitdash_test::FixedRandom;
using orbitdash_test::press;

namespace {

constexpr int kSettle = 20;  // frames a landing spot must stay safe
constexpr int kStride = 3;   // frames between looks ahead while waiting

// Lands from a jump along `quarters`: true when it comes down standing
// without a life lost (or on the goal), and the spot is safe to wait on
// or the next jump ahead from it is.
bool clear(Game g, int quarters, int depth) {
    const int lives = g.lives;
    const float z0 = g.astronaut.pos.z;
    if (!g.jump(quarters)) return false;
    for (int i = 0; i < 120 && g.astronaut.jumping; ++i) g.tick();
    if (g.state() == kLevelDone || g.state() == kAllDone) return true;
    g.tick();
    if (g.lives != lives || !g.astronaut.standing) return false;
    if (quarters == 2 && g.astronaut.pos.z <= z0 + 0.5f) return false;  // ahead means ahead
    Game wait = g;
    bool safe = true;
    for (int i = 0; i < kSettle && safe; ++i) {
        wait.tick();
        safe = wait.lives == lives && wait.astronaut.standing;
    }
    if (safe) return true;
    if (depth == 0) return false;
    return clear(g, 2, depth - 1);
}

// Plays the current level; the frames it took, or -1 when it did not win.
int playLevel(Game& g, int maxFrames = 12000) {
    const int level = g.settings.level;
    int stuck = 0;
    for (int frame = 0; frame < maxFrames; ++frame) {
        if (g.state() == kLevelDone || g.state() == kAllDone) return g.settings.level == level ? frame : -1;
        if (g.state() != kPlaying) return -1;
        if (g.astronaut.standing && !g.astronaut.jumping && frame % kStride == 0) {
            // Ahead when the way is clear; when it stays shut, a side step
            // (towards the course's middle first), then a step back to try
            // another asteroid.
            const int inwards = g.astronaut.pos.x > 0 ? 1 : 3;
            int action = -1;
            if (clear(g, 2, 2)) action = 2;
            else if (stuck > 20 && clear(g, inwards, 1)) action = inwards;
            else if (stuck > 20 && clear(g, 4 - inwards, 1)) action = 4 - inwards;
            else if (stuck > 60 && clear(g, 0, 1)) action = 0;
            if (action >= 0) {
                g.jump(action);
                stuck = action == 2 ? 0 : stuck / 2;
            } else {
                ++stuck;
            }
        }
        g.tick();
    }
    std::printf("gave up at z %.2f after %d frames (stuck %d)\n", g.astronaut.pos.z, maxFrames, stuck);
    return -1;
}

}  // namespace

TEST(Levels, EveryLevelIsWinnableAndUsesEveryKind) {
    for (std::uint32_t seed : {1u, 9u, 13u, 77777u}) {
        FixedRandom random(seed);
        std::ostringstream log;
        Game g(random, log, ORBITDASH_LEVELS);
        press(g, SDLK_r);
        for (int level = 1; level <= 3; ++level) {
            ASSERT_EQ(g.settings.level, level);
            int floors = 0, belts = 0, ships = 0, bottles = 0;
            for (const auto& item : g.course.items) {
                floors += dynamic_cast<const Suelo*>(item.get()) != nullptr;
                ships += dynamic_cast<const GroupSpaceShip*>(item.get()) != nullptr;
                if (auto* b = dynamic_cast<const AsteroidBelt*>(item.get())) {
                    ++belts;
                    for (const Asteroid& a : b->asteroids) bottles += a.rider.has_value();
                }
            }
            EXPECT_GT(floors, 0) << "level " << level;
            EXPECT_GT(belts, 0) << "level " << level;
            EXPECT_GT(ships, 0) << "level " << level;
            EXPECT_GT(bottles, 0) << "level " << level;
            EXPECT_EQ(log.str(), "") << "level " << level;

            const int frames = playLevel(g);
            EXPECT_GE(frames, 0) << "level " << level << " seed " << seed << " not won; stopped at z "
                                 << g.astronaut.pos.z << " of " << g.goal.pos.z << ", lives " << g.lives;
            if (frames < 0) break;
            std::printf("seed %u level %d won in %d frames, %d lives left, %d points\n", seed, level, frames, g.lives,
                        g.points);
            press(g, SDLK_r);
        }
        EXPECT_EQ(g.state(), kPlaying);
        EXPECT_EQ(g.settings.level, 1) << "after the last level, level 1 again";
    }
}
