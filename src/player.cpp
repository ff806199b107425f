#include "player.h"

#include <algorithm>
#include <cmath>

#include "camera.h"
#include "mainloop.h"
#include "world.h"

namespace lanehop {

bool between(float min, float x, float max) { return min <= x && x < max; }

bool inside(const Vector3& v, const Vector3& o, const Vector3& s) {
    return between(o.x, v.x, o.x + s.x) && between(o.y, v.y, o.y + s.y) && between(o.z, v.z, o.z + s.z);
}

Player::Player(World* w, hop::Camera* c, const Vector3& start)
    : initialPosition(start), world(w), ml(hop::MainLoop::getInstance()), scene(w), camera(c) {
    id = "player";
    position = start;
}

void Player::jump(float speed) {
    currentJumpSpeed = speed;
    velocity = Vector3(0, speed, 0);
}

void Player::setFloorY(float y) {
    lastFloorY = floorY;
    floorY = y;
}

void Player::input(SDL_Event e, float) {
    if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_BACKSLASH) flyMode = !flyMode;
}

bool Player::keyHeld(SDL_Scancode a, SDL_Scancode b) const {
    const Uint8* keys = keyboard ? keyboard : ml->keyboard();  // a controller's keys too
    return keys[a] || keys[b];
}

void Player::readMovement(float delta) {
    movement = Vector3();
    if (playerState == FLAT) return;
    if (keyHeld(SDL_SCANCODE_UP, SDL_SCANCODE_W)) movement += forward;
    if (keyHeld(SDL_SCANCODE_DOWN, SDL_SCANCODE_S)) movement -= forward;
    if (keyHeld(SDL_SCANCODE_RIGHT, SDL_SCANCODE_D)) movement += right;
    if (keyHeld(SDL_SCANCODE_LEFT, SDL_SCANCODE_A)) movement -= right;
    if (keyHeld(SDL_SCANCODE_SPACE, SDL_SCANCODE_SPACE) && (position.y == floorY || flyMode) &&
        playerState == ALIVE && !ml->getPause())
        jump(normalJumpSpeed);
    movement = movement.normalize() * movementSpeed * delta;
    // Every step on the ground starts a small hop: the chicken bounces as it walks.
    if (movement != Vector3() && position.y == floorY) jump(normalJumpSpeed);
}

void Player::gridFloor() {
    const float tw = float(world->getTileWidth());
    const float xTile = position.x / tw;
    const float zTile = 1 - position.z / tw;
    const char tile = (xTile >= 0 && zTile >= 0) ? world->tileAt(int(zTile), int(xTile)) : 0;
    if (tile == 0) {
        setFloorY(-100);  // off the grid: the chicken falls away
        return;
    }
    setFloorY(world->floorYOf(tile));
    const auto* layers = world->layersOf(tile);
    if (position.y >= floorY && layers && !layers->empty()) {
        const TileObjectLayerInfo* layer = &layers->back();
        for (const auto& l : *layers)
            if (l.y >= position.y) {
                layer = &l;
                break;
            }
        const float fx = xTile - std::floor(xTile), fz = zTile - std::floor(zTile);
        const float lo = layer->shrink * tw / 2, hi = (1 - layer->shrink / 2) * tw;
        if (between(lo, fx, hi) && between(lo, fz, hi)) setFloorY(layer->y);
    }
    if (position.y == floorY && tile == '5') jump(2.5f * normalJumpSpeed);
    // Being over the goal reaches it, in mid-hop too: a walking hop spans two
    // tiles and would carry the chicken over a one-row goal and off the
    // board's end. Winning stops its walk, so it lands on the goal.
    if ((tile == 'b' || tile == 'w') && playerState == ALIVE) playerState = WINNING;
}

void Player::collideObjects() {
    bool onRoof = false;
    float roof = 0;
    for (hop::Object* o : world->getObjects()) {
        for (const auto& [offset, size] : o->getHitBoxes()) {
            const Vector3 min = o->getPosition() + offset;
            const Vector3 max = min + size;
            // Under the player's feet: the highest box top it is over becomes its floor.
            if (min.x <= position.x && position.x < max.x && min.z <= position.z && position.z < max.z &&
                max.y <= position.y && (!onRoof || max.y > roof)) {
                onRoof = true;
                roof = max.y;
                setFloorY(max.y);
                if (position.y == max.y) {
                    velocity.x = o->velocity.x;
                    velocity.z = o->velocity.z;
                }
            }
            if (inside(position, min, size) && o->getId() == "car" && playerState != FLAT) {
                playerState = FLAT;
                position.y = 0;
                velocity = Vector3();
                flatScale = Vector3(2, 0.4f, 1);
            }
        }
    }
}

