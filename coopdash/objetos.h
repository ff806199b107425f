// The things of the field: the chicken, crossing vehicles, trees, coins, the
// ghost and the rows with their spawners. No SDL or GL here: an object only
// carries the names of its GL list and texture, which the model library
// fills in.
#pragma once

#include <cmath>
#include <string>

namespace coopdash {

class Playfield;

struct Vec3 {
    double x = 0, y = 0, z = 0;
    double length() const { return std::sqrt(x * x + y * y + z * z); }
};

// A model's extent in its own space; `known` false: not measured.
struct ModelBox {
    Vec3 lo, hi;
    bool known = false;
};

// The kind is also the index of the object's model in the model library.
enum Kind {
    KindCalle = 0,
    KindPollo = 1,
    KindAuto = 2,
    KindArbol = 3,
    KindVia = 4,
    KindTren = 5,
    KindPasto = 6,
    KindMoneda = 7,
    KindFantasma = 8,
    KindCount = 9
};

class Object {
public:
    Object(int kind, const char* modelName, Vec3 position, Vec3 halfExtent = {});
    virtual ~Object() = default;
    // dt: milliseconds of game time (real time scaled by the speed).
    virtual void update(double dt);

    bool removed = false;
    int kind;
    Vec3 position;
    Vec3 halfExtent;
    double heading = 0;  // degrees about y
    std::string modelName;
    std::string textureName;
    unsigned texture = 0;
    unsigned displayList = 0;
};

// Boxes touch when they overlap or meet on every axis.
bool overlaps(const Object& a, const Object& b);

class Pollo : public Object {
public:
    Pollo();
};

class Arbol : public Object {
public:
    Arbol(double x, double y, double z);
};

class Moneda : public Object {
public:
    Moneda(double x, double y, double z);
    void update(double dt) override;  // spins 0.36 degrees per millisecond
};

class Fantasma : public Object {
public:
    Fantasma();
};

// A vehicle that runs from `start` to `end` in `crossTime` milliseconds,
// then marks itself removed.
class Cruce : public Object {
public:
    Cruce(int kind, const char* modelName, Vec3 halfExtent, Vec3 start, Vec3 end, double crossTime);
    void update(double dt) override;

    Vec3 start, end;
    double crossTime;
    double elapsed = 0;
};

class Auto : public Cruce {
public:
    Auto(Vec3 start, Vec3 end, double crossTime);
};

class Tren : public Cruce {
public:
    static constexpr double kCrossTime = 2000;
    Tren(Vec3 start, Vec3 end);
};

// Rows: one unit deep, at z = their row number.
class Pasto : public Object {
public:
    explicit Pasto(double z);
};

// A road: one random draw fixes its car interval, car crossing time and
// direction; a car leaves `start` whenever the countdown runs out.
class Calle : public Object {
public:
    Calle(Playfield& field, double z, int r);
    void update(double dt) override;

    Vec3 start, end;
    double spawnInterval, carCrossTime;
    double countdown = 0;

private:
    Playfield& field_;
};

// Rails: trains from x = +15 to x = -15, each crossing in two seconds.
class Via : public Object {
public:
    Via(Playfield& field, double z, int r);
    void update(double dt) override;

    Vec3 start, end;
    double spawnInterval;
    double countdown = 0;

private:
    Playfield& field_;
};

}  // namespace coopdash
