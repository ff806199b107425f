// The traffic: spawners on road rows emit cars at a fixed interval; cars
// drive straight along their row and remove themselves past its end.
#pragma once

#include "object.h"

namespace hop {
class MainLoop;
}

namespace lanehop {

using hop::Vector3;

class CarSpawn : public hop::Object {
public:
    CarSpawn(float carSpawnTime, float initialXVelocity, float minX, float maxX);
    void tick(float delta) override;
    float getCarSpawnTime() const { return carSpawnTime; }
    float getInitialXVelocity() const { return initialXVelocity; }
    float getMinX() const { return minX; }
    float getMaxX() const { return maxX; }

private:
    hop::MainLoop* ml;
    float carSpawnTime;
    float initialXVelocity;
    float lastCarSpawnTime = 0;
    float currentTime = 0;
    float maxX, minX;
};

class Car : public hop::Object {
public:
    Car(const Vector3& position, const Vector3& velocity, float minX, float maxX);
    void tick(float delta) override;
    void draw() override;
    void drawBlend() override;
    // The body's Y scale: a triangle wave between 0.975 and 1 every 2 units of x.
    static float bobScale(float x);
    const Vector3& getDimension() const { return dimension; }

private:
    hop::MainLoop* ml;
    float maxX, minX;
    Vector3 dimension{1.75f, 0.5f, 0.75f};
};

}  // namespace lanehop
