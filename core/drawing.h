// Immediate-mode drawing routines of the engine.
#pragma once

#include "math/color.h"
#include "math/vector3.h"

namespace hop {

// Drawing shortcuts that leave the picture as it was: opaque passes drawn
// unblended, faces that are always hidden left out, glyph textures sized to
// the glyphs drawn (for fonts loaded while it is set), the 3D picture handed
// to the renderer before the HUD is drawn. On by default; GL
// tests draw the same frames with and without them and compare every pixel.
extern bool fastDrawing;

void glTranslateVector3(const Vector3& v);
// glRotatef about X, then Y, then Z; degrees.
void glRotateVector3(const Vector3& v);
void glScaleVector3(const Vector3& v);
void glColorColor(const Color& c);
// The tint under a texture when texturing is on, else 0.75 x the plain colour.
void setDefaultColor(const Color& cTexDisabled, const Color& cTexEnabled);
// The colour setDefaultColor would set.
Color defaultColor(const Color& cTexDisabled, const Color& cTexEnabled, bool textureOn);

// Which faces a box of extent `width` has (no GL): each pair needs its two
// in-plane extents non-zero; the second face of a pair also needs the third.
struct CuboidFaces {
    bool back = false, front = false, top = false, bottom = false, left = false, right = false;
};
CuboidFaces cuboidFaces(const Vector3& width);

// Axis-aligned box from origin to origin + width (components may be negative
// or zero). `texture`: one name, or six (back, front, top, bottom, left,
// right) with multiTexture; used only while the texture switch is on.
void drawCuboid(Vector3 origin, Vector3 width, Vector3 shrink = {}, const unsigned int* texture = nullptr,
                bool multiTexture = false, Vector3 coordShift = {});
// The same faces wound and lit the other way: seen from inside.
void drawCuboidReversed(Vector3 origin, Vector3 width, Vector3 shrink = {}, const unsigned int* texture = nullptr,
                        bool multiTexture = false, Vector3 coordShift = {});
// The quads of a box (or of its reversed form) with normals and texture
// coordinates, for callers batching many boxes inside one
// glBegin(GL_QUADS) ... glEnd() under one texture.
void emitCuboid(Vector3 origin, Vector3 width, bool reversed = false);
// The same, with only those of its faces that `which` names.
void emitCuboidFaces(Vector3 origin, Vector3 width, const CuboidFaces& which, bool reversed = false);
// A flat box in the 2D projection; arguments are fractions of the window.
void drawRectangle(float x, float y, float widthX, float widthY, const unsigned int* texture = nullptr);

}  // namespace hop
