#include "car.h"

#include <cmath>

#include "mainloop.h"
#include "scene.h"

namespace lanehop {

CarSpawn::CarSpawn(float spawnTime, float xVelocity, float min, float max)
    : ml(hop::MainLoop::getInstance()), carSpawnTime(spawnTime), initialXVelocity(xVelocity), maxX(max), minX(min) {
    id = "CarSpawn";
}

void CarSpawn::tick(float delta) {
    currentTime += delta;
    if (currentTime - lastCarSpawnTime <= carSpawnTime) return;
    hop::Scene* scene = ml->getScene();
    if (scene) scene->loadObject(new Car(position, Vector3(initialXVelocity, 0, 0), minX, maxX));
    lastCarSpawnTime = currentTime;
}

Car::Car(const Vector3& pos, const Vector3& vel, float min, float max)
    : ml(hop::MainLoop::getInstance()), maxX(max), minX(min) {
    id = "car";
    position = pos;
    velocity = vel;
    const Vector3 D = dimension;
    hitBoxes.emplace_back(Vector3(-D.x / 2, 0, -D.z / 2), D);
    hitBoxes.emplace_back(Vector3(-D.x / 4, D.y, -D.z / 2), Vector3(D.x / 2, 2 * D.y / 3, D.z));
    const Vector3 wheel = Vector3(1, 1, 0.5f) * (D.y / 2);
    for (float sx : {-1.f, 1.f})
        for (float sz : {-1.f, 1.f}) {
            const Vector3 centre(sx * D.x / 4, D.y / 8, sz * D.z / 2);
            hitBoxes.emplace_back(centre - wheel / 2, wheel);
        }
}

void Car::tick(float delta) {
    position += velocity * delta;
    if (position.x > maxX + 1 || position.x < minX - 1) {
        hop::Scene* scene = ml->getScene();
        if (scene) scene->queueFreeObject(this);
    }
}

float Car::bobScale(float x) {
    const float whole = std::floor(x);
    const float fract = x - whole;
    const bool even = std::fmod(std::fabs(whole), 2.f) == 0.f;
    return even ? 1 - fract / 40 : 0.975f + fract / 40;
}

}  // namespace lanehop
