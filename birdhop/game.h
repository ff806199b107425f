// The rules of the game without a window: the rows generated ahead of the
// bird, hops, collisions, score and levels, restart, the hidden dance words
// and the keys that act on them. The loop (loop.h) feeds it keys and frame
// times and draws what it holds.
#pragma once

#include <iosfwd>
#include <memory>
#include <vector>

#include "body.h"
#include "particles.h"
#include "random.h"
#include "street.h"

namespace birdhop {

// What the rows are built with: models and GL texture names (null / 0 in
// tests without a context).
struct WorldAssets {
    const BirdModel* bird = nullptr;
    const BirdModel* car = nullptr;
    const BirdModel* tree = nullptr;
    unsigned grassTexture = 0;
    unsigned roadTexture = 0;
};

enum class Key { Up, Down, Left, Right, Space, D, T, R, E, C, A, U, K, Other };

// The render switches, owned by the game because keys and the options panel
// both change them.
struct RenderFlags {
    bool red = true, green = true, blue = true;
    bool smooth = false, wireframe = false, textures = true;
    double speed = 1.0;  // game speed factor: 0.5, 1 or 2
};

class BirdGame {
public:
    static constexpr int kFirstRows = 25;
    static constexpr int kAhead = 25;       // rows kept ahead of the bird
    static constexpr int kBehindDrawn = 20; // rows p-20 .. p+19 move and are drawn
    static constexpr int kAheadDrawn = 19;
    static constexpr int kStartTarget = 30;
    static constexpr int kBurstCubes = 25;
    // The longest world step: longer frames are cut into steps of this.
    static constexpr double kMaxStep = 1.0 / 30.0;

    // Builds the first 25 rows. `out` receives the console lines.
    BirdGame(const WorldAssets& assets, std::uint32_t seed, std::ostream& out);

    // The frame's dance words: prints "Baila tree", "Baila cart", or starts
    // the bird's dance on "Baila cuak".
    void checkDanceWords();
    // One frame of the world: at most one new row (or the three first rows
    // after a level up), then `ms` milliseconds of play (0 while paused)
    // scaled by the speed, cut into steps no longer than kMaxStep.
    void update(double ms);
    // One world step: the bird's box against the roads p-1 .. p+1, rows,
    // bird, fireworks, level check.
    void step(double dt);
    void generateRows();

    // Key press / release for the keys the rules own.
    void keyDown(Key k);
    void keyUp(Key k);

    // A hop of 2 units in 0.5 s; false when refused.
    bool hop(Key arrow);
    // Space: prints the score after clearing the console and puts the bird back.
    void restart();
    void newLightDirection();

    int level() const { return (target - 25) / 5; }
    // How far the player has come: the rows of every level cleared, plus
    // the furthest row of this life on the current one. A squash and Space
    // start the current level's count again; levels cleared stay.
    int distance() const { return rowsCleared + score; }
    std::size_t rowCount() const { return rows.size(); }
    // Row i, or null beyond the list.
    Street* row(int i) const;
    // Rows that move and are drawn this frame.
    int firstActiveRow() const { return p - kBehindDrawn; }
    int lastActiveRow() const { return p + kAheadDrawn; }

    WorldAssets assets;
    Random random;
    std::ostream& out;

    std::vector<std::unique_ptr<Street>> rows;
    Body bird;
    int p = 0;
    int score = 0;
    int target = kStartTarget;
    bool alive = true;
    bool dead = false;
    bool paused = false;
    bool hitThisFrame = false;
    // Parameters of roads made from now on.
    double nextHigh = 5.0, nextLow = 10.0, nextSpeed = 5.0;
    std::unique_ptr<ParticleBurst> deathBurst;
    FireworkSet fireworks;
    int treeCode = 0, cartCode = 0, birdCode = 0;
    double playMs = 0;  // play time shown by the HUD: unscaled, not while paused
    RenderFlags flags;
    Vec3d lightDirection{0.5, -1, -1};
    int levelUps = 0;
    int rowsCleared = 0;  // the targets of the levels cleared

private:
    std::unique_ptr<Street> makeRow(int i, bool initial);
    void squash();
    void levelUp();
    void resetBird();
};

}  // namespace birdhop
