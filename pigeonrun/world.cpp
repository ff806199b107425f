#include "world.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pigeonrun {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kGravity = 4.9;
constexpr double kTile = 12;
constexpr double kBlock = 36;  // three tiles: a tile leaving one side enters the other
constexpr double kGrassY = -0.2, kRoadY = -0.1;
// Roads across the first row (under car 1's lane, z 9.5) and the last row
// (car 2's lane, z -15), as z ranges.
constexpr double kRoadFirst[2] = {6.5, 12.5};
constexpr double kRoadLast[2] = {-18, -12};

GroundQuad quad(double x0, double x1, double z0, double z1, double y) {
    // Corner 0 has the smallest x and the largest z; the rest go round.
    return GroundQuad{{{{x0, y, z1}, {x1, y, z1}, {x1, y, z0}, {x0, y, z0}}}};
}

}  // namespace

double turnDelta(int from, int to) {
    // Rows: from forward, left, back, right; columns: to the same.
    static const double kDelta[4][4] = {
        {0, -90, 180, 90},
        {90, 0, -90, 180},
        {-180, 90, 0, -90},
        {-90, -180, 90, 0},
    };
    if (from < 0 || from > 3 || to < 0 || to > 3) return 0;
    return kDelta[from][to];
}

double hopDistance(double dtMs, float speedFactor, float jumpSpeed) {
    // Pass k of a hop (hopTime k * dtMs / 200) moves the world
    // speedFactor * jumpSpeed * hopTime / 10 while the height stays above 0,
    // that is while hopTime < jumpSpeed / 4.9.
    if (dtMs <= 0 || jumpSpeed <= 0) return 0;
    const double step = dtMs / 200, end = jumpSpeed / kGravity;
    const double passes = std::ceil(end / step) - 1;
    return speedFactor * jumpSpeed * step / 10 * passes * (passes + 1) / 2;
}

void Car::fitBox() {
    if (model.positions.empty()) return;
    minX = maxX = model.positions[0][0];
    minZ = maxZ = model.positions[0][2];
    for (const auto& p : model.positions) {
        minX = std::min(minX, p[0]);
        maxX = std::max(maxX, p[0]);
        minZ = std::min(minZ, p[2]);
        maxZ = std::max(maxZ, p[2]);
    }
    width = maxX - minX;
    depth = maxZ - minZ;
}

World::World(std::function<int()> random) : random_(std::move(random)) {
    pigeon.width = 2;
    pigeon.depth = 3.6f;
    for (Car* c : {&car1, &car2}) {
        c->width = c->maxX - c->minX;
        c->depth = c->maxZ - c->minZ;
    }
    car1.start = car1.position = {9.5f, 0, -20};
    car2.start = car2.position = {15, 0, -20};
    car1.drawZ = car2.drawZ = -20;
    coin.width = coin.depth = 1.5f;
    buildGround();
}

int World::random() { return random_ ? random_() : std::rand(); }

void World::buildGround() {
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            const double z1 = 18 - row * kTile, x0 = -18 + col * kTile;
            ground.tiles[std::size_t(row * 3 + col)] = quad(x0, x0 + kTile, z1 - kTile, z1, kGrassY);
        }
    for (int col = 0; col < 3; ++col) {
        const double x0 = -18 + col * kTile;
        ground.roads[std::size_t(col)] = quad(x0, x0 + kTile, kRoadFirst[0], kRoadFirst[1], kRoadY);
        ground.roads[std::size_t(col + 3)] = quad(x0, x0 + kTile, kRoadLast[0], kRoadLast[1], kRoadY);
    }
}

void World::reset() {
    buildGround();
    car1.position = car1.start;
    car2.position = car2.start;
    car1.drawZ = car1.start.z;
    car2.drawZ = car2.start.z;
    carTimer1 = carTimer2 = 0;
    worldOffsetX = worldOffsetZ = 0;
    // A hop cut short by the end of the last game must not carry on into this one.
    hopTime = hopHeight = 0;
    pigeon.hopping = false;
    pigeon.angle = 0;
    pigeon.facing = FacingForward;
    hopIsFree = false;
    hopTargetX = hopTargetZ = hopLength_ = 0;
    heading = 0;
    turning = 0;
    status.score = status.coins = 0;
    placeCoinAfterPickup();
}

bool World::hopFixed(int facing) {
    if (pigeon.hopping || facing < FacingForward || facing > FacingRight) return false;
    pigeon.angle += turnDelta(pigeon.facing, facing);
    pigeon.facing = facing;
    pigeon.hopping = true;
    hopIsFree = false;
    // The row of the grid nearest to a whole hop that way (a free-view hop
    // may have left the pigeon between rows).
    static const double kStep[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};  // offset change, x and z
    auto grid = [](double v) { return std::round(v / kHopGrid) * kHopGrid; };
    hopTargetX = grid(worldOffsetX + kStep[facing][0] * kHopGrid);
    hopTargetZ = grid(worldOffsetZ + kStep[facing][1] * kHopGrid);
    if (kStep[facing][0] == 0) hopTargetX = worldOffsetX;
    if (kStep[facing][1] == 0) hopTargetZ = worldOffsetZ;
    hopLength_ = std::hypot(hopTargetX - worldOffsetX, hopTargetZ - worldOffsetZ);
    if (facing == FacingForward) ++status.score;
    return true;
}

