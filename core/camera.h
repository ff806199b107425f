// The engine's view: an eye and a target point, perspective or orthographic
// projection, three mouse modes and an object to follow.
#pragma once

#include <SDL2/SDL.h>

#include "math/vector3.h"

namespace hop {

class Object;

class Camera {
public:
    enum Mode { PERSPECTIVE = 0, ORTHOGONAL = 1, MODE_SIZE = 2 };
    enum MouseMode { FIRST_PERSON = 0, NONE = 1, THIRD_PERSON = 2, MOUSE_MODE_SIZE = 3 };

    static constexpr float highPitchlimit = 1.4707963f;  // pi/2 - 0.1
    static constexpr float thirdPersonLowPitchlimit = 0.01f;

    Camera() = default;
    virtual ~Camera() = default;

    float getFovy() const { return fovy; }
    void setFovy(float v) { fovy = v; }
    float getAspect() const { return aspect; }
    void setAspect(float v) { aspect = v; }
    float getZNear() const { return zNear; }
    void setZNear(float v) { zNear = v; }
    float getZFar() const { return zFar; }
    void setZFar(float v) { zFar = v; }
    const Vector3& getPosition() const { return position; }
    const Vector3& getCenter() const { return center; }
    const Vector3& getUp() const { return up; }
    void setUp(const Vector3& v) { up = v; }
    Mode getMode() const { return mode; }
    MouseMode getMouseMode() const { return mouseMode; }
    float getDistance() const { return getViewVector().length(); }
    void setFollowing(Object* o) { following = o; }
    Object* getFollowing() const { return following; }
    void setFollowOffset(const Vector3& v) { followOffset = v; }
    const Vector3& getFollowOffset() const { return followOffset; }
    void setShowCenter(bool on) { showCenter = on; }
    float getMouseSensitivity() const { return mouseSensitivity; }

    void setPosition(const Vector3& v, bool isRelative, bool preserveView);
    void setCenter(const Vector3& v, bool isRelative, bool preserveView);
    Vector3 getViewVector() const { return center - position; }
    // (pitch, -pi/2 - yaw, pitch) in radians.
    Vector3 getOrientation() const;

    void rotateView(float x, float y);
    void setDistance(float distance);
    void setMode(Mode m);
    void toggleMode();
    void setMouseMode(MouseMode mm);
    void toggleMouseMode();

    virtual void tick(float delta);
    virtual void draw();
    virtual void input(SDL_Event e, float delta);
    // What input() asks of SDL's relative mouse mode (no SDL call).
    bool wantsRelativeMouse(float delta) const { return mouseMode != NONE && delta != 0; }

private:
    Vector3 position, center, up;
    Mode mode = PERSPECTIVE;
    float fovy = 45, aspect = 1, zNear = 0.1f, zFar = 100;
    float mouseSensitivity = 0.1f;
    MouseMode mouseMode = THIRD_PERSON;
    bool showCenter = false;
    Object* following = nullptr;
    Vector3 followOffset;
};

}  // namespace hop
