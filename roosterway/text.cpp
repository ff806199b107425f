#include "text.h"

#include <GL/gl.h>
#include <sys/stat.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace roosterway {

namespace {

constexpr int kDpi = 96;
constexpr int kCentredHeight = 40;
constexpr float kCentreShift = 23.f;  // pixels per character of a centred line

// Frees FreeType objects on every path out.
struct FreeTypeLibrary {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeLibrary() {
        if (face) FT_Done_Face(face);
        if (lib) FT_Done_FreeType(lib);
    }
};

GlyphBitmap renderOne(FT_Face face, int code) {
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, FT_ULong(code)), FT_LOAD_DEFAULT))
        throw std::runtime_error("FT_Load_Glyph failed");
    FT_Glyph glyph = nullptr;
    if (FT_Get_Glyph(face->glyph, &glyph)) throw std::runtime_error("FT_Get_Glyph failed");
    if (FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1)) {
        FT_Done_Glyph(glyph);
        throw std::runtime_error("FT_Glyph_To_Bitmap failed");
    }
    const FT_BitmapGlyph bitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(glyph);
    const FT_Bitmap& bitmap = bitmapGlyph->bitmap;
    GlyphBitmap g;
    g.width = int(bitmap.width);
    g.rows = int(bitmap.rows);
    g.left = bitmapGlyph->left;
    g.top = bitmapGlyph->top;
    g.advance = float(face->glyph->advance.x) / 64.f;
    g.textureWidth = nextPowerOfTwo(g.width);
    g.textureHeight = nextPowerOfTwo(g.rows);
    g.texels.assign(std::size_t(g.textureWidth) * std::size_t(g.textureHeight) * 2, 0);
    // Only 8-bit grey bitmaps carry coverage per byte; anything else stays blank.
    const bool grey = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
    for (int j = 0; j < g.textureHeight; ++j)
        for (int i = 0; i < g.textureWidth; ++i) {
            const std::size_t t = 2 * (std::size_t(i) + std::size_t(j) * std::size_t(g.textureWidth));
            g.texels[t] = 255;
            if (grey && i < g.width && j < g.rows)
                g.texels[t + 1] = bitmap.buffer[i + j * bitmap.pitch];
        }
    FT_Done_Glyph(glyph);
    return g;
}

}  // namespace

int nextPowerOfTwo(int v) {
    int p = 1;
    while (p < v) p <<= 1;
    return p;
}

std::vector<GlyphBitmap> renderGlyphs(std::istream& in, int height) {
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    FreeTypeLibrary ft;
    if (FT_Init_FreeType(&ft.lib)) throw std::runtime_error("FT_Init_FreeType failed");
    if (bytes.empty() ||
        FT_New_Memory_Face(ft.lib, reinterpret_cast<const FT_Byte*>(bytes.data()), FT_Long(bytes.size()), 0, &ft.face))
        throw std::runtime_error("FT_New_Face failed (there is probably a problem with your font file)");
    if (FT_Set_Char_Size(ft.face, height * 64, height * 64, kDpi, kDpi))
        throw std::runtime_error("FT_Set_Char_Size failed");
    std::vector<GlyphBitmap> glyphs;
    glyphs.reserve(kGlyphCount);
    for (int c = 0; c < kGlyphCount; ++c) glyphs.push_back(renderOne(ft.face, c));
    // A file cut short still opens: its glyphs past the cut come out blank,
    // and every screen would be empty without a word.
    for (char c : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) {
        const GlyphBitmap& g = glyphs[std::size_t(c)];
        if (g.width == 0 || g.rows == 0)
            throw std::runtime_error(std::string("la fuente no dibuja el caracter '") + c + "' (archivo incompleto)");
    }
    return glyphs;
}

std::vector<GlyphBitmap> renderGlyphsFile(const std::string& path, int height) {
    // A folder or a pipe is refused before it is opened: a pipe would block.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
        throw std::runtime_error("No se pudo leer la fuente " + path + ": no es un archivo");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
        throw std::runtime_error("No se pudo abrir la fuente " + path +
                                 ": FT_New_Face failed (there is probably a problem with your font file)");
    }
    try {
        return renderGlyphs(in, height);
    } catch (const std::runtime_error& e) {
        // FreeType's reason alone does not say which file it was.
        throw std::runtime_error("No se pudo leer la fuente " + path + ": " + e.what());
    }
}

FontFace::FontFace(int h, const std::string& path) : height(h) {
    const std::vector<GlyphBitmap> glyphs = renderGlyphsFile(path, h);
    glGenTextures(kGlyphCount, textures);
    listBase = glGenLists(kGlyphCount);
    for (int c = 0; c < kGlyphCount; ++c) {
        const GlyphBitmap& g = glyphs[std::size_t(c)];
        advance[c] = g.advance;
        glBindTexture(GL_TEXTURE_2D, textures[c]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, g.textureWidth, g.textureHeight, 0, GL_LUMINANCE_ALPHA,
                     GL_UNSIGNED_BYTE, g.texels.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

        const float s = float(g.width) / float(g.textureWidth), t = float(g.rows) / float(g.textureHeight);
        glNewList(listBase + unsigned(c), GL_COMPILE);
        glBindTexture(GL_TEXTURE_2D, textures[c]);
        glPushMatrix();
        glTranslatef(float(g.left), 0, 0);
        glTranslatef(0, float(g.top) - float(g.rows) * 0.9f, 0);
        // Bitmap rows run top to bottom: texture row 0 goes at the top.
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(0, float(g.rows));
        glTexCoord2f(0, t);
        glVertex2f(0, 0);
        glTexCoord2f(s, t);
        glVertex2f(float(g.width), 0);
        glTexCoord2f(s, 0);
        glVertex2f(float(g.width), float(g.rows));
        glEnd();
        glPopMatrix();
        glTranslatef(g.advance, 0, 0);
        glEndList();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

FontFace::~FontFace() {
    glDeleteLists(listBase, kGlyphCount);
    glDeleteTextures(kGlyphCount, textures);
}

float lineHeight(int fontHeight) { return float(fontHeight) / 0.63f + 10.f; }

float lineStartX(int fontHeight, const std::string& line, float x) {
    return fontHeight == kCentredHeight ? x - kCentreShift * float(line.size()) : x;
}

void drawText(const FontFace& font, const std::string& text, float x, float y) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TRANSFORM_BIT | GL_LIST_BIT | GL_TEXTURE_BIT |
                 GL_POLYGON_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glListBase(font.listBase);

    const float step = lineHeight(font.height);
    std::size_t start = 0;
    for (int i = 0;; ++i) {
        const std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        // Only characters 0..127 have lists; anything else shows as '?'.
        for (char& ch : line)
            if (static_cast<unsigned char>(ch) >= kGlyphCount) ch = '?';
        glLoadIdentity();
        glTranslatef(lineStartX(font.height, line, x), y - float(i) * step, 0);
        glCallLists(GLsizei(line.size()), GL_UNSIGNED_BYTE, line.data());
        if (end == std::string::npos) break;
        start = end + 1;
    }

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

}  // namespace roosterway
