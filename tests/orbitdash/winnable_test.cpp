// Every committed level can be won under the game's own rules: a scripted
// player that looks one or two jumps ahead (in a copy of the game) jumps
// when the way is clear and waits otherwise, and reaches each goal. The
// belts are random, so several layouts of each level are played.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "game.h"
#include "level.h"
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

namespace {

// The belt at `index` of `course` with what lies beside it.
struct BeltAt {
    AsteroidBelt* belt;
    const LevelItem* before;
    const LevelItem* after;
};

std::vector<BeltAt> belts(Course& course) {
    std::vector<BeltAt> found;
    for (std::size_t i = 0; i < course.items.size(); ++i)
        if (auto* b = dynamic_cast<AsteroidBelt*>(course.items[i].get()))
            found.push_back({b, i > 0 ? course.items[i - 1].get() : nullptr,
                             i + 1 < course.items.size() ? course.items[i + 1].get() : nullptr});
    return found;
}

// What the four jumps from each asteroid do at one speed: the asteroid each
// lands on, or whether it comes down on the item before or after the belt
// at some moment of the belt's run of 100 units along +x.
struct Ways {
    std::vector<std::vector<int>> next;
    std::vector<bool> off, ahead;  // some jump ends on a floor / on the one ahead
};

Ways ways(const BeltAt& at, float speed) {
    const AsteroidBelt& b = *at.belt;
    const std::size_t n = b.asteroids.size();
    Ways w{std::vector<std::vector<int>>(n), std::vector<bool>(n), std::vector<bool>(n)};
    const float dirs[4][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
    for (std::size_t i = 0; i < n; ++i)
        for (const auto& d : dirs) {
            const int to = b.landing(int(i), d[0], d[1], speed);
            if (to >= 0) {
                w.next[i].push_back(to);
                continue;
            }
            const Asteroid& rock = b.asteroids[i];
            const float x = rock.x + 2 * d[0], z = b.worldZ(rock) + 2 * d[1];
            const bool front = at.after && at.after->carriesAcross(x, x + 100, z);
            if (front || (at.before && at.before->carriesAcross(x, x + 100, z))) w.off[i] = true;
            if (front) w.ahead[i] = true;
        }
    return w;
}

// Asteroids from which some run of jumps reaches a marked one.
std::vector<bool> leadTo(const Ways& w, std::vector<bool> marked) {
    for (bool grew = true; grew;) {
        grew = false;
        for (std::size_t i = 0; i < marked.size(); ++i)
            for (int to : w.next[i])
                if (!marked[i] && marked[std::size_t(to)]) marked[i] = grew = true;
    }
    return marked;
}

}  // namespace

TEST(Levels, EveryAsteroidTheGameCanCarryThePlayerOntoLeavesAWayOn) {
    // The belt's own reckoning of a jump agrees with the game's frames: from
    // asteroids of each belt of each level (and of a belt that races past a
    // jump), the four keys' jumps land where landing() says.
    for (int level = 1; level <= 4; ++level) {
        FixedRandom random(100u * std::uint32_t(level));
        std::ostringstream log;
        Game g(random, log, ORBITDASH_LEVELS);
        press(g, SDLK_r);
        if (level <= 3) {
            g.course = loadLevel(levelPath(level, ORBITDASH_LEVELS), random, log);
        } else {
            std::istringstream fast("f 2 0\na 200 270\nf 2 0\n");
            g.course = readLevel(fast, random).course;
        }
        for (std::size_t item = 0; item < g.course.items.size(); ++item) {
            auto* belt = dynamic_cast<AsteroidBelt*>(g.course.items[item].get());
            if (!belt) continue;
            for (std::size_t i = 0; i < belt->asteroids.size(); i += 7)
                for (int quarters = 0; quarters < 4; ++quarters) {
                    Game copy = g;
                    auto& b = static_cast<AsteroidBelt&>(*copy.course.items[item]);
                    b.offset = 0;  // no start over during the jump (26 frames of at most 3.7)
                    copy.astronaut.rideItem = int(item);
                    copy.astronaut.rideAsteroid = int(i);
                    copy.tick();
                    ASSERT_TRUE(copy.jump(quarters));
                    const float dx = copy.astronaut.dirX, dz = copy.astronaut.dirZ;
                    for (int f = 0; f < 60 && copy.astronaut.jumping; ++f) copy.tick();
                    const int landed = copy.astronaut.rideItem == int(item) ? copy.astronaut.rideAsteroid : -1;
                    EXPECT_EQ(landed, belt->landing(int(i), dx, dz, kNormal))
                        << "level " << level << " asteroid " << i << " quarters " << quarters;
                }
        }
    }

    // A thousand layouts of each level, at each speed: every asteroid that a
    // floor beside the belt can land the player on (from one to two units
    // short of it, as the belt passes), and every one a jump from there
    // lands on, leads to a floor; and some asteroid of the first row leads
    // to the floor ahead. (The floors' decorations are left out: they only
    // cost time here.)
    for (int level = 1; level <= 3; ++level) {
        std::ifstream file(levelPath(level, ORBITDASH_LEVELS));
        std::string text, line;
        while (std::getline(file, line)) {
            if (line.size() > 2 && line[0] == 'f') line.back() = '0';
            text += line + "\n";
        }
        int trapped = 0, shut = 0, taken = 0;
        for (std::uint32_t layout = 0; layout < 1000; ++layout) {
            FixedRandom random(layout * 1000u + 1u);
            std::istringstream in(text);
            LevelRead read = readLevel(in, random);
            ASSERT_EQ(read.badLine, 0);
            for (const BeltAt& at : belts(read.course)) {
                const auto& rocks = at.belt->asteroids;
                taken += int(rocks.size());
                float first = 1e9f, last = -1e9f;
                for (const Asteroid& a : rocks) {
                    first = std::min(first, a.z);
                    last = std::max(last, a.z);
                }
                std::vector<bool> entry(rocks.size()), firstRow(rocks.size());
                for (std::size_t i = 0; i < rocks.size(); ++i) {
                    const Asteroid& a = rocks[i];
                    firstRow[i] = a.z == first;
                    for (float back = 1; back <= 2; back += 0.25f) {
                        const float x0 = a.x - a.radius, x1 = a.x + a.radius + 100;
                        if ((a.z == first && at.before && at.before->carriesAcross(x0, x1, at.belt->worldZ(a) - back)) ||
                            (a.z == last && at.after && at.after->carriesAcross(x0, x1, at.belt->worldZ(a) + back)))
                            entry[i] = true;
                    }
                }
                for (float speed : {kSlow, kNormal, kFast}) {
                    const Ways w = ways(at, speed);
                    std::vector<bool> reached = entry;
                    for (bool grew = true; grew;) {
                        grew = false;
                        for (std::size_t i = 0; i < rocks.size(); ++i)
                            if (reached[i])
                                for (int to : w.next[i])
                                    if (!reached[std::size_t(to)]) reached[std::size_t(to)] = grew = true;
                    }
                    const std::vector<bool> escape = leadTo(w, w.off), forward = leadTo(w, w.ahead);
                    bool crossable = false;
                    for (std::size_t i = 0; i < rocks.size(); ++i) {
                        if (reached[i] && !escape[i] && ++trapped <= 3)
                            ADD_FAILURE() << "level " << level << " layout " << layout << " speed " << speed
                                          << ": no way on from the asteroid at x " << rocks[i].x << ", row z "
                                          << rocks[i].z;
                        crossable = crossable || (firstRow[i] && entry[i] && forward[i]);
                    }
                    if (!crossable && ++shut <= 3)
                        ADD_FAILURE() << "level " << level << " layout " << layout << " speed " << speed
                                      << ": the belt cannot be crossed";
                }
            }
        }
        EXPECT_EQ(trapped, 0) << "level " << level;
        EXPECT_EQ(shut, 0) << "level " << level;
        std::printf("level %d: %d asteroids kept over 1000 layouts\n", level, taken);
    }
}

TEST(Levels, AJumpAimedWithTheRingLandsWhereTheRingIs) {
    // From the floor before each belt and from asteroids of its first two
    // rows, wait until the ring of a jump ahead lies on an asteroid, jump,
    // and land on that asteroid.
    for (int level = 1; level <= 3; ++level) {
        int aimed = 0;
        for (std::uint32_t layout = 1; layout <= 3; ++layout) {
            FixedRandom random(layout * 77u);
            std::ostringstream log;
            Game g(random, log, ORBITDASH_LEVELS);
            press(g, SDLK_r);
            g.course = loadLevel(levelPath(level, ORBITDASH_LEVELS), random, log);
            g.goal.pos.z = 1000;
            for (std::size_t item = 0; item < g.course.items.size(); ++item) {
                auto* belt = dynamic_cast<AsteroidBelt*>(g.course.items[item].get());
                if (!belt) continue;
                // The rock nearest the ring's centre, if the ring is on one.
                auto under = [&](const Game& game, Vec3 p) {
                    const auto& b = static_cast<const AsteroidBelt&>(*game.course.items[item]);
                    int best = -1;
                    float nearest = 1e9f;
                    for (std::size_t k = 0; k < b.asteroids.size(); ++k) {
                        const Asteroid& r = b.asteroids[k];
                        const float dx = p.x - b.worldX(r), dz = p.z - b.worldZ(r);
                        const float d = dx * dx + dz * dz;
                        if (d < r.radius * r.radius && d < nearest) {
                            nearest = d;
                            best = int(k);
                        }
                    }
                    return best;
                };
                for (int from = 0; from < 3 * 6; ++from) {
                    Game t = g;
                    auto& b = static_cast<AsteroidBelt&>(*t.course.items[item]);
                    b.offset = float(from * 5);
                    const int row = from % 3;  // 0: the floor before, 1 and 2: riding rows 0 and 1
                    if (row == 0) {
                        t.astronaut.pos = {float(from % 5) - 2, 0, belt->z + 0.9f};
                    } else {
                        // A rock of that row near the course's middle.
                        for (std::size_t k = 0; k < b.asteroids.size(); ++k)
                            if (b.asteroids[k].z == AsteroidBelt::kRowGap * float(row - 1) &&
                                std::fabs(b.worldX(b.asteroids[k])) < 4) {
                                t.astronaut.rideItem = int(item);
                                t.astronaut.rideAsteroid = int(k);
                                break;
                            }
                        if (t.astronaut.rideItem < 0) continue;
                    }
                    t.tick();
                    ASSERT_TRUE(t.astronaut.standing) << "level " << level << " from " << from;
                    int target = -1;
                    for (int wait = 0; wait < 400 && target < 0; ++wait) {
                        const JumpMark m = t.jumpMark(2);
                        if (m.lands) target = under(t, m.at);
                        if (target < 0) t.tick();
                    }
                    if (target < 0) continue;
                    ++aimed;
                    ASSERT_TRUE(t.jump(2));
                    for (int f = 0; f < 60 && t.astronaut.jumping; ++f) t.tick();
                    EXPECT_EQ(t.astronaut.rideItem, int(item)) << "level " << level << " from " << from;
                    EXPECT_EQ(t.astronaut.rideAsteroid, target) << "level " << level << " from " << from;
                }
            }
        }
        EXPECT_GE(aimed, 30) << "level " << level;
    }
}

TEST(Levels, APlayerWhoJumpsBlindlyAheadLosesTheGame) {
    // Jumping ahead the moment it stands, never waiting for a gap, through
    // the whole game: it falls or is hit until GAME OVER, where the player
    // above, who waits, wins (belt asteroids close to level 1's floors and
    // its one slow ship let some blind runs through the first levels).
    int over = 0, falls = 0;
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        FixedRandom random(seed * 31u);
        std::ostringstream log;
        Game g(random, log, ORBITDASH_LEVELS);
        press(g, SDLK_r);
        for (int frame = 0; frame < 20000 && g.state() != kGameOver && g.state() != kAllDone; ++frame) {
            if (g.state() == kLevelDone) press(g, SDLK_r);
            if (g.astronaut.standing) g.jump(2);
            const int lives = g.lives;
            g.tick();
            falls += g.lives < lives;
        }
        over += g.state() == kGameOver;
    }
    std::printf("the blind player: GAME OVER in %d of 8 games, %d lives lost\n", over, falls);
    EXPECT_GE(over, 7);
}
