// Drawing the world: bodies, particle cubes, the ground and the lights.
#pragma once

#include <vector>

#include "body.h"
#include "game.h"
#include "particles.h"

namespace birdhop {

// Untextured surfaces keep their colour when the textures switch is off.
struct SurfaceColour {
    float r, g, b;
};
constexpr SurfaceColour kGrassColour{0.35f, 0.7f, 0.3f};
constexpr SurfaceColour kRoadColour{0.32f, 0.33f, 0.36f};

// Filled, the models' back faces are skipped: each lies behind a front face
// of its own model, and most of a tree's or a car's pixels were its back
// faces, drawn and then hidden. What changes is a pixel here and there on a
// silhouette, where a back face won the depth test against the front face
// sharing its edge. Wireframe draws every edge. Off: every face is drawn.
inline bool cullModelBackFaces = true;

void drawBody(const Body& body, bool textures);
// Bodies of one model, the state set once for all of them.
void drawBodies(const std::vector<const Body*>& bodies, bool textures);
// False when everything the body's model draws, placed, turned and scaled as
// the body is, lies outside the view volume of `clip` (projection x
// model-view, column-major).
bool bodyInView(const double clip[16], const Body& body);
void drawCube(const Cube& cube);
void drawBurst(const ParticleBurst& burst);
// Before the rows: a strip of grass under the bird's path and a wide grey
// plane below it, reaching 100 units past the bird.
void drawGround(double birdZ, unsigned grassTexture, bool textures);
// Lights 0 and 1 along the direction (coloured by the switches), light 2
// white; lighting itself is switched on per body.
void setLights(const RenderFlags& flags, const Vec3d& direction);
// Binds `texture` when textures are on, else sets the fallback colour.
void surface(unsigned texture, bool textures, SurfaceColour fallback);
void endSurface(bool textures);

}  // namespace birdhop
