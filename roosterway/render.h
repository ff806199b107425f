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

// Where and how the chicken stands: at (x, height, z) turned to `facing`
// and squashed to scaleY.
struct ChickenPose {
    float x = 0, height = 0, z = 0, facing = 0, scaleY = 1;
};

// The shortcuts the scene is drawn with. Each leaves the picture as it was
// (a test draws the same frame with one off and on and compares); they are
// switches so that such a test can.
struct DrawShortcuts {
    // The scene is drawn without blending: every model is opaque (textures
    // without alpha, lit colour alpha 1), so blending over what lies behind
    // only cost the software renderer a read of every pixel it wrote.
    bool opaqueScene = true;
};
extern DrawShortcuts drawShortcuts;

// Lights, rows, obstacles, cars and the chicken.
void drawScene(const GameWorld& world, const ChickenPose& chicken, bool wireframe);

}  // namespace roosterway
