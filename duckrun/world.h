// The rules of the duck field: the field, the ten sliding blocks, the run's
// score and screens, the duck's facing, and the time text. No SDL or GL here.
#pragma once

#include <array>
#include <string>

namespace duckrun {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float dot(Vec3 a, Vec3 b);
Vec3 cross(Vec3 a, Vec3 b);
float length(Vec3 a);
// The zero vector stays zero.
Vec3 normalised(Vec3 a);

// The grass rectangle the duck walks on (y = 0; progress runs toward -z).
struct Field {
    float minX = -25, maxX = 25, minZ = -70, maxZ = 70;
    float width = 50, depth = 140, height = 0;
    // Strictly inside: the duck never stands on the border itself.
    bool inside(float x, float z) const { return minX < x && x < maxX && minZ < z && z < maxZ; }
};

enum Screen { ScreenPlaying = 0, ScreenStart = 1, ScreenWon = 2, ScreenGameOver = 3 };
enum SpeedMode { SpeedSlow = 0, SpeedNormal = 1, SpeedFast = 2 };

struct GameState {
    int screen = ScreenStart;
    int speedMode = SpeedNormal;
    bool texturesOn = true;
    bool wireframe = false;
    bool smooth = true;
    int best = 0;     // most negative (int z) - 60 of this run; the score is -best
    int seconds = 0;  // whole seconds played in this run
    long long record = 0;  // the best score of every run so far, kept across runs (0: none yet)

    int score() const { return -best; }
};

// Game-speed factor on the world's time (the clock ignores it).
float speedFactor(int speedMode);

// A white box sliding along x and back. `x`, `top` and `z` are the box's
// maximum corner: it spans [x - size, x] x [top - size, top] x [z - size, z].
struct Block {
    float speed = 0;  // signed; x moves speed * 600 units per second
    float size = 2;
    float x = 10;
    float top = 2;
    float z = 0;
    float range = 50;  // turns round at x = +-range/2

    void update(float dt);
    float centreX() const { return x - size / 2; }
    float centreZ() const { return z - size / 2; }
};

constexpr int kBlockCount = 10;
using Blocks = std::array<Block, kBlockCount>;
Blocks initialBlocks();

constexpr float kDuckRadius = 1.0f;

// True when the duck standing at (x, z) touches the block: centres in the
// x-z plane no further apart than the two radii.
bool touches(const Block& block, float duckX, float duckZ);

// Row progress of a duck at z: (z truncated toward zero) - 60.
int progressAt(float z);
// The run is won once best falls below this.
constexpr int kWinBest = -120;

// Rule checks after a world step: a touched block ends the run, then the
// progress test (which can still win in the same step) updates best.
void checkRun(GameState& state, const Blocks& blocks, float duckX, float duckZ);

// The duck's wanted facing from the arrows held (degrees about y, 0 facing
// +z); false when no arrow is held.
struct Arrows {
    bool up = false, down = false, left = false, right = false;
    bool any() const { return up || down || left || right; }
};
bool wantedFacing(const Arrows& held, float& degrees);

// "mm : ss" as the HUD and the end screen show the run's seconds.
std::string timeText(int seconds);

}  // namespace duckrun
