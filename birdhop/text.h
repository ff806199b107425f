// Text from a 16 x 16 grid of glyph cells in one image, in the HUD's
// -1 .. 1 coordinates. Each glyph is a size x size quad and the pen moves on
// 0.4 x size, so neighbouring quads overlap; the glyph art keeps its ink in
// the left part of its cell.
#pragma once

#include <string>
#include <vector>

namespace birdhop {

struct GlyphQuad {
    double x0, y0, x1, y1;  // lower-left and upper-right corners
    double s0, t0, s1, t1;  // texture rectangle
};

// The quads of `text` ("left" / "center" / "right", "top" / "center" /
// "bottom"); unknown alignment words count as "left" and "bottom".
// `lower` moves the text down by that much (HUD units).
std::vector<GlyphQuad> layoutText(const std::string& text, const std::string& horizontal,
                                  const std::string& vertical, double size, double lower = 0);

class TextRenderer {
public:
    static constexpr const char* kFontPath = "../resources/fuente_high.png";
    // Loads the font image (GL).
    TextRenderer();
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    void set(const std::string& text, const std::string& horizontal, const std::string& vertical, float size,
             double lower = 0);
    // In the current colour, over everything: the depth test stays off after.
    void draw() const;

    unsigned texture = 0;
    std::string text = "9812342", horizontal = "right", vertical = "top";
    float size = 0.2f;
    double lower = 0;
};

}  // namespace birdhop
