#include "world.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "models.h"

namespace roosterway {

const char* const kObstacleKeys[6] = {"tree1", "tree2", "tree3", "tree4", "boulder1", "boulder2"};
const char* const kCarKeys[6] = {"blue_car", "green_car", "orange_car", "purple_car", "police_car", "taxi"};
const float kCarSpeeds[6] = {-6, -4, -2, 2, 4, 6};

namespace {
constexpr int kRoadChance = 49;      // a draw above this makes a road
constexpr int kDarkGrassChance = 49;  // a draw above this makes dark grass
constexpr int kObstaclePercent = 20;
constexpr int kCarPercent = 10;
}  // namespace

int rowAt(float z) { return int(std::floor(-(z + kRowOffset) + 0.5f)); }

GameWorld::GameWorld(bool withModels, const RandomSource& random, std::shared_ptr<SceneCache> scenes) {
    std::printf("Generando mundo...\n");
    std::fflush(stdout);
    if (withModels) models = loadModelLibrary(true, std::move(scenes));
    generate(random ? random : RandomSource([] { return std::rand(); }));
}

GameWorld::~GameWorld() = default;

void GameWorld::generate(const RandomSource& random) {
    // A draw is taken modulo a small range; a negative value from a careless
    // source must not index outside the tables.
    auto draw = [&](int range) {
        const int v = random() % range;
        return v < 0 ? v + range : v;
    };
    rowList.push_back({"Pasto", "grass_light"});
    for (int r = 1; r < kLastRow; ++r) {
        RowRecord row;
        if (draw(100) > kRoadChance) {
            row.kind = "Calle";
            row.modelKey = rowList.back().kind == "Calle" ? "road_stripes" : "road_blank";
        } else {
            row.kind = "Pasto";
            row.modelKey = draw(100) > kDarkGrassChance ? "grass_dark" : "grass_light";
        }
        rowList.push_back(row);
        const float speed = kCarSpeeds[draw(6)];
        const bool road = row.kind == "Calle";
        for (int c = 0; c < kColumns; ++c) {
            if (!road) {
                if (draw(100) < kObstaclePercent) {
                    ObstacleRecord o;
                    o.modelKey = kObstacleKeys[draw(6)];
                    o.column = c;
                    o.row = r;
                    obstacleList.push_back(o);
                }
            } else if (draw(100) < kCarPercent) {
                const char* key = kCarKeys[draw(6)];
                // Cars on a row start at least three columns apart.
                if (!carList.empty()) {
                    const CarRecord& last = carList.back();
                    if (last.row == float(r) && (last.x == float(c - 1) || last.x == float(c - 2))) continue;
                }
                CarRecord car;
                car.modelKey = key;
                car.x = float(c);
                car.row = float(r);
                car.speed = speed;
                carList.push_back(car);
            }
        }
    }
    rowList.push_back({"Pasto", "grass_light"});
}

void GameWorld::moveCars(float dtMilliseconds) {
    const float width = float(kColumns);
    for (CarRecord& car : carList) {
        car.x = dtMilliseconds / 1000.f * car.speed + car.x;
        // One wrap is enough for a normal frame; a long stall (a reload, a
        // dragged window) may carry a car round the field more than once.
        if (car.x < 0 || car.x > width) {
            car.x = std::fmod(car.x, width);
            if (car.x < 0) car.x += width;
        }
    }
}

bool GameWorld::obstacleAt(int column, int row) const {
    for (const ObstacleRecord& o : obstacleList)
        if (o.column == column && o.row == row) return true;
    return false;
}

void GameWorld::reloadModels(bool withTextures) {
    texturesOn = withTextures;
    // The scenes outlive the old library: the new one is compiled from them.
    std::shared_ptr<SceneCache> scenes = models ? models->scenes : nullptr;
    models.reset();
    models = loadModelLibrary(withTextures, std::move(scenes));
}

}  // namespace roosterway
