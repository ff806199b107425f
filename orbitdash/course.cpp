#include "course.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace orbitdash {

float Astronaut::nextT(float t, float speed) {
    // A jump lasts while t < 2; sums of 0.08 land a hair either side of 2.
    constexpr float kEnd = 2.0f - 1e-4f;
    t += speed * kJumpStep;
    return t >= kEnd ? 2.0f : t;
}

bool Astronaut::stepJump(float speed) {
    t = nextT(t, speed);
    const float rise = kJumpPeak - kJumpPeak * (t - 1) * (t - 1);
    pos = {from.x + t * dirX, from.y + rise, from.z + t * dirZ};
    return t >= 2.0f;
}

bool holdUp(Astronaut& a) {
    // A floor no longer catches an astronaut sunk below -0.2.
    if (a.jumping || a.pos.y < -0.2f) return false;
    a.pos.y = 0;
    a.standing = true;
    return true;
}

bool carry(Astronaut& a, const LevelItem& floor) { return floor.carries(a.pos.x, a.pos.z) && holdUp(a); }

Suelo::Suelo(int panels, bool decorated, Random& random) : panels(panels), decorated(decorated) {
    if (!decorated || panels <= 0) return;
    for (int i = 0; i < kDecorations; ++i) {
        std::mt19937 gen(random.seed());
        std::uniform_int_distribution<int> u(1, 10 * panels), v(0, 4);
        const int du = u(gen), dv = v(gen);
        decorations.push_back({float(du - 5 * panels), 0.0f, float(dv - 2)});
    }
}

bool Suelo::carries(float x, float z) const {
    const float half = kPanelWidth / 2 * float(panels);
    return x > -half && x < half && z > centre() - kBack && z < centre() + kFront;
}

bool Suelo::carriesAcross(float x0, float x1, float zz) const {
    const float half = kPanelWidth / 2 * float(panels);
    return x1 > -half && x0 < half && carries(0, zz);
}

Touch Suelo::touch(Astronaut& a, int) {
    carry(a, *this);
    return {};
}

AsteroidBelt::AsteroidBelt(int width, int period, Random& random) : period(period) {
    std::mt19937 gen(random.seed());
    std::uniform_int_distribution<int> percent(1, 100);
    // Floor division, so that an odd width still gives `width` columns.
    const int first = width >= 0 ? -((width + 1) / 2) : 0;
    const int last = width / 2;
    for (int i = first; i < last; ++i)
        for (int j = 0; j < 3; ++j) {
            const int u1 = percent(gen), u2 = percent(gen);
            Asteroid a;
            a.x = 2.7f * float(i) + float(j) * (float(u1) / 100.0f + 0.5f);
            a.z = kRowGap * float(j);
            a.radius = float(u2) / 200.0f + kBaseRadius;
            a.column = i;
            if (random.rand() % 5 == 0) {
                // The bottle tumbles about an axis close to the vertical.
                a.rider.emplace(float(u1 % 21 - 10), float(u2 % 21 - 10));
            }
            asteroids.push_back(std::move(a));
        }
}

void AsteroidBelt::advance(const Settings& s) {
    if (s.frozen()) return;
    speed = s.speed;
    offset += (s.speed * 10.0f) * 100.0f / float(period);
    if (offset > 100.0f) offset = 0;
    for (Asteroid& a : asteroids)
        if (a.rider) a.rider->advance(s);
}

Touch AsteroidBelt::touch(Astronaut& a, int self) {
    Touch result;
    if (a.rideItem == self && !a.jumping) {
        // Riding: stand on top of the asteroid as the belt carries it.
        const Asteroid& rock = asteroids[std::size_t(a.rideAsteroid)];
        a.pos = {worldX(rock), kStandHeight, worldZ(rock)};
        a.standing = true;
        return result;
    }
    // A jump on its way down lands on the first asteroid it comes within
    // reach of (not the one it left).
    if (!a.jumping || a.t < 1.0f) return result;
    for (std::size_t i = 0; i < asteroids.size(); ++i) {
        if (a.rideItem == self && int(i) == a.rideAsteroid) continue;
        Asteroid& rock = asteroids[i];
        const float dx = a.pos.x - worldX(rock), dz = a.pos.z - worldZ(rock);
        if (dx * dx + dz * dz >= rock.radius * rock.radius) continue;
        a.jumping = false;
        a.t = 0;
        a.rideItem = self;
        a.rideAsteroid = int(i);
        a.pos = {worldX(rock), kStandHeight, worldZ(rock)};
        a.standing = true;
        if (rock.rider) {
            rock.rider.reset();
            result.points = 100;
        }
        return result;
    }
    return result;
}

