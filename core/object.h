// Everything placed in a scene: a transform, hit boxes and four virtual steps.
#pragma once

#include <SDL2/SDL.h>

#include <string>
#include <utility>
#include <vector>

#include "math/vector3.h"

namespace hop {

class Object {
public:
    // (offset, size): the box spans position + offset to position + offset + size.
    using HitBox = std::pair<Vector3, Vector3>;

    Object() = default;
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    virtual void draw() {}
    // Translucent parts, drawn after every opaque one and outside the
    // object's transform: an override positions itself.
    virtual void drawBlend() {}
    virtual void tick(float) {}
    virtual void input(SDL_Event, float) {}

    void tickBase(float delta) { tick(delta); }
    void inputBase(SDL_Event e, float delta) { input(e, delta); }
    // draw() inside translate, rotate (X, Y, Z) and scale.
    void drawBase();

    const Vector3& getPosition() const { return position; }
    void setPosition(const Vector3& v) { position = v; }
    const Vector3& getRotation() const { return rotation; }
    void setRotation(const Vector3& v) { rotation = v; }
    const Vector3& getScale() const { return scale; }
    void setScale(const Vector3& v) { scale = v; }
    const std::vector<HitBox>& getHitBoxes() const { return hitBoxes; }
    const std::string& getId() const { return id; }

    Vector3 velocity;

protected:
    Vector3 position;
    Vector3 rotation;  // degrees about X, Y and Z
    Vector3 scale{1, 1, 1};
    std::vector<HitBox> hitBoxes;
    std::string id;
};

}  // namespace hop
