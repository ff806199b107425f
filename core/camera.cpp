#include "camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <iostream>

#include "drawing.h"
#include "object.h"

namespace hop {

namespace {
constexpr float kPi = 3.14159265358979f;
constexpr float kDeg = 180.f / kPi;
}  // namespace

void Camera::setPosition(const Vector3& v, bool isRelative, bool preserveView) {
    const Vector3 movement = isRelative ? v : v - position;
    position += movement;
    if (preserveView) center += movement;
}

void Camera::setCenter(const Vector3& v, bool isRelative, bool preserveView) {
    const Vector3 movement = isRelative ? v : v - center;
    center += movement;
    if (preserveView) position += movement;
}

Vector3 Camera::getOrientation() const {
    const Vector3 n = getViewVector().normalize();
    const float pitch = std::asin(std::clamp(n.y, -1.f, 1.f));
    const float yaw = std::atan2(n.z, n.x);
    return {pitch, -kPi / 2 - yaw, pitch};
}

void Camera::rotateView(float x, float y) {
    Vector3 n = getViewVector().normalize();
    if (mouseMode == THIRD_PERSON) n = -n;
    float pitch = std::asin(std::clamp(n.y, -1.f, 1.f));
    float yaw = std::atan2(n.z, n.x);
    yaw += mouseSensitivity * x;
    pitch -= mouseSensitivity * y;
    const float lowPitchlimit = mouseMode == THIRD_PERSON ? thirdPersonLowPitchlimit : -highPitchlimit;
    pitch = std::clamp(pitch, lowPitchlimit, highPitchlimit);
    const Vector3 d =
        Vector3(std::cos(pitch) * std::cos(yaw), std::sin(pitch), std::cos(pitch) * std::sin(yaw)).normalize() *
        getDistance();
    if (mouseMode == THIRD_PERSON)
        position = center + d;
    else
        center = position + d;
}

void Camera::setDistance(float distance) {
    distance = std::max(distance, 1.f);
    distance = std::min(distance, mode == ORTHOGONAL ? zFar / 5 : 8.f);
    const Vector3 n = getViewVector().normalize();
    switch (mouseMode) {
        case FIRST_PERSON:
            center = position + n * distance;
            break;
        case NONE:
        case THIRD_PERSON:
            position = center - n * distance;
            break;
        default:
            std::cout << "MOUSE_MODE_SIZE is not a valid mode" << std::endl;
    }
}

void Camera::setMode(Mode m) {
    mode = m;
    if (mode == ORTHOGONAL && mouseMode == FIRST_PERSON) mouseMode = THIRD_PERSON;
    setDistance(getDistance());
}

void Camera::toggleMode() { setMode(Mode((mode + 1) % MODE_SIZE)); }

void Camera::setMouseMode(MouseMode mm) {
    mouseMode = mm;
    if (mode == ORTHOGONAL && mm == FIRST_PERSON) toggleMode();
    setDistance(getDistance());
    rotateView(0, 0);
}

void Camera::toggleMouseMode() { setMouseMode(MouseMode((mouseMode + 1) % MOUSE_MODE_SIZE)); }

void Camera::tick(float) {
    if (!following) return;
    const Vector3 p = following->getPosition() + followOffset;
    switch (mouseMode) {
        case FIRST_PERSON:
            setPosition(p, false, true);
            break;
        case NONE:
        case THIRD_PERSON:
            setCenter(p, false, true);
            break;
        default:
            std::cout << "MOUSE_MODE_SIZE is not a valid mode" << std::endl;
    }
}

void Camera::draw() {
    if (mode == PERSPECTIVE) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(fovy, aspect, zNear, zFar);
        glMatrixMode(GL_MODELVIEW);
        gluLookAt(position.x, position.y, position.z, center.x, center.y, center.z, up.x, up.y, up.z);
    } else if (mode == ORTHOGONAL) {
        const float d = getDistance();
        const Vector3 o = getOrientation();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        // Left and right are widened by the aspect ratio, or the picture
        // would be squeezed sideways on a wide window.
        glOrtho(d * aspect, -d * aspect, d, -d, -zFar / 5, zFar);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(180, 1, 0, 0);
        glRotatef(-o.x * kDeg, -1, 0, 0);
        glRotatef(-180, 0, 1, 0);
        glRotatef(-o.y * kDeg, 0, 1, 0);
        glTranslatef(-center.x, -center.y, -center.z);
    } else {
        std::cout << "MODE_SIZE is not a valid mode" << std::endl;
    }
    if (showCenter) {
        glColor3f(1, 0, 1);
        drawCuboid(center - Vector3(0.05f, 0.05f, 0.05f), Vector3(0.1f, 0.1f, 0.1f));
    }
}

void Camera::input(SDL_Event e, float delta) {
    if (!wantsRelativeMouse(delta)) {
        SDL_SetRelativeMouseMode(SDL_FALSE);
        return;
    }
    SDL_SetRelativeMouseMode(SDL_TRUE);
    if (e.type == SDL_MOUSEMOTION) rotateView(float(e.motion.xrel) * delta, float(e.motion.yrel) * delta);
}

}  // namespace hop
