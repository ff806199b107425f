#include "street.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace birdhop {

namespace {
constexpr double kCarScale = 4.0;
constexpr double kCarLife = 30.0;  // seconds of motion given to a new car
constexpr double kFirstLow = 5.0, kFirstHigh = 10.0;
constexpr int kTreeOdds = 3;       // out of the half width, 21
}  // namespace

bool Street::hitsBox(const GroundBox& box) const {
    for (const auto& o : objects)
        if (overlaps(o->groundBox(), box)) return true;
    return false;
}

double drawInterval(double low, double high, Random& random) {
    const long n = std::labs(long(std::ceil((high - low) * 60)));
    if (n == 0) return low;  // equal bounds: there is nothing to draw
    return low + double(random.next() % n) / 60.0;
}

AutoGenerator::AutoGenerator(int row, bool minusX, double low, double high, double speed, const BirdModel* model,
                             unsigned texture, Random& random)
    : towardMinusX(minusX), intervalLow(low), intervalHigh(high), carSpeed(speed), carModel(model),
      roadTexture(texture), random_(random) {
    origin = {minusX ? kRowWidth / 2 : -kRowWidth / 2, 0, kRowDepth * row};
    spawnTimer = drawInterval(kFirstLow, kFirstHigh, random_);
}

void AutoGenerator::update(double dt) {
    // Every car moves once, then the ones past the far end go.
    for (auto& car : objects) car->update(dt);
    objects.erase(std::remove_if(objects.begin(), objects.end(),
                                 [&](const std::unique_ptr<Body>& car) {
                                     return towardMinusX ? car->position.x < -length : car->position.x > length;
                                 }),
                  objects.end());
    if (spawnTimer <= 0) {
        auto car = std::make_unique<Body>();
        car->position = origin;
        car->rotation.y = towardMinusX ? 90 : -90;
        car->scale = {kCarScale, kCarScale, kCarScale};
        car->model = carModel;
        car->move.set({towardMinusX ? -carSpeed : carSpeed, 0, 0}, {}, kCarLife);
        objects.push_back(std::move(car));
        spawnTimer = drawInterval(intervalLow, intervalHigh, random_);
    }
    spawnTimer -= dt;
}

Forest::Forest(int row, const BirdModel* tree, bool placement, unsigned texture, int cap, Random& random,
               double width)
    : innerTreeCap(cap), grassTexture(texture) {
    origin = {0, 0, kRowDepth * row};
    for (int k = 0; k < 3; ++k) {
        addTree(10 + 2 * k, tree);
        addTree(-(10 + 2 * k), tree);
    }
    if (cap > 0) random.next();  // one draw is spent before the scan
    const int h = int(std::floor(width / 2));
    const int q = h / 2;
    if (placement) {
        for (int k = 0; k < h && innerTrees < cap; ++k)
            if (random.next() % h < kTreeOdds) addTree(2 * (k - q + 1), tree), ++innerTrees;
    } else {
        // The same odds from the right; only inner trees count against the cap.
        for (int k = h; k >= 1 && innerTrees < cap; --k)
            if (random.next() % h < kTreeOdds) addTree(2 * (k - q - 1), tree), ++innerTrees;
    }
}

void Forest::addTree(double x, const BirdModel* tree) {
    auto t = std::make_unique<Body>();
    t->position = {x, 0, origin.z};
    t->model = tree;
    objects.push_back(std::move(t));
}

bool Forest::blocksPoint(double x, double z) const {
    for (const auto& t : objects) {
        const GroundBox b = t->groundBox();
        if (x > b.minX && x < b.maxX && z > b.minZ && z < b.maxZ) return true;
    }
    return false;
}

}  // namespace birdhop
