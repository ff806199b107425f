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

class World {
public:
    static constexpr float kCarTimerEnd = 20;
    static constexpr float kCarTimerStep = 0.5f;  // per pass
    static constexpr double kCoinReach = 0.75;
    static constexpr double kCoinFar = 21.5;

    // `random` stands for std::rand (tests pass their own).
    explicit World(std::function<int()> random = {});

    // Everything a new game starts from: ground, cars, offset, hop, heading,
    // score, coins and a new coin.
    void reset();
    void buildGround();

    // Fixed view: turn to `facing` and start (or keep on) a hop; forward scores.
    void hopFixed(int facing);
    // Free view: a hop along `heading`; scores when heading is within 45
    // degrees of forward. Returns whether it scored.
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
    double heading = 0;  // degrees, free view
    int turning = 0;
    float carTimer1 = 0, carTimer2 = 0;
    // The control scheme the hop in flight was started with: a change of
    // view finishes it the way it began.
    bool hopIsFree = false;
    // Read by the hop and the presentation; set by the loop.
    bool fixedView = true;

private:
    void moveTile(int tile, double dx, double dz);
    int random();
    std::function<int()> random_;
};

}  // namespace pigeonrun
