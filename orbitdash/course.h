// The items of a course and the astronaut they carry, hit or feed. No GL
// here: each item's motion and rules are plain arithmetic, and its drawing
// lives in render.cpp.
//
// The course runs along +z. Every item owns a stretch of the course, [z,
// z + depth()), laid one after another in file order; what it carries may
// reach a little past its stretch (a floor's panels overhang both ends),
// except where the item beside it draws a top of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "random.h"
#include "settings.h"

namespace orbitdash {

class Renderer;

struct Astronaut {
    static constexpr float kJumpStep = 0.08f;  // jump parameter per frame at Normal
    static constexpr float kJumpPeak = 0.5f;

    Vec3 pos;               // feet
    bool jumping = false;
    float t = 0;            // jump parameter, 0..2
    Vec3 from;              // take-off point
    float dirX = 0, dirZ = 1;  // unit horizontal jump direction
    float heading = 0;      // degrees about y the model faces (0: +z)
    bool standing = false;  // set each frame by whatever carries it
    // The asteroid it rides: course item index and asteroid index, or -1.
    int rideItem = -1, rideAsteroid = -1;

    void stopRiding() { rideItem = rideAsteroid = -1; }
    // One frame of the jump in progress at `speed`: t grows by speed * 0.08
    // and the feet follow the curve from the take-off point; true on the
    // frame it ends (t = 2, two units on).
    bool stepJump(float speed);
    // The jump parameter a frame after `t`.
    static float nextT(float t, float speed);
};

// What a frame's test of one item against the astronaut found.
struct Touch {
    bool hit = false;  // a ship: same as a fall
    int points = 0;    // an oxygen bottle taken
};

class LevelItem {
public:
    virtual ~LevelItem() = default;
    // Length the item occupies along the course.
    virtual float depth() const = 0;
    // One frame of the item's own motion; nothing moves while `s` is frozen.
    virtual void advance(const Settings& s) = 0;
    // One frame's rules against the astronaut (while playing). `self` is the
    // item's index in the course, for riding.
    virtual Touch touch(Astronaut&, int /*self*/) { return {}; }
    // Whether a standing astronaut at (x, z) is held up here (the item's
    // floor window, whatever moves over it).
    virtual bool carries(float /*x*/, float /*z*/) const { return false; }
    // Whether it holds up some point (x, z) with x in [x0, x1].
    virtual bool carriesAcross(float /*x0*/, float /*x1*/, float /*z*/) const { return false; }
    virtual void draw(Renderer& r) const = 0;
    virtual std::unique_ptr<LevelItem> clone() const = 0;
    // Whether it draws a top at height 0 to stand on (a floor, a deck).
    virtual bool hasTop() const { return false; }

    float z = 0;  // start of the item's stretch of course
    // Set as the course is laid: whether a top at height 0 is drawn just
    // before / after the stretch (the platforms count). Two tops in one
    // plane would fight over their pixels, so this item's own top then
    // stops short of the stretch's end on that side instead of reaching
    // past it.
    bool topBefore = true, topAfter = true;
};

// The common floor rule: held up (height 0, standing) while not jumping and
// not sunk below -0.2; carried so by an item that carries its position.
bool holdUp(Astronaut& a);
bool carry(Astronaut& a, const LevelItem& floor);

class Suelo : public LevelItem {
public:
    static constexpr float kPanelWidth = 10.0f;
    // The panels' centre line lies this far into the stretch; they carry
    // from 3.4 before it to 4.5 after it, overhanging the stretch.
    static constexpr float kCentre = 2.5f;
    static constexpr float kBack = 3.4f, kFront = 4.5f;
    static constexpr int kDecorations = 50;

    // Each decoration draws its place from a Mersenne twister seeded afresh
    // from `random`.
    Suelo(int panels, bool decorated, Random& random);
    float depth() const override { return 6.0f; }
    void advance(const Settings&) override {}
    Touch touch(Astronaut& a, int self) override;
    bool carries(float x, float z) const override;
    bool carriesAcross(float x0, float x1, float z) const override;
    void draw(Renderer& r) const override;
    std::unique_ptr<LevelItem> clone() const override { return std::make_unique<Suelo>(*this); }

    float centre() const { return z + kCentre; }
    bool hasTop() const override { return panels > 0; }
    int panels = 0;
    bool decorated = false;
    std::vector<Vec3> decorations;  // relative to (0, 0, centre())
};

class Oxigeno : public LevelItem {
public:
    Oxigeno(float axisA, float axisB) : axisA(axisA), axisB(axisB) {}
    float depth() const override { return 0.5f; }
    void advance(const Settings& s) override {
        if (!s.frozen()) angle += s.speed * 2.5f;
    }
    void draw(Renderer& r) const override;
    std::unique_ptr<LevelItem> clone() const override { return std::make_unique<Oxigeno>(*this); }

