#include "scene.h"

#include <GL/gl.h>

#include "camera.h"
#include "drawing.h"
#include "mainloop.h"

namespace hop {

Scene::Scene(Camera* c) : camera(c) {}

Scene::~Scene() {
    for (Object* o : objects) delete o;
    objects.clear();
    delete camera;
}

void Scene::loadObject(Object* o) {
    if (o) objects.insert(o);
}

void Scene::freeObject(Object* o) {
    // Only what is still in the scene is deleted: a second free of the same
    // pointer would otherwise delete it twice.
    if (objects.erase(o) > 0) delete o;
}

void Scene::queueFreeObject(Object* o) { tofreeObjects.push(o); }

void Scene::setCamera(Camera* c) {
    if (c == camera) return;
    delete camera;
    camera = c;
}

void Scene::tickBase(float delta) {
    tick(delta);
    // Objects may insert others during the walk (a spawner adds cars); a
    // std::set keeps the iterator valid across insertion.
    for (auto it = objects.begin(); it != objects.end(); ++it) (*it)->tickBase(delta);
    if (camera) camera->tick(delta);
    while (!tofreeObjects.empty()) {
        freeObject(tofreeObjects.front());
        tofreeObjects.pop();
    }
}

void Scene::drawBase() {
    glClearColor(clearColor.r, clearColor.g, clearColor.b, clearColor.a);
    if (camera) camera->draw();
    MainLoop* ml = MainLoop::getInstance();
    ml->blendPass(false);
    for (Object* o : objects) o->drawBase();
    draw();
    ml->blendPass(true);
    for (Object* o : objects) o->drawBlend();
    // The 3D picture is complete: hand it to the renderer now, so that a
    // software renderer's threads shade it while this thread draws the HUD,
    // rather than all of it at the swap. Its tiles are shaded in one pass as
    // before; only those the HUD covers are visited again for the overlay.
    if (fastDrawing) glFlush();
    switchTo2DProjection();
    hud();
    switchTo3DProjection();
}

void Scene::inputBase(SDL_Event e, float delta) {
    if (camera) camera->input(e, delta);
    input(e, delta);
    for (auto it = objects.begin(); it != objects.end(); ++it) (*it)->inputBase(e, delta);
}

}  // namespace hop
