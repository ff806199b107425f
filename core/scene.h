// A container of objects and a camera, ticked, drawn and fed input by the
// main loop. Objects are kept in a set ordered by address: inserting during
// a walk never moves the others, and removal during a tick is deferred.
#pragma once

#include <SDL2/SDL.h>

#include <queue>
#include <set>

#include "math/color.h"
#include "object.h"

namespace hop {

class Camera;

class Scene {
public:
    Scene() = default;
    explicit Scene(Camera* camera);
    virtual ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    virtual void draw() {}
    virtual void tick(float) {}
    virtual void input(SDL_Event, float) {}
    virtual void hud() {}

    // The scene owns the object from here on; inserting it twice does nothing.
    void loadObject(Object* o);
    // Removes and deletes at once. Never call it on an object during the
    // object walk of a tick: queue it instead.
    void freeObject(Object* o);
    // Deleted at the end of the current tick, after every object and the
    // camera have ticked; queuing one object twice deletes it once.
    void queueFreeObject(Object* o);

    void setClearColor(const Color& c) { clearColor = c; }
    const Color& getClearColor() const { return clearColor; }
    // Owned; a previous camera is deleted.
    void setCamera(Camera* c);
    Camera* getCamera() const { return camera; }
    const std::set<Object*>& getObjects() const { return objects; }

    void tickBase(float delta);
    void drawBase();
    void inputBase(SDL_Event e, float delta);

protected:
    Color clearColor{0, 0, 0, 1};
    Camera* camera = nullptr;
    std::set<Object*> objects;
    std::queue<Object*> tofreeObjects;
};

}  // namespace hop