bool World::hopFree() {
    turning = 0;
    if (pigeon.hopping) return false;
    pigeon.hopping = true;
    hopIsFree = true;
    const int degrees = std::abs(int(heading) % 360);
    if (degrees <= 45 || degrees >= 315) {
        ++status.score;
        return true;
    }
    return false;
}

void World::step(double dtMs) {
    if (status.state != StatePlaying) return;
    stepHop(dtMs);
    stepTurning(dtMs);
    stepCars(dtMs);
    if (carHits(car1) || carHits(car2)) status.state = StateGameOver;
    scrollGround();
    stepCoin();
}

void World::stepHop(double dtMs) {
    if (!pigeon.hopping) return;
    hopTime += dtMs / 200;
    hopHeight = hopTime * pigeon.jumpSpeed - kGravity * hopTime * hopTime;
    pigeon.hopping = hopHeight > 0;
    if (!pigeon.hopping) {
        hopTime = hopHeight = 0;
        // A fixed-view hop ends exactly on its row of the grid.
        if (!hopIsFree) shiftWorld(hopTargetX - worldOffsetX, hopTargetZ - worldOffsetZ);
        return;
    }
    if (hopIsFree) {
        // One unit per pass along the heading, whatever the pass lasts. The
        // pigeon moves along its nose, (-sin h, cos h) in x and z; car 1's
        // frame has its road along -x, car 2's along +x.
        const double h = heading * kPi / 180;
        const float s = float(std::sin(h)), c = float(std::cos(h));
        shiftWorld(s, -c);
        car1.position.z -= s;
        car2.position.z += s;
        return;
    }
    // The hop's own shape (slow off the ground, fast at the end), stretched
    // so that a whole hop reaches the target; never past it.
    const double dx = hopTargetX - worldOffsetX, dz = hopTargetZ - worldOffsetZ;
    const double left = std::hypot(dx, dz), full = hopDistance(dtMs, speedFactor, pigeon.jumpSpeed);
    if (left <= 0 || full <= 0) return;
    const double d = std::min(speedFactor * pigeon.jumpSpeed * hopTime / 10 * hopLength_ / full, left);
    shiftWorld(dx / left * d, dz / left * d);
}

void World::shiftWorld(double dx, double dz) {
    worldOffsetX += dx;
    worldOffsetZ += dz;
    // Car 1's lane is its frame's x, along the world's z; car 2's frame is
    // turned the other way.
    car1.position.x += float(dz);
    car2.position.x -= float(dz);
}

void World::stepTurning(double dtMs) {
    if (fixedView || turning == 0) return;
    heading += turning * speedFactor * dtMs * 360 / 5000;
    heading = std::fmod(heading, 360.0);
}

void World::stepCars(double dtMs) {
    const float step = float(dtMs * 0.1 * 0.1);
    for (auto [car, timer] : {std::pair{&car1, &carTimer1}, std::pair{&car2, &carTimer2}}) {
        if (*timer < kCarTimerEnd) {
            car->position.z += step;
            car->drawZ = *timer + car->position.z;
            *timer += kCarTimerStep;
        } else {
            *timer = 0;
            car->position.z = car->start.z;
            car->drawZ = car->position.z;
        }
    }
}

bool World::carHits(const Car& car) const {
    // The car is drawn at (x, drawZ) of its frame, whose origin is the
    // pigeon's feet: a hit is the pigeon inside the model's footprint.
    return car.position.x + car.minX <= 0 && 0 <= car.position.x + car.maxX && car.drawZ + car.minZ <= 0 &&
           0 <= car.drawZ + car.maxZ;
}

void World::moveTile(int tile, double dx, double dz) {
    auto shift = [&](GroundQuad& q) {
        for (auto& c : q.corners) {
            c[0] += dx;
            c[2] += dz;
        }
    };
    shift(ground.tiles[std::size_t(tile)]);
    for (int r = 0; r < 6; ++r)
        if (Ground::roadTile(r) == tile) shift(ground.roads[std::size_t(r)]);
    // Each car keeps to the road of its row: car 1's lane runs along +z of
    // the world, car 2's along -z.
    if (tile == 0) car1.position.x += float(dz);
    if (tile == 6) car2.position.x -= float(dz);
}

void World::scrollGround() {
    for (int i = 0; i < 9; ++i) {
        const auto& c = ground.tiles[std::size_t(i)].corners[0];
        const double x = c[0] + worldOffsetX, z = c[2] + worldOffsetZ;
        if (z < -kTile)
            moveTile(i, 0, kBlock);
        else if (x < -30)
            moveTile(i, kBlock, 0);
        else if (x > kTile)
            moveTile(i, -kBlock, 0);
        else if (z > 30)
            moveTile(i, 0, -kBlock);
    }
}

void World::placeCoinAfterPickup() {
    coin.position.x = float(random() % 36 - 18);
    coin.position.z = float(2 + random() % 16);
}

void World::stepCoin() {
    const double x = coin.position.x + worldOffsetX, z = coin.position.z + worldOffsetZ;
    if (std::fabs(x) <= kCoinReach && std::fabs(z) <= kCoinReach) {
        ++status.coins;
        placeCoinAfterPickup();
    } else if (x < -kCoinFar || x > kCoinFar || z < -kCoinFar || z > kCoinFar) {
        coin.position.x = float(random() % 36 - 18 - worldOffsetX);
        coin.position.z = float(random() % 36 - 18 - worldOffsetZ);
    }
}

}  // namespace pigeonrun
