// Drawing the field: lights, rows, obstacles, cars, the chicken and the camera.
#pragma once

#include "camera.h"

namespace roosterway {

class GameWorld;

// GL state set once at start-up: blending, clear colour, the perspective
// projection for a width x height window, depth test.
void setupGL(int width, int height);

// Enables and places GL_LIGHT0/GL_LIGHT1 for light mode 0..3 under the
// current model-view matrix.
void setupLights(int lightMode);

void applyCamera(const CameraPose& pose);

// Rows, obstacles and cars (no movement).
void drawWorld(const GameWorld& world, bool wireframe);
// Moves the cars by dtMilliseconds, then draws.
void updateAndDrawWorld(GameWorld& world, float dtMilliseconds, bool wireframe);

// The chicken at (x, height, z) turned to `facing` and squashed to scaleY.
void drawChicken(const GameWorld& world, float x, float height, float z, float facing, float scaleY,
                 bool wireframe);

}  // namespace roosterway
