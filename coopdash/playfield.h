// The field's rules: rows ahead of the chicken, crossing vehicles, trees and
// coins, the ghost line that chases from behind, collisions, score, death and
// the immediate restart. No SDL or GL: drawing and sound live elsewhere and
// learn what happened through the listener.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "objetos.h"

namespace coopdash {

// 0 .. RAND_MAX, like std::rand (the default).
using RandomSource = std::function<int()>;

// Told of the events that make sounds.
class PlayfieldListener {
public:
    virtual ~PlayfieldListener() = default;
    virtual void chickenDied() = 0;  // hit: the death shows, then a new field
    virtual void musicDue() = 0;     // 30 real seconds since the music was queued
};

// Arrow keys held this frame.
struct Arrows {
    bool up = false, down = false, left = false, right = false;
};

enum View { ViewTop = 0, ViewFirstPerson = 1 };

// What ended the run.
enum class Cause { None, Car, Train, Ghost };

class Playfield {
public:
    static constexpr double kCorridor = 4;        // the chicken keeps -4 < x < 4
    static constexpr double kWalkSpeed = 3;       // units per second
    static constexpr double kChaseRate = 0.0005;  // ghost line, units per millisecond
    static constexpr double kMaxLag = 5;          // the ghost line is never further behind
    static constexpr double kStartLag = 4;
    static constexpr double kRowsAhead = 20;
    static constexpr double kRowsBehind = 10;
    static constexpr double kMusicPeriod = 30000;  // real milliseconds
    static constexpr int kCoinPoints = 5;
    static constexpr int kFirstRow = 9, kLastClearRow = -1, kLastGeneratedRow = -20;
    static constexpr int kColumns = 12;  // trees and coins on columns -12 .. 12
    // Real milliseconds a death is shown, the field standing still, before
    // the new field.
    static constexpr double kDeathPause = 1500;

    // The program's one field, made on first use.
    static Playfield& getInstance();

    explicit Playfield(RandomSource random = {});
    ~Playfield();
    Playfield(const Playfield&) = delete;
    Playfield& operator=(const Playfield&) = delete;

    // A new field round the chicken's start; score, clocks and ghost reset.
    void generate();
    // One step of rules. dt: game milliseconds (real time x speed); realMs:
    // real milliseconds of play. Removes, updates and collides rows and
    // objects, moves the ghost line, appends rows. A death stops the field
    // as it is for kDeathPause real milliseconds (`dead` and `deathCause`
    // say what happened, `dyingTime` how long it still shows), then the
    // field is rebuilt.
    void update(double dt, double realMs);
    // Walks the chicken by 3 units per game second along the held arrows
    // (not while its death shows).
    void moveChicken(double dt, const Arrows& arrows, int view);
    // Takes ownership; gives the object its model list and texture.
    void addObject(std::unique_ptr<Object> object);

    int rand();

    // GL names from the model library, by kind; 0 without one.
    std::array<unsigned, KindCount> displayLists{};
    // The same models as one flat shape each, and their extents: what
    // stands wholly in the fog is drawn as that (0 / unknown: drawn whole).
    std::array<unsigned, KindCount> silhouetteLists{};
    std::array<ModelBox, KindCount> modelBoxes{};
    unsigned roadTexture = 0;

    Pollo player;
    Fantasma ghost;
    std::vector<std::unique_ptr<Object>> rows;
    std::vector<std::unique_ptr<Object>> objects;
    double chaseZ = 0;
    int nextRow = 0;
    int score = 0;
    bool dead = false;
    double bestZ = 0;
    double playTime = 0;   // real milliseconds of play on this field
    double musicTime = 0;  // real milliseconds since the music was queued
    bool paused = false;
    double speed = 1.0;
    int deaths = 0;
    Cause deathCause = Cause::None;
    double dyingTime = 0;  // real milliseconds the death still shows
    PlayfieldListener* listener = nullptr;

private:
    void appendRow(int z);
    void die(Cause cause);
    void restart();
    bool blockedByTree() const;
    void fillGrass(int z);

    RandomSource random_;
};

}  // namespace coopdash
