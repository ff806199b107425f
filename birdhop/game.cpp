#include "game.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace birdhop {

namespace {
constexpr double kHopSeconds = 0.5;
constexpr double kHopStep = 4.0;    // units per second along the hop
constexpr double kHopRise = 1.5;    // upward speed at take-off
constexpr double kGravity = -6.0;
constexpr double kFieldEdge = 7.7;  // the bird stays within x -8 .. +8
constexpr int kForestChance = 10;   // out of 30
}  // namespace

BirdGame::BirdGame(const WorldAssets& a, std::uint32_t seed, std::ostream& o) : assets(a), random(seed), out(o) {
    bird.model = assets.bird;
    for (int i = 0; i < kFirstRows; ++i) rows.push_back(makeRow(i, true));
    deathBurst = std::make_unique<ParticleBurst>(Vec3d{}, kBurstCubes, random);
}

Street* BirdGame::row(int i) const {
    if (i < 0 || std::size_t(i) >= rows.size()) return nullptr;
    return rows[std::size_t(i)].get();
}

std::unique_ptr<Street> BirdGame::makeRow(int i, bool initial) {
    const int r = random.next() % 30;
    const bool even = i % 2 == 0;
    if (i < 3) return std::make_unique<Forest>(i, assets.tree, even, assets.grassTexture, 0, random);
    if (r < kForestChance) return std::make_unique<Forest>(i, assets.tree, even, assets.grassTexture, 4, random);
    auto road = std::make_unique<AutoGenerator>(i, even, 5, 10, 5, assets.car, assets.roadTexture, random);
    if (!initial) {
        road->intervalHigh = nextHigh;
        road->intervalLow = nextLow;
        road->carSpeed = nextSpeed;
    }
    return road;
}

void BirdGame::generateRows() {
    const int n = int(rows.size());
    if (n >= p + kAhead) return;
    if (n < 3) {
        for (int i = n; i < n + 3; ++i)
            rows.push_back(std::make_unique<Forest>(i, assets.tree, i % 2 == 0, assets.grassTexture, 0, random));
    } else {
        rows.push_back(makeRow(n, false));
    }
}

void BirdGame::checkDanceWords() {
    if (treeCode == 4) {
        out << "Baila tree" << std::endl;
        treeCode = 0;
    }
    if (cartCode == 4) {
        out << "Baila cart" << std::endl;
        cartCode = 0;
    }
    if (birdCode == 4) {
        bird.danceStep = 1;
        out << "Baila cuak" << std::endl;
        birdCode = 0;
    }
}

void BirdGame::update(double ms) {
    if (paused) ms = 0;
    generateRows();
    playMs += ms;
    hitThisFrame = false;
    const double dt = ms * flags.speed / 1000.0;
    const int steps = std::max(1, int(std::ceil(dt / kMaxStep - 1e-9)));
    for (int i = 0; i < steps; ++i) step(dt / steps);
}

void BirdGame::step(double dt) {
    const GroundBox box = bird.groundBox();
    if (deathBurst) deathBurst->update(dt);
    bool hit = false;
    for (int i = firstActiveRow(); i <= lastActiveRow(); ++i) {
        Street* s = row(i);
        if (!s) continue;
        s->update(dt);
    }
    if (alive)
        for (int i = p - 1; i <= p + 1 && !hit; ++i) {
            const Street* s = row(i);
            if (s && !s->isForest()) hit = s->hitsBox(box);
        }
    if (hit) squash();
    bird.update(dt);
    fireworks.update(bird, dt, random);
    if (score == target) levelUp();
}

void BirdGame::squash() {
    deathBurst->moveTo(bird.position);
    deathBurst->active = true;
    dead = true;
    alive = false;
    hitThisFrame = true;
    // Flattened to about 2.41 x 0.25 x 1.94 in an eighth of a second.
    bird.grow.set({15, -8, 10}, {-60, 32, -40}, 0.125);
}

void BirdGame::resetBird() {
    bird.clearMotions();
    bird.position = {};
    bird.scale = {1, 1, 1};
    score = 0;
    dead = false;
    alive = true;
    p = 0;
    deathBurst = std::make_unique<ParticleBurst>(Vec3d{}, kBurstCubes, random);
}

