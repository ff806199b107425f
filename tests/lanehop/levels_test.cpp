// The six shipped levels: every tile kind is used, and every level can be
// won. A search over the grid finds a route that respects floors, walls,
// water, lily pads and bounce pads; the real chicken then walks it (traffic
// removed) under the game's own physics until it stands on the goal.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <queue>
#include <set>

#include "camera.h"
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

}  // namespace
