// Bitmap-font text: one texture and one display list per character 0..127,
// built from a TrueType face through FreeType.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace roosterway {

constexpr const char* kFontPath = "fonts/font_retro.ttf";
constexpr int kGlyphCount = 128;

// One rendered character, before it becomes a texture.
struct GlyphBitmap {
    int width = 0, rows = 0;            // the bitmap's size
    int textureWidth = 1, textureHeight = 1;  // next powers of two
    int left = 0, top = 0;              // bearing: pixels right of the pen, above the baseline
    float advance = 0;                  // pixels the pen moves on
    std::vector<std::uint8_t> texels;   // luminance 255 + alpha, textureWidth x textureHeight
};

// FreeType only, no GL: the 128 characters at `height` (character size
// height x height points at 96 dpi). Throws std::runtime_error with FreeType's
// messages ("FT_New_Face failed (there is probably a problem with your font
// file)", ...).
std::vector<GlyphBitmap> renderGlyphs(std::istream& in, int height);
// As renderGlyphs; the messages name the file ("No se pudo leer la fuente
// <path>: FT_New_Face failed ...").
std::vector<GlyphBitmap> renderGlyphsFile(const std::string& path, int height);

int nextPowerOfTwo(int v);

class FontFace {
public:
    // Reads kFontPath (or `path`) and builds the textures and lists; needs a
    // current GL context.
    explicit FontFace(int height, const std::string& path = kFontPath);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    int height;
    unsigned textures[kGlyphCount] = {};
    unsigned listBase = 0;
    float advance[kGlyphCount] = {};  // pen movement per character, for tests and layout checks
};

// Text at window pixels (x, y), origin bottom-left; "\n" starts a new line
// one line height (height / 0.63 + 10) lower. The 40-pixel font is centred on
// x by moving each line 23 pixels left per character; others start at x.
void drawText(const FontFace& font, const std::string& text, float x, float y);

// Line height and the left edge a line starts at, as drawText places them.
float lineHeight(int fontHeight);
float lineStartX(int fontHeight, const std::string& line, float x);

}  // namespace roosterway