int AsteroidBelt::landing(int from, float dirX, float dirZ, float speed) const {
    // The frames of the rules, in the belt's own frame: each frame the belt
    // moves on, then a jump on its way down lands on the first asteroid in
    // reach (not the one it left), then the jump goes on. Plain loops: this
    // runs for every asteroid of every belt a level builds.
    const Asteroid* rocks = asteroids.data();
    const int n = int(asteroids.size());
    const Asteroid& start = rocks[from];
    const float step = (speed * 10.0f) * 100.0f / float(period);
    // The asteroids lie in column order, each within 3 units right of 2.7
    // times its column, so those within reach of a stretch of x (radius at
    // most kBaseRadius + 0.5) are a run of the array.
    constexpr float kReach = kBaseRadius + 0.5f;
    auto firstFrom = [&](float x) {
        const int column = int(std::floor((x - kReach - 3.0f) / 2.7f));
        int lo = 0, hi = n;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (rocks[mid].column < column) lo = mid + 1;
            else hi = mid;
        }
        return lo;
    };
    // Those near the whole way down (one to two units out, less the belt's
    // motion meanwhile, frames counted generously), when they are few; a
    // belt that races past the jump is searched frame by frame instead.
    const float frames = 2.0f / (speed * Astronaut::kJumpStep);
    const float xLo = start.x + std::min(dirX, 2 * dirX) - step * (frames + 2);
    const float xHi = start.x + std::max(dirX, 2 * dirX) - step * (frames / 2 - 2);
    const float zLo = start.z + std::min(dirZ, 2 * dirZ) - kReach, zHi = start.z + std::max(dirZ, 2 * dirZ) + kReach;
    constexpr int kMost = 32;
    int near[kMost], count = 0;
    bool few = true;
    for (int i = firstFrom(xLo); i < n && 2.7f * float(rocks[i].column) < xHi + kReach; ++i) {
        const Asteroid& r = rocks[i];
        if (i == from || r.x <= xLo - kReach || r.x >= xHi + kReach || r.z <= zLo || r.z >= zHi) continue;
        if (count == kMost) {
            few = false;
            break;
        }
        near[count++] = i;
    }
    if (count == 0) return -1;

    float t = 0, moved = 0;
    for (;;) {
        moved += step;
        if (t >= 1.0f) {
            const float x = start.x + t * dirX - moved, z = start.z + t * dirZ;
            auto inReach = [&](int i) {
                const Asteroid& r = rocks[i];
                const float dx = x - r.x, dz = z - r.z;
                return i != from && dx * dx + dz * dz < r.radius * r.radius;
            };
            if (few) {
                for (int k = 0; k < count; ++k)
                    if (inReach(near[k])) return near[k];
            } else {
                for (int i = firstFrom(x); i < n && 2.7f * float(rocks[i].column) < x + kReach; ++i)
                    if (inReach(i)) return i;
            }
        }
        t = Astronaut::nextT(t, speed);
        if (t >= 2.0f) return -1;
    }
}

