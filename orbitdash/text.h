// Text cut from a 16 x 16 glyph atlas: the character with code k sits in
// column k mod 16 and row 15 - k / 16, rows counted from the bottom of the
// texture. The map holds the space, the digits and the letters; any other
// character draws as a blank of the same width.
#pragma once

#include <string>

namespace orbitdash {

struct GlyphCell {
    int column = 0, row = 0;
};

// False for a character outside the map.
bool glyphCell(char c, GlyphCell& cell);

// Left edge that centres `length` characters of `size` pixels on `centre`.
inline float centredX(float centre, int length, float size) { return centre - size * float(length) / 2; }

// Draws `text` with its lower-left corner at (x, y) of the current
// orthographic overlay, each character a size x size quad from the atlas.
// The caller binds the atlas and sets the colour.
void drawText(const std::string& text, float x, float y, float size);

}  // namespace orbitdash
