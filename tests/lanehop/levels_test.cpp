// The six shipped levels: every tile kind is used, and every level can be
// won. A search over the grid finds a route that respects floors, walls,
// water, lily pads and bounce pads; the real chicken then walks it under the
// game's own physics until it stands on the goal: without traffic, and with
// it, waiting for a gap before each road (a chicken that does not wait is
// run over).
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <map>
#include <queue>
#include <set>

#include "camera.h"
#include "car.h"
#include "lanehop_fixture.h"

using namespace lanehop;
using lanehop_test::WorldTest;

namespace {

struct Cell {
    int row, col;
    bool operator<(const Cell& o) const { return row != o.row ? row < o.row : col < o.col; }
    bool operator==(const Cell& o) const { return row == o.row && col == o.col; }
};

// Tiles the chicken can stand in the middle of at ground level. Trees are
// avoided (their trunk fills the middle), raised hedges are walls, and open
// water drowns it.
bool standable(char t) { return t && t != '3' && t != '6' && t != '1' && t != 'T' && t != 't'; }
bool goal(char t) { return t == 'b' || t == 'w'; }

std::vector<Cell> findRoute(const World& w, Cell start) {
    std::map<Cell, Cell> from;
    std::queue<Cell> open;
    open.push(start);
    from[start] = start;
    while (!open.empty()) {
        const Cell c = open.front();
        open.pop();
        if (goal(w.tileAt(c.row, c.col))) {
            std::vector<Cell> route{c};
            for (Cell p = c; !(p == start); p = from[p]) route.insert(route.begin(), from[p]);
            return route;
        }
        std::vector<Cell> next;
        const int dr[4] = {1, -1, 0, 0}, dc[4] = {0, 0, 1, -1};
        for (int k = 0; k < 4; ++k) {
            next.push_back({c.row + dr[k], c.col + dc[k]});
            // A bounce pad throws the chicken up to four tiles on, over
            // water and hedges but not through a tree.
            if (w.tileAt(c.row, c.col) == '5')
                for (int d = 2; d <= 4; ++d) {
                    const Cell far{c.row + dr[k] * d, c.col + dc[k] * d};
                    bool clear = true;
                    for (int s = 1; s < d; ++s) {
                        const char t = w.tileAt(c.row + dr[k] * s, c.col + dc[k] * s);
                        clear = clear && t != '1' && t != 'T' && t != 't' && t != 0;
                    }
                    if (clear) next.push_back(far);
                }
        }
        for (const Cell& n : next)
            if (standable(w.tileAt(n.row, n.col)) && !from.count(n)) {
                from[n] = c;
                open.push(n);
            }
    }
    return {};
}

class Levels : public WorldTest {};

TEST_F(Levels, TogetherTheyUseEveryTileKind) {
    std::set<char> used;
    for (int level = 1; level <= 6; ++level) {
        if (level > 1) world->nextLevel();
        ASSERT_EQ(world->getCurrentLevel(), level);
        for (const auto& row : world->getTiles()) {
            EXPECT_EQ(row.size(), world->getTiles()[0].size()) << "level " << level << " is not rectangular";
            used.insert(row.begin(), row.end());
        }
    }
    for (char t : std::string("01Tt2lr3456bw")) EXPECT_TRUE(used.count(t)) << "tile " << t << " unused";
}

// The translucent water surface covers the rows that begin with water: a row
// with water elsewhere would show an open pit without a surface.
TEST_F(Levels, WaterLiesOnlyInRowsThatBeginWithWater) {
    for (int level = 1; level <= 6; ++level) {
        if (level > 1) world->nextLevel();
        const auto& tiles = world->getTiles();
        for (std::size_t i = 0; i < tiles.size(); ++i) {
            const bool waterRow = tiles[i][0] == '3' || tiles[i][0] == '4';
            for (char t : tiles[i]) {
                if (t == '3' || t == '4') {
                    EXPECT_TRUE(waterRow) << "level " << level << " row " << i << " has water but begins with " << tiles[i][0];
                }
            }
        }
    }
}

TEST_F(Levels, EveryLevelCanBeWalkedToItsGoal) {
    for (int level = 1; level <= 6; ++level) {
        if (level > 1) world->nextLevel();
        removeTraffic();
        std::memset(keys, 0, sizeof keys);
        player()->setKeyboard(keys);
        const Cell start{1, int(world->getLevelSizeX() / 2)};
        const std::vector<Cell> route = findRoute(*world, start);
        ASSERT_FALSE(route.empty()) << "level " << level << ": no route to the goal";

        // Walk it: aim at each tile's centre, let go when there.
        std::size_t next = 0;
        int ticks = 0;
        while (player()->getState() == ALIVE && ticks < 60 * 120) {
            const Vector3 p = player()->getPosition();
            const Cell c = route[std::min(next, route.size() - 1)];
            const float tx = float(c.col) + 0.5f, tz = 0.5f - float(c.row);
            std::memset(keys, 0, sizeof keys);
            const float eps = 0.06f;
            if (std::fabs(tx - p.x) <= eps && std::fabs(tz - p.z) <= eps) {
                // Wait for the ground (or the pad's bounce) before the next leg.
                const bool grounded = p.y == player()->getFloorY();
                const bool bounced = world->tileAt(c.row, c.col) == '5' && player()->velocity.y > 4.9f;
                if ((grounded || bounced) && next < route.size()) ++next;
            } else {
                if (tx - p.x > eps) keys[SDL_SCANCODE_RIGHT] = 1;
                if (tx - p.x < -eps) keys[SDL_SCANCODE_LEFT] = 1;
                if (tz - p.z < -eps) keys[SDL_SCANCODE_UP] = 1;
                if (tz - p.z > eps) keys[SDL_SCANCODE_DOWN] = 1;
            }
            world->tickBase(1.f / 60);
            ++ticks;
        }
        EXPECT_EQ(player()->getState(), WINNING)
            << "level " << level << ": stopped at " << player()->getPosition().x << ", " << player()->getPosition().z
            << " leg " << next << " of " << route.size();
    }
}

// The traffic a watchful player sees: the cars on each road row, and the
// rhythm of each row's stream (a car comes out of its spawner every
// interval, counted from the level's start and from each car seen to come).
class Traffic {
public:
    explicit Traffic(const World& w) : world(w) {
        for (hop::Object* o : w.getObjects())
            if (o->getId() == "CarSpawn") spawners[rowOf(o)] = static_cast<CarSpawn*>(o);
    }
    static int rowOf(const hop::Object* o) { return int(std::lround(0.5f - o->getPosition().z)); }
    bool busy(int row) const { return spawners.count(row) > 0; }
    // After each step: cars that were not there before have just come out.
    void watch(float now) {
        for (hop::Object* o : world.getObjects())
            if (o->getId() == "car" && seen.insert(o).second) lastSpawn[rowOf(o)] = now;
    }
    // Whether a car, there now or still to come out, will be within `reach`
    // of x during [from, to] seconds from `now` on `row`.
    bool near(int row, float x, float now, float from, float to, float reach) const {
        const auto overlaps = [&](float x0, float v, float t0, float t1) {
            if (t1 < t0) return false;
            const float a = x0 + v * t0, b = x0 + v * t1;
            return std::max(a, b) > x - reach && std::min(a, b) < x + reach;
        };
        for (hop::Object* o : world.getObjects())
            if (o->getId() == "car" && rowOf(o) == row && overlaps(o->getPosition().x, o->velocity.x, from, to))
                return true;
        const CarSpawn* s = spawners.at(row);
        const auto last = lastSpawn.find(row);
        const float period = s->getCarSpawnTime() + 1.f / 60;
        for (float born = (last == lastSpawn.end() ? 0.f : last->second) + period - now; born < to; born += period)
            if (overlaps(s->getPosition().x - s->getInitialXVelocity() * born, s->getInitialXVelocity(),
                         std::max(from, born), to))
                return true;
        return false;
    }

private:
    const World& world;
    std::map<int, const CarSpawn*> spawners;
    std::map<int, float> lastSpawn;
    std::set<const hop::Object*> seen;
};

// Walks `route` with the game's own steps. Roads are crossed in one go, a
// run of road rows at a time; a watchful chicken first waits at the row
// before until no car will be near while it crosses. Returns the state it
// ends in (ALIVE when it ran out of time).
PlayerState walkRoute(World& world, Uint8* keys, const std::vector<Cell>& route, bool watchful, float startDelay) {
    hop::MainLoop* ml = hop::MainLoop::getInstance();
    constexpr float dt = 1.f / 60;
    Traffic traffic(world);
    float now = 0;
    const auto step = [&] {
        world.getPlayer()->setKeyboard(keys);
        ml->update(dt);
        now += dt;
        traffic.watch(now);
    };
    std::memset(keys, 0, SDL_NUM_SCANCODES);
    while (now < startDelay) step();
    std::size_t at = 0;  // the route's cell being walked to
    bool crossing = false;
    while (world.getPlayer()->getState() == ALIVE && now < 120) {
        Player* player = world.getPlayer();
        const Vector3 p = player->getPosition();
        const Cell c = route[at];
        const float tx = float(c.col) + 0.5f, tz = 0.5f - float(c.row);
        std::memset(keys, 0, SDL_NUM_SCANCODES);
        constexpr float eps = 0.06f;
        if (std::fabs(tx - p.x) <= eps && std::fabs(tz - p.z) <= eps) {
            const bool grounded = p.y == player->getFloorY();
            const bool bounced = world.tileAt(c.row, c.col) == '5' && player->velocity.y > 4.9f;
            crossing = false;
            if ((grounded || bounced) && at + 1 < route.size()) {
                std::size_t end = at + 1;
                while (end < route.size() && traffic.busy(route[end].row)) ++end;
                bool go = true;
                if (end > at + 1 && watchful) {
                    // Road k rows on is crossed between these times (5 units a second),
                    // with a margin for the chicken's own stops and starts.
                    for (std::size_t k = at + 1; k < end && go; ++k) {
                        const float d = float(k - at);
                        go = !traffic.near(route[k].row, tx, now, (d - 0.7f) / 5 - 0.05f, (d + 0.7f) / 5 + 0.1f,
                                           0.875f + 0.4f);
                    }
                }
                if (go) {
                    crossing = end > at + 1;
                    at = crossing ? std::min(end, route.size() - 1) : at + 1;
                }
            }
        } else {
            if (tx - p.x > eps) keys[SDL_SCANCODE_RIGHT] = 1;
            if (tx - p.x < -eps) keys[SDL_SCANCODE_LEFT] = 1;
            if (tz - p.z < -eps) keys[SDL_SCANCODE_UP] = 1;
            if (tz - p.z > eps) keys[SDL_SCANCODE_DOWN] = 1;
        }
        step();
    }
    return world.getPlayer()->getState();
}

TEST_F(Levels, AWatchfulChickenCrossesEveryLevelAndABlindOneIsRunOver) {
    const float delays[] = {0.f, 0.45f, 0.8f, 1.1f, 1.75f, 2.2f, 2.6f, 3.3f, 3.9f, 4.4f};
    for (int level = 1; level <= 6; ++level) {
        if (level > 1) world->nextLevel();
        const Cell start{1, int(world->getLevelSizeX() / 2)};
        const std::vector<Cell> route = findRoute(*world, start);
        ASSERT_FALSE(route.empty()) << "level " << level;
        int roads = 0, blindDeaths = 0;
        for (float delay : delays) {
            world->bootupLevel();
            roads = 0;
            for (const Cell& c : route) roads += Traffic(*world).busy(c.row);
            const PlayerState watchful = walkRoute(*world, keys, route, true, delay);
            EXPECT_EQ(watchful, WINNING) << "level " << level << ", " << delay << " s late: the watchful chicken "
                                         << (watchful == FLAT ? "was run over" : "did not arrive");
            world->bootupLevel();
            const PlayerState blind = walkRoute(*world, keys, route, false, delay);
            blindDeaths += blind == FLAT;
        }
        if (roads > 0) {
            EXPECT_GE(blindDeaths, int(std::size(delays)) * 3 / 10) << "level " << level << ": the blind chicken was run over " << blindDeaths << " times in "
                                   << std::size(delays);
        }
    }
}

}  // namespace
