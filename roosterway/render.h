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
    // Solid drawing: trees, boulders, cars and the chicken go before the
    // rows, so the rows' pixels behind them fail the depth test before they
    // are shaded. The rows then pass on equal depth (GL_LEQUAL), so a row
    // still wins a tie with a model as when it was drawn first. Alone it
    // would let the hidden front face of a row show in a few seam pixels,
    // where it meets the top of the row before at exactly equal depth;
    // rowTopsOnly leaves those faces out. Wireframe keeps the old order:
    // there every edge is drawn twice at equal depth, and lines cost little.
    bool modelsBeforeRows = true;
    // Solid drawing: the rows between the first and the last are drawn as
    // their tops alone. The rows lie side by side as one slab under an eye
    // that is always above it and inside its width, so their other faces can
    // only show at the slab's two ends; drawn, they were rasterised only to
    // fail the depth test, or to poke through a seam between two tops as a
    // stray dark pixel.
    bool rowTopsOnly = true;
};
extern DrawShortcuts drawShortcuts;

// Lights, rows, obstacles, cars and the chicken.
void drawScene(const GameWorld& world, const ChickenPose& chicken, bool wireframe);

}  // namespace roosterway