    float angle = 0;         // degrees about (axisA, 100, axisB)
    float axisA = 0, axisB = 0;
    float scale = 1.0f;
};

struct Asteroid {
    float x = 0, y = 0, z = 0;  // in the belt's frame
    float radius = 0;
    int column = 0;  // i of the layout: x lies within 3 units right of 2.7 i
    std::optional<Oxigeno> rider;
};

class AsteroidBelt : public LevelItem {
public:
    static constexpr float kBaseRadius = 0.75f;
    // Row 0 lies this far into the stretch; rows are 1.8 apart.
    static constexpr float kFirstRow = 2.7f;
    static constexpr float kRowGap = 1.8f;
    static constexpr float kStandHeight = 0.25f;

    // One Mersenne twister seeded once from `random` places the asteroids;
    // random.rand() gives one in five of them a bottle.
    AsteroidBelt(int width, int period, Random& random);
    float depth() const override { return 9.0f; }
    void advance(const Settings& s) override;
    Touch touch(Astronaut& a, int self) override;
    void draw(Renderer& r) const override;
    std::unique_ptr<LevelItem> clone() const override { return std::make_unique<AsteroidBelt>(*this); }

    // Course position of an asteroid's centre (x with the scroll, z).
    float worldX(const Asteroid& a) const { return a.x + offset; }
    float worldZ(const Asteroid& a) const { return z + kFirstRow + a.z; }

    // Where a jump taken from asteroid `from` along the unit direction
    // (dirX, dirZ) at `speed` comes down under the rules of a frame: the
    // index of the asteroid it lands on, or -1 when it lands on none. The
    // belt moves as one piece, so the answer holds whenever the jump is
    // taken, unless the scroll starts over (past 100) on the way.
    int landing(int from, float dirX, float dirZ, float speed) const;

    // Takes out the asteroids that would hold the player with no way on:
    // those the items beside the belt (`before`, `after`, either may be
    // null) or a jump from one of those can land the player on, but from
    // which no run of jumps (the four directions of the starting camera,
    // at any of the three speeds, after any wait) comes down on either
    // item. The belt moves one way, so its far end always has some.
    // Returns how many it took out.
    int clearTraps(const LevelItem* before, const LevelItem* after);

    std::vector<Asteroid> asteroids;
    float offset = 0;  // scroll along x, 0..100
    int period = 1000;
    float speed = kNormal;  // the speed factor of the last frame
};

class GroupSpaceShip : public LevelItem {
public:
    static constexpr float kBound = 80.0f;  // ships run between -80 and 80 (half scale)
    static constexpr float kLaneDepth = 5.0f;
    static constexpr float kDeckHalfWidth = 5.0f;
    static constexpr float kDeckOverhang = 0.5f;

    struct Ship {
        float x = -kBound;  // half-scale frame
        int direction = 1;  // +1 towards +x, -1 towards -x
        float step = 0.02f;
    };

    // `pattern` 1: all towards +x; 2: all towards -x; 3: alternating from
    // +x; 4: alternating from -x.
    GroupSpaceShip(int count, int pattern);
    float depth() const override { return kLaneDepth * float(ships.size()); }
    void advance(const Settings& s) override;
    Touch touch(Astronaut& a, int self) override;
    bool carries(float x, float z) const override;
    bool carriesAcross(float x0, float x1, float z) const override;
    void draw(Renderer& r) const override;
    std::unique_ptr<LevelItem> clone() const override { return std::make_unique<GroupSpaceShip>(*this); }

    bool hasTop() const override { return !ships.empty(); }
    // Centre of lane k across the course, in course units.
    float laneCentre(int k) const { return z + kLaneDepth * (float(k) + 0.5f); }
    // The strict hit test of one ship (both in the half-scale frame).
    bool hits(const Astronaut& a, int k) const;

    std::vector<Ship> ships;
};

// The course: items in order, each placed after the one before.
class Course {
public:
    static constexpr float kStart = 2.5f;  // where the first item's stretch begins

    Course() = default;
    Course(const Course& other);
    Course& operator=(const Course& other);
    Course(Course&&) = default;
    Course& operator=(Course&&) = default;

    void add(std::unique_ptr<LevelItem> item);
    float end() const { return next_; }
    std::size_t size() const { return items.size(); }

    std::vector<std::unique_ptr<LevelItem>> items;

private:
    float next_ = kStart;
};

}  // namespace orbitdash
