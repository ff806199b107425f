// Drawing the field: projections of both views, camera placement, the ten
// light presets, objects with their display lists, the ghost line and the
// HUD. Needs a current GL context.
#pragma once

#include <string>

#include "objetos.h"

namespace coopdash {

class Playfield;
class Texto;

// GL state set once: clear colour, depth test, normals kept unit length,
// light 0's own ambient term so faces turned from the light still read.
void setupGL();
// Projection of a view for a drawable of w x h pixels (fog in first person).
void setProjection(int view, int w, int h);
void applyLight(int preset);
void placeCamera(int view, const Pollo& player);
void drawObject(const Object& object, bool texturesOff);
// Rows, objects, the ghost and (top-down only) the chicken.
void drawField(const Playfield& field, int view, bool texturesOff);
// "Puntaje: " and "Tiempo: " over a translucent band at the top.
void drawHud(Texto& text, int score, double playTimeMs);

}  // namespace coopdash