void Player::tick(float delta) {
    lastPosition = position;
    velocity += acceleration * delta;
    position += velocity * delta;
    if (position.y < floorY && floorY <= lastPosition.y) {  // landing
        position.y = floorY;
        velocity.y = 0;
    }
    if (playerState != FLAT) {
        const bool firstPerson = camera && camera->getMouseMode() == hop::Camera::FIRST_PERSON;
        if (velocity.y > currentJumpSpeed / 2 && !firstPerson)
            scale.y = 1 + (currentJumpSpeed / 2 - velocity.y) / (2 * currentJumpSpeed);
        else
            scale.y = 1;
    }
    if (camera && camera->getMode() == hop::Camera::PERSPECTIVE) {
        forward = camera->getViewVector();
        forward.y = 0;
        up = camera->getUp();
        right = forward.cross(up);
    } else {
        // Orthographic views walk along the board's axes: forward is the one
        // nearest the way the camera looks, (0, 0, -1) from the views the game
        // starts and sets. The mouse may have turned the view round: Right
        // must still be the screen's right.
        Vector3 view = camera ? camera->getViewVector() : Vector3(0, 0, -1);
        if (std::fabs(view.x) > std::fabs(view.z))
            forward = Vector3(view.x > 0 ? 1.f : -1.f, 0, 0);
        else
            forward = Vector3(0, 0, view.z > 0 ? 1.f : -1.f);
        up = Vector3(0, 1, 0);
        right = forward.cross(up);
    }
    readMovement(delta);
    if (playerState != WINNING) position += movement;
    gridFloor();
    if (position.y < floorY) {  // walked into something higher than where it stood
        position.x = lastPosition.x;
        position.z = lastPosition.z;
        setFloorY(lastFloorY);
    }
    velocity.x = velocity.z = 0;
    collideObjects();
    if (position.y < 0) {
        playerState = FALLING;
        const float tw = float(world->getTileWidth());
        const float xTile = position.x / tw, zTile = 1 - position.z / tw;
        const bool onGrid = xTile >= 0 && zTile >= 0 && world->tileAt(int(zTile), int(xTile)) != 0;
        if (!onGrid || acceleration.y != g) {
            acceleration.y = g;
        } else {
            // Alternating with plain gravity tick by tick: a slow sink into water.
            acceleration = Vector3(0, -1, 0);
            velocity.y = -std::sqrt(std::max(0.f, -velocity.y)) / 2;
            movementSpeed = 1;
        }
    }
    if (playerState == FLAT) {
        setFloorY(0);
        flatScale -= Vector3(-0.05f, 0.05f, -0.05f) * delta;
        bloodScale += Vector3(0.3f, 0, 0.3f) * delta;
    }
    if (playerState == WINNING && position.y == floorY) {
        jump(normalJumpSpeed);
        ++victoryJumps;
    }
}

void Player::coupleCamera() {
    if (!camera) return;
    camera->setFollowOffset(liftVector());
    if (!isDead()) {
        camera->setFollowing(this);
        return;
    }
    if (camera->getFollowing() != this) return;
    camera->setFollowing(nullptr);
    if (camera->getMouseMode() == hop::Camera::FIRST_PERSON) {
        camera->setMouseMode(hop::Camera::THIRD_PERSON);
        camera->setCenter(position, false, false);
        camera->setPosition(position + Vector3(2, 2, 2), false, false);
    }
}

float Player::facingDegrees() {
    constexpr float kDeg = 57.29577951f;
    if (camera && camera->getMouseMode() == hop::Camera::FIRST_PERSON &&
        camera->getMode() == hop::Camera::PERSPECTIVE)
        return camera->getOrientation().y * kDeg;
    Vector3 m = movement;
    if (m.x == 0 && m.z == 0)
        m = lastMovement;
    else
        lastMovement = m;
    return std::atan2(-m.x, -m.z) * kDeg;
}

}  // namespace lanehop