void BirdGame::levelUp() {
    rowsCleared += target;
    resetBird();
    bird.rotation = {};
    bird.danceStep = 1;
    // Roads made from now on wait 4 to 8 s between cars, and go faster.
    nextHigh = 0;
    nextLow = nextHigh + 4;
    nextSpeed += 2.5;
    rows.clear();
    target += 5;
    ++levelUps;
}

void BirdGame::restart() {
    out << "\x1b[2J\x1b[H" << "Tu score es: " << score << std::endl;
    resetBird();
}

bool BirdGame::hop(Key k) {
    // While paused nothing moves the bird: a hop taken then would score a
    // row the bird has not reached yet.
    if (dead || paused || bird.danceStep != 0 || bird.move.running()) return false;
    const Vec3d at = bird.position;
    Vec3d to = at, v;
    const Street* checked = nullptr;
    double yaw = 0;
    switch (k) {
        case Key::Up:
            if (rows.empty()) return false;
            to.z += kRowDepth;
            checked = row(p + 1);
            if (!checked) return false;  // the row ahead is not built yet
            v = {0, kHopRise, kHopStep};
            yaw = 0;
            break;
        case Key::Down:
            if (p <= 0) return false;
            to.z -= kRowDepth;
            checked = row(p - 1);
            v = {0, kHopRise, -kHopStep};
            yaw = 180;
            break;
        case Key::Left:
            if (!(at.x < kFieldEdge)) return false;
            to.x += kRowDepth;
            checked = row(p);
            v = {kHopStep, kHopRise, 0};
            yaw = 90;
            break;
        case Key::Right:
            if (!(at.x > -kFieldEdge)) return false;
            to.x -= kRowDepth;
            checked = row(p);
            v = {-kHopStep, kHopRise, 0};
            yaw = 270;
            break;
        default: return false;
    }
    if (checked && checked->blocksPoint(to.x, to.z)) return false;
    bird.move.set(v, {0, kGravity, 0}, kHopSeconds);
    bird.rotation = {0, yaw, 0};
    if (k == Key::Up) {
        ++p;
        score = std::max(score, p);
    } else if (k == Key::Down) {
        --p;
    }
    return true;
}

void BirdGame::newLightDirection() {
    lightDirection.x = (random.next() % 200) / 100.0 - 1;
    lightDirection.y = (random.next() % 200) / 100.0 - 1;
    lightDirection.z = (random.next() % 200) / 100.0 - 1;
}

void BirdGame::keyDown(Key k) {
    switch (k) {
        case Key::Up: case Key::Down: case Key::Left: case Key::Right: hop(k); break;
        case Key::Space: restart(); break;
        case Key::D: newLightDirection(); break;
        default: break;
    }
}

void BirdGame::keyUp(Key k) {
    switch (k) {
        case Key::T:
            if (treeCode == 0) treeCode = 1;
            if (cartCode == 3) cartCode = 4;
            birdCode = 0;
            break;
        case Key::R:
            if (treeCode == 1) treeCode = 2;
            if (cartCode == 2) cartCode = 3;
            birdCode = 0;
            break;
        case Key::E:
            if (treeCode == 3) {
                treeCode = 4;
                cartCode = 0;
            } else {
                cartCode = 0;
                if (treeCode == 2) treeCode = 3;
            }
            birdCode = 0;
            break;
        case Key::C:
            treeCode = 0;
            if (cartCode == 0) cartCode = 1;
            if (birdCode == 0) birdCode = 1;
            break;
        case Key::A:
            treeCode = 0;
            if (cartCode == 1) cartCode = 2;
            if (birdCode == 2) birdCode = 3;
            break;
        case Key::U:
            cartCode = 0;
            treeCode = 0;
            if (birdCode == 1) birdCode = 2;
            break;
        case Key::K:
            cartCode = 0;
            treeCode = 0;
            if (birdCode == 3) birdCode = 4;
            break;
        default: break;
    }
}

}  // namespace birdhop
