// The field the chicken crosses: 51 rows of grass and road, the trees and
// boulders that stand on the grass and the cars that drive along the roads.
// Rules only: nothing here draws. Row r lies at z = -r; a car's x runs from
// 0 to `columns` in column units, an obstacle stands on a whole column.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace roosterway {

class ModelLibrary;
class SceneCache;

struct RowRecord {
    std::string kind;      // "Pasto" or "Calle"
    std::string modelKey;  // "grass_light", "grass_dark", "road_blank", "road_stripes"
};

struct ObstacleRecord {
    std::string kind = "ArbolRoca";
    std::string modelKey;  // tree1..tree4, boulder1, boulder2
    int column = 0;        // 0..columns-1
    int row = 0;
};

struct CarRecord {
    std::string kind = "Auto";
    std::string modelKey;  // blue_car, green_car, orange_car, purple_car, police_car, taxi
    float x = 0;           // column units, 0..columns
    float row = 0;
    float speed = 0;       // columns per second, signed
};

// The chicken is drawn a quarter of a unit ahead of its z (at z + 0.25), and
// the trees', boulders' and cars' boxes lie that far ahead of their rows' z.
constexpr float kRowOffset = 0.25f;
// The row a chicken at z stands on: the one its drawing lies over, row r
// holding the positions -r - 0.75 < z <= -r + 0.25. Hops, hits and the score
// all go by it.
int rowAt(float z);

// rand()-like source of non-negative integers; the game passes std::rand,
// tests a seeded generator of their own.
using RandomSource = std::function<int()>;

class GameWorld {
public:
    static constexpr int kColumns = 35;
    static constexpr int kRows = 51;
    static constexpr int kLastRow = kRows - 1;

    // Prints "Generando mundo...", loads the model library with textures when
    // `withModels` (that needs a GL context; from `scenes` where given), then
    // generates the rows.
    explicit GameWorld(bool withModels = true, const RandomSource& random = RandomSource(),
                       std::shared_ptr<SceneCache> scenes = {});
    ~GameWorld();
    GameWorld(const GameWorld&) = delete;
    GameWorld& operator=(const GameWorld&) = delete;

    // Moves every car by its speed for `dtMilliseconds`, wrapping round the
    // field so that x stays within [0, columns].
    void moveCars(float dtMilliseconds);

    // True when a tree or boulder stands on (column, row).
    bool obstacleAt(int column, int row) const;

    // Replaces the model library (frees the old one first) with one loaded
    // with or without textures; records the choice in texturesOn.
    void reloadModels(bool withTextures);

    const int columns = kColumns;
    const int rows = kRows;
    std::vector<RowRecord> rowList;
    std::vector<ObstacleRecord> obstacleList;
    std::vector<CarRecord> carList;
    std::unique_ptr<ModelLibrary> models;  // null in a world built without models
    bool texturesOn = true;
    bool smoothShading = true;
    int lightMode = 0;

private:
    void generate(const RandomSource& random);
};

// The keys generation draws from, in the order the random numbers pick them.
extern const char* const kObstacleKeys[6];
extern const char* const kCarKeys[6];
extern const float kCarSpeeds[6];

}  // namespace roosterway
