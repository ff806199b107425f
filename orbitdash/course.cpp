#include "course.h"

#include <cmath>
#include <random>

namespace orbitdash {

namespace {
constexpr float kLowest = -0.2f;  // a floor no longer catches an astronaut sunk below this
}

bool carry(Astronaut& a, float halfWidth, float zMin, float zMax) {
    if (a.jumping || a.pos.y < kLowest) return false;
    if (!(a.pos.x > -halfWidth && a.pos.x < halfWidth && a.pos.z > zMin && a.pos.z < zMax)) return false;
    a.pos.y = 0;
    a.standing = true;
    return true;
}

Suelo::Suelo(int panels, bool decorated, Random& random) : panels(panels), decorated(decorated) {
    if (!decorated || panels <= 0) return;
    for (int i = 0; i < kDecorations; ++i) {
        std::mt19937 gen(random.seed());
        std::uniform_int_distribution<int> u(1, 10 * panels), v(0, 4);
        const int du = u(gen), dv = v(gen);
        decorations.push_back({float(du - 5 * panels), 0.0f, float(dv - 2)});
    }
}

Touch Suelo::touch(Astronaut& a, int) {
    const float half = kPanelWidth / 2 * float(panels);
    carry(a, half, centre() - kBack, centre() + kFront);
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
    if (!ships.empty()) carry(a, kDeckHalfWidth, z - kDeckOverhang, z + depth() + kDeckOverhang);
    return result;
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
    item->z = next_;
    next_ += item->depth();
    items.push_back(std::move(item));
}

}  // namespace orbitdash
