#include "text.h"

#include <GL/gl.h>

#include "texture.h"

namespace birdhop {

namespace {
constexpr double kAdvance = 0.4;  // pen movement per glyph, in glyph sizes
constexpr double kCell = 1.0 / 16;
}  // namespace

std::vector<GlyphQuad> layoutText(const std::string& text, const std::string& horizontal,
                                  const std::string& vertical, double s, double lower) {
    const double n = double(text.size());
    double x = -1;
    if (horizontal == "right") x = 1 - (n + 1) * kAdvance * s;
    else if (horizontal == "center") x = -(n + 0.5) * 0.2 * s;
    double y = -1;
    if (vertical == "top") y = 1 - s;
    else if (vertical == "center") y = -s / 2;
    y -= lower;
    std::vector<GlyphQuad> out;
    out.reserve(text.size());
    for (const char ch : text) {
        const int c = static_cast<unsigned char>(ch);
        const int col = c % 16, row = c / 16;
        out.push_back({x, y, x + s, y + s, col * kCell, 1 - (row + 1) * kCell, (col + 1) * kCell, 1 - row * kCell});
        x += kAdvance * s;
    }
    return out;
}

TextRenderer::TextRenderer() { texture = loadTexture32(kFontPath, GL_NEAREST); }

TextRenderer::~TextRenderer() {
    if (texture) glDeleteTextures(1, &texture);
}

void TextRenderer::set(const std::string& t, const std::string& h, const std::string& v, float s, double low) {
    text = t;
    horizontal = h;
    vertical = v;
    size = s;
    lower = low;
}

void TextRenderer::draw() const {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    for (const GlyphQuad& q : layoutText(text, horizontal, vertical, size, lower)) {
        glTexCoord2d(q.s0, q.t0);
        glVertex2d(q.x0, q.y0);
        glTexCoord2d(q.s1, q.t0);
        glVertex2d(q.x1, q.y0);
        glTexCoord2d(q.s1, q.t1);
        glVertex2d(q.x1, q.y1);
        glTexCoord2d(q.s0, q.t1);
        glVertex2d(q.x0, q.y1);
    }
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

}  // namespace birdhop
