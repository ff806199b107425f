// The pigeon game's rules, without SDL or GL. The pigeon stays at the origin;
// hops move the world (ground tiles, road strips and coin, all shifted by
// `worldOffset`) and the two cars, which live in frames of their own: car 1
// turned -90 degrees about Y, car 2 +90, so a car's x is its lane across the
// forward axis (+Z) and its z runs along its road.
#pragma once

#include <array>
#include <functional>

#include "model.h"

namespace pigeonrun {

enum State { StateTitle = 0, StatePlaying = 1, StatePaused = 2, StateGameOver = 3 };
enum Facing { FacingForward = 0, FacingLeft = 1, FacingBack = 2, FacingRight = 3 };

// One world pass at the rate the game's numbers were written for.
constexpr double kPassMs = 1000.0 / 60.0;

struct Vec3f {
    float x = 0, y = 0, z = 0;
};

struct Entity {
    Model model;
    float jumpSpeed = 6;
    float width = 0, depth = 0;
};

struct Pigeon : Entity {
    bool hopping = false;
    double angle = 0;  // degrees about Y, fixed view
    int facing = FacingForward;
};

struct Car : Entity {
    Vec3f position, start;
    // Where the car is drawn along its road in the last pass (its frame's z).
    float drawZ = 0;
    // The hit box in the car's frame (x across its lane, z along its road),
    // the bounds of the model it is drawn with: a car hits exactly where it
    // is seen. These defaults are the staged model's; fitBox() takes them
    // from whatever model was loaded.
    float minX = -2.2f, maxX = 2.2f, minZ = -6.6f, maxZ = 6.6f;
    void fitBox();
};

struct Coin : Entity {
    Vec3f position;
};

struct GameStatus {
    int score = 0, coins = 0, state = StateTitle;
};

// Four corners (x, y, z) of a ground quad in world coordinates before the
// offset; corner 0 is the smallest x and largest z.
struct GroundQuad {
    std::array<std::array<double, 3>, 4> corners;
};

// A 3 x 3 block of 12 x 12 grass tiles over -18..18; tiles 0-2 are the first
// row (z 6..18), 6-8 the last (z -18..-6). Road strip i lies on tile i (i < 3)
// or tile i + 3, and moves with it.
struct Ground {
    std::array<GroundQuad, 9> tiles;
    std::array<GroundQuad, 6> roads;
    static int roadTile(int road) { return road < 3 ? road : road + 3; }
};

// The change of `angle` when the pigeon turns from one facing to another.
double turnDelta(int from, int to);

// How far a whole hop carries the world at passes of `dtMs` (the fixed
// view's own shape of a hop, before it is fitted to the grid).
double hopDistance(double dtMs, float speedFactor, float jumpSpeed);

class World {
public:
    static constexpr float kCarTimerEnd = 20;
    static constexpr float kCarTimerStep = 0.5f;  // per pass
    static constexpr double kCoinReach = 0.75;
    static constexpr double kCoinFar = 21.5;
    // Fixed view: every hop lands on a multiple of this many units, half a
    // tile. Each car's lane lies between two such rows, so a pigeon that
    // waits on the grass beside a lane crosses it in one hop.
    static constexpr double kHopGrid = 6;

    // `random` stands for std::rand (tests pass their own).
    explicit World(std::function<int()> random = {});

    // Everything a new game starts from: ground, cars, offset, hop, heading,
    // score, coins and a new coin.
    void reset();
    void buildGround();

    // Fixed view: turn to `facing` and hop to the next row of the grid that
    // way; forward scores. A key during a hop does nothing: the hop lands
    // where it was going. Returns whether a hop started.
    bool hopFixed(int facing);
    // Free view: a hop along `heading`; scores when heading is within 45
    // degrees of forward. A release during a hop only stops the turning.
    // Returns whether it scored.
    bool hopFree();

    // One pass of play, `dtMs` already scaled by the speed. Only in the
    // playing state: pausing freezes everything.
    void step(double dtMs);

    // Pieces of step(), in its order.
    void stepHop(double dtMs);
    void stepTurning(double dtMs);
    void stepCars(double dtMs);
    bool carHits(const Car& car) const;
    void scrollGround();
    void stepCoin();
    void placeCoinAfterPickup();

    Pigeon pigeon;
    Car car1, car2;
    Coin coin;
    GameStatus status;
    Ground ground;

    float speedFactor = 1.0f;
    double worldOffsetX = 0, worldOffsetZ = 0;
    double hopTime = 0, hopHeight = 0;
    // Degrees, free view: positive turns clockwise seen from above, the nose
    // from +z toward -x (the right of the starting camera).
    double heading = 0;
    int turning = 0;
    float carTimer1 = 0, carTimer2 = 0;
    // The control scheme the hop in flight was started with: a change of
    // view finishes it the way it began.
    bool hopIsFree = false;
    // Fixed view: the world offset the hop in flight ends at.
    double hopTargetX = 0, hopTargetZ = 0;
    // Read by the hop and the presentation; set by the loop.
    bool fixedView = true;

    // The world (offset and the cars' lanes) moved by (dx, dz): the pigeon
    // moves the other way.
    void shiftWorld(double dx, double dz);

private:
    void moveTile(int tile, double dx, double dz);
    int random();
    std::function<int()> random_;
    double hopLength_ = 0;  // from the offset at the hop's start to its target
};

}  // namespace pigeonrun
