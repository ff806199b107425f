// The rows of the world. Row i lies at z = 2i and is two units deep; a row is
// either grass with trees (Forest) or a road whose cars enter at one end and
// leave beyond the other (AutoGenerator). The drawing lives in street_draw.cpp.
#pragma once

#include <memory>
#include <vector>

#include "body.h"
#include "random.h"

namespace birdhop {

constexpr double kRowDepth = 2.0;
constexpr double kRowWidth = 42.0;

class Street {
public:
    virtual ~Street() = default;
    virtual int dispose() { return 0; }
    // True when the ground box of any object of the row overlaps `box`.
    bool hitsBox(const GroundBox& box) const;
    virtual void update(double dt) = 0;
    // `textures`: the program-wide textures switch. The row's ground, then
    // its objects.
    virtual void draw(bool textures) const = 0;
    // The ground's quad (texture coordinates and corners) inside a
    // glBegin(GL_QUADS) of the caller's, which has bound the row's texture:
    // the loop draws all roads, then all grass, in one batch each.
    virtual void emitSurface() const = 0;
    virtual bool isForest() const = 0;
    virtual bool blocksPoint(double x, double z) const {
        (void)x, (void)z;
        return false;
    }

    std::vector<std::unique_ptr<Body>> objects;
};

// The time to the next car: low + (a draw below |high - low| in 1/60 s
// steps). Equal bounds give `low`.
double drawInterval(double low, double high, Random& random);

class AutoGenerator : public Street {
public:
    // The first car waits an interval drawn from the 5 / 10 s defaults;
    // later gaps are drawn from `low` .. `high`.
    AutoGenerator(int row, bool towardMinusX, double low, double high, double carSpeed, const BirdModel* carModel,
                  unsigned roadTexture, Random& random);
    void update(double dt) override;
    void draw(bool textures) const override;
    void emitSurface() const override;
    bool isForest() const override { return false; }

    double spawnTimer = 0;
    Vec3d origin;
    bool towardMinusX;
    double length = kRowWidth;
    double intervalLow, intervalHigh;
    double carSpeed;
    const BirdModel* carModel;
    unsigned roadTexture;

private:
    Random& random_;
};

class Forest : public Street {
public:
    // Six border trees at x = +-10, +-12, +-14, then up to `cap` inner trees:
    // scanning from the left on rows with the placement flag set, from the
    // right on the others, each place taken with probability 3/21.
    Forest(int row, const BirdModel* tree, bool placement, unsigned grassTexture, int cap, Random& random,
           double width = kRowWidth);
    void update(double) override {}
    void draw(bool textures) const override;
    void emitSurface() const override;
    bool isForest() const override { return true; }
    // True when (x, z) lies strictly inside a tree's ground box.
    bool blocksPoint(double x, double z) const override;

    Vec3d origin;
    int innerTreeCap;
    unsigned grassTexture;
    int innerTrees = 0;

private:
    void addTree(double x, const BirdModel* tree);
};

}  // namespace birdhop
