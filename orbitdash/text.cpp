#include "text.h"

#include <GL/gl.h>

namespace orbitdash {

bool glyphCell(char c, GlyphCell& cell) {
    const bool mapped = c == ' ' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!mapped) return false;
    const int k = static_cast<unsigned char>(c);
    cell = {k % 16, 15 - k / 16};
    return true;
}

void drawText(const std::string& text, float x, float y, float size) {
    constexpr float kCell = 1.0f / 16;
    glBegin(GL_QUADS);
    for (std::size_t i = 0; i < text.size(); ++i) {
        GlyphCell g;
        if (!glyphCell(text[i], g)) continue;  // unmapped: a blank
        const float x0 = x + size * float(i), u0 = float(g.column) * kCell, v0 = float(g.row) * kCell;
        glTexCoord2f(u0, v0);
        glVertex2f(x0, y);
        glTexCoord2f(u0 + kCell, v0);
        glVertex2f(x0 + size, y);
        glTexCoord2f(u0 + kCell, v0 + kCell);
        glVertex2f(x0 + size, y + size);
        glTexCoord2f(u0, v0 + kCell);
        glVertex2f(x0, y + size);
    }
    glEnd();
}

}  // namespace orbitdash
