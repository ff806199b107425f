// The chicken: continuous walking relative to the camera, hops, gravity,
// floors from the tile grid, solid layers, car roofs, death and victory.
#pragma once

#include <SDL2/SDL.h>

#include "object.h"

namespace hop {
class Camera;
class MainLoop;
class Scene;
}  // namespace hop

namespace lanehop {

using hop::Vector3;
class World;

enum PlayerState { ALIVE = 0, FALLING = 1, FLAT = 2, WINNING = 3 };

// min <= x < max.
bool between(float min, float x, float max);
// between() on all three axes against origin and origin + size.
bool inside(const Vector3& v, const Vector3& origin, const Vector3& size);

class Player : public hop::Object {
public:
    Player(World* world, hop::Camera* camera, const Vector3& initialPosition);

    bool isDead() const { return playerState == FALLING || playerState == FLAT; }
    void jump(float speed);
    void setFloorY(float y);

    void tick(float delta) override;
    void draw() override;
    void drawBlend() override;
    void input(SDL_Event e, float delta) override;

    // Keyboard state by scancode; SDL's own when unset (tests set their own).
    void setKeyboard(const Uint8* keys) { keyboard = keys; }
    void setCamera(hop::Camera* c) { camera = c; }
    // Follow, or stop following once dead (what draw() does each frame).
    void coupleCamera();

    PlayerState getState() const { return playerState; }
    float getFloorY() const { return floorY; }
    float getMovementSpeed() const { return movementSpeed; }
    float getNormalJumpSpeed() const { return normalJumpSpeed; }
    bool getFlyMode() const { return flyMode; }
    int getVictoryJumps() const { return victoryJumps; }
    const Vector3& getMovement() const { return movement; }
    const Vector3& getAcceleration() const { return acceleration; }
    const Vector3& getFlatScale() const { return flatScale; }
    const Vector3& getBloodScale() const { return bloodScale; }
    const Vector3& getDimension() const { return dimension; }
    Vector3 liftVector() const { return dY * 2.2f; }
    // The yaw of the model, degrees, from the movement (or the camera in first person).
    float facingDegrees();

private:
    bool keyHeld(SDL_Scancode a, SDL_Scancode b) const;
    void readMovement(float delta);
    void gridFloor();
    void collideObjects();
    void drawChicken();

    PlayerState playerState = ALIVE;
    float movementSpeed = 5;
    float g = -9.8f;
    Vector3 acceleration{0, -9.8f, 0};
    float normalJumpSpeed = 2;
    Vector3 dX{0.1f, 0, 0}, dZ{0, 0, 0.2f}, dY{0, 0.15f, 0};
    Vector3 dimension = dX + dY + dZ + dY * 1.5f + dY * 0.1f;
    Vector3 flatScale{1, 1, 1};
    Vector3 bloodScale{0.2f, 0.2f, 0.2f};
    int victoryJumps = 0;
    bool flyMode = false;
    float currentJumpSpeed = 2;
    Vector3 forward, up, right;
    Vector3 movement;
    Vector3 lastMovement{1, 0, 1};
    Vector3 initialPosition;
    World* world;
    Vector3 lastPosition;
    float lastFloorY = 0, floorY = 0;
    hop::MainLoop* ml;
    hop::Scene* scene;
    hop::Camera* camera;
    const Uint8* keyboard = nullptr;
};

}  // namespace lanehop
