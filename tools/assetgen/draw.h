// Shapes drawn into an Image. Coordinates are pixels with (0,0) at the top
// left; the anti-aliased shapes take float centres where a pixel's centre is
// at (x + 0.5, y + 0.5).
#pragma once

#include "image.h"

namespace assetgen {

// Hard-edged, clipped to the image.
void fillRect(Image& img, int x, int y, int w, int h, Rgba c);
void strokeRect(Image& img, int x, int y, int w, int h, int thickness, Rgba c);
void verticalGradient(Image& img, Rgba top, Rgba bottom);
void horizontalGradient(Image& img, Rgba left, Rgba right);

// Anti-aliased. `softness` widens the edge ramp in pixels (1 = crisp).
void fillDisc(Image& img, float cx, float cy, float radius, Rgba c, float softness = 1.f);
void strokeCircle(Image& img, float cx, float cy, float radius, float thickness, Rgba c);
void fillRoundedRect(Image& img, float x, float y, float w, float h, float radius, Rgba c,
                     float softness = 1.f);
// A capsule: a segment thickened to `thickness` with round ends.
void drawLine(Image& img, float x0, float y0, float x1, float y1, float thickness, Rgba c);

}  // namespace assetgen
