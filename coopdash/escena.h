// Drawing the field: projections of both views, camera placement, the ten
// light presets, objects with their display lists, the ghost line and the
// HUD. Needs a current GL context.
#pragma once

#include <string>

#include "objetos.h"
#include "playfield.h"

namespace coopdash {

class Texto;

// GL state set once: clear colour, depth test, normals kept unit length,
// light 0's own ambient term so faces turned from the light still read.
void setupGL();
// Projection of a view for a drawable of w x h pixels: the top-down view
// shows the same part of the world at every size, first person keeps w / h
// (and fogs).
void setProjection(int view, int w, int h);
void applyLight(int preset);
void placeCamera(int view, const Pollo& player);
void drawObject(const Object& object, bool texturesOff);
// Rows, objects, the ghost and (top-down only) the chicken, flattened while
// its death shows.
void drawField(const Playfield& field, int view, bool texturesOff);
// The words for what ended a run.
const char* deathText(Cause cause);
// Over the scene while a death shows (`shown`: 0 at the hit, 1 at the
// reset): a fading red flash and the cause in words on a band above the
// middle, where the chicken lies.
void drawDeath(Texto* text, Cause cause, double shown);
// "Puntaje: ", "RÉCORD: " (the best across runs) and "Tiempo: " over a
// translucent band at the top.
void drawHud(Texto& text, int score, double playTimeMs, long long best = 0);

}  // namespace coopdash