int AsteroidBelt::clearTraps(const LevelItem* before, const LevelItem* after) {
    // A scroll runs the belt 100 units along +x: each asteroid passes over
    // the x range [x, x + 100] of the course once per run.
    constexpr float kRun = 100.0f;
    const float dirs[4][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
    auto holds = [&](float x0, float z) {
        return (before && before->carriesAcross(x0, x0 + kRun, z)) || (after && after->carriesAcross(x0, x0 + kRun, z));
    };
    int removed = 0;
    for (;;) {
        const std::size_t n = asteroids.size();
        float first = 1e9f, last = -1e9f;
        for (const Asteroid& a : asteroids) {
            first = std::min(first, a.z);
            last = std::max(last, a.z);
        }
        // Where the items beside the belt can land the player: the nearest
        // row, from a take-off one to two units short of it.
        std::vector<char> entry(n, 0), offTo(n * 4, 0);
        for (std::size_t i = 0; i < n; ++i) {
            const Asteroid& a = asteroids[i];
            const float x0 = a.x - a.radius;
            for (float back : {1.0f, 1.5f, 2.0f})
                entry[i] = entry[i] || (a.z == first && before && before->carriesAcross(x0, x0 + 2 * a.radius + kRun, worldZ(a) - back)) ||
                           (a.z == last && after && after->carriesAcross(x0, x0 + 2 * a.radius + kRun, worldZ(a) + back));
            for (int d = 0; d < 4; ++d)
                offTo[i * 4 + std::size_t(d)] = holds(a.x + 2 * dirs[d][0], worldZ(a) + 2 * dirs[d][1]);
        }
        std::vector<char> trapped(n, 0);
        bool any = false;
        for (float speed : {kSlow, kNormal, kFast}) {
            std::vector<int> to(n * 4);  // where each of the four jumps lands, or -1
            std::vector<char> leads(n, 0);
            for (std::size_t i = 0; i < n; ++i)
                for (int d = 0; d < 4; ++d) {
                    const std::size_t k = i * 4 + std::size_t(d);
                    to[k] = landing(int(i), dirs[d][0], dirs[d][1], speed);
                    if (to[k] < 0 && offTo[k]) leads[i] = 1;
                }
            // Those that lead to a floor, and those the player can reach.
            for (bool grew = true; grew;) {
                grew = false;
                for (std::size_t k = 0; k < n * 4; ++k)
                    if (to[k] >= 0 && !leads[k / 4] && leads[std::size_t(to[k])]) leads[k / 4] = grew = true;
            }
            std::vector<char> reached = entry;
            std::vector<int> stack;
            for (std::size_t i = 0; i < n; ++i)
                if (reached[i]) stack.push_back(int(i));
            while (!stack.empty()) {
                const int i = stack.back();
                stack.pop_back();
                for (int d = 0; d < 4; ++d) {
                    const int l = to[std::size_t(i) * 4 + std::size_t(d)];
                    if (l >= 0 && !reached[std::size_t(l)]) {
                        reached[std::size_t(l)] = 1;
                        stack.push_back(l);
                    }
                }
            }
            for (std::size_t i = 0; i < n; ++i)
                if (reached[i] && !leads[i]) trapped[i] = any = true;
        }
        if (!any) return removed;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < n; ++i)
            if (!trapped[i]) asteroids[kept++] = std::move(asteroids[i]);
        removed += int(n - kept);
        asteroids.erase(asteroids.begin() + std::ptrdiff_t(kept), asteroids.end());
    }
}

GroupSpaceShip::GroupSpaceShip(int count, int pattern) {
    for (int k = 0; k < count; ++k) {
        Ship ship;
        ship.step = k == 0 ? 0.02f : k == 1 ? 0.07f : 0.1f;
        switch (pattern) {
            case 2: ship.direction = -1; break;
            case 3: ship.direction = k % 2 == 0 ? 1 : -1; break;
            case 4: ship.direction = k % 2 == 0 ? -1 : 1; break;
            default: ship.direction = 1; break;
        }
        ships.push_back(ship);
    }
}

void GroupSpaceShip::advance(const Settings& s) {
    if (s.frozen()) return;
    for (Ship& ship : ships) {
        ship.x += float(ship.direction) * (s.speed * 10.0f) * ship.step;
        if (ship.x > kBound) ship.x = -kBound;
        else if (ship.x < -kBound) ship.x = kBound;
    }
}

bool GroupSpaceShip::hits(const Astronaut& a, int k) const {
    // The ships live in a half-scale frame: the astronaut's position, doubled.
    const float across = std::fabs(2.0f * a.pos.z - 2.0f * laneCentre(k));
    const float along = std::fabs(2.0f * a.pos.x - ships[std::size_t(k)].x);
    return across < 2.5f && along < 1.0f;
}

Touch GroupSpaceShip::touch(Astronaut& a, int) {
    Touch result;
    for (int k = 0; k < int(ships.size()); ++k)
        if (hits(a, k)) {
            result.hit = true;
            return result;
        }
    // The deck the ships cross carries the astronaut like a floor.
    carry(a, *this);
    return result;
}

bool GroupSpaceShip::carriesAcross(float x0, float x1, float zz) const {
    return x1 > -kDeckHalfWidth && x0 < kDeckHalfWidth && carries(0, zz);
}

bool GroupSpaceShip::carries(float x, float zz) const {
    return !ships.empty() && x > -kDeckHalfWidth && x < kDeckHalfWidth && zz > z - kDeckOverhang &&
           zz < z + depth() + kDeckOverhang;
}

Course::Course(const Course& other) : next_(other.next_) {
    for (const auto& item : other.items) items.push_back(item->clone());
}

Course& Course::operator=(const Course& other) {
    if (this != &other) {
        Course copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void Course::add(std::unique_ptr<LevelItem> item) {
    // The start platform lies before the first item, the goal after the last.
    item->topBefore = items.empty() || items.back()->hasTop();
    if (!items.empty()) items.back()->topAfter = item->hasTop();
    item->topAfter = true;
    item->z = next_;
    next_ += item->depth();
    items.push_back(std::move(item));
}

}  // namespace orbitdash
