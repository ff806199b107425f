#include "fontmanager.h"

#include <FTGL/ftgl.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "drawing.h"
#include "files.h"
#include "mainloop.h"
#include "utf8.h"

namespace hop {

namespace {

// The first of the letters and digits that the face at `path` has no outline
// for, or 0 when it draws them all. FreeType only: no GL context needed.
char firstBlankGlyph(const std::string& path) {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib)) return 0;
    FT_Face face = nullptr;
    char blank = 0;
    if (FT_New_Face(lib, path.c_str(), 0, &face) == 0) {
        for (char c : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) {
            const bool drawn = FT_Load_Char(face, FT_ULong(c), FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) == 0 &&
                               face->glyph->format == FT_GLYPH_FORMAT_OUTLINE && face->glyph->outline.n_points > 0;
            if (!drawn) {
                blank = c;
                break;
            }
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(lib);
    return blank;
}

// Where a TrueType or OpenType file's table directory says its tables end,
// when that is past the file's `size` bytes (a file cut short); 0 when every
// table lies inside it or the file has no such directory (FreeType judges).
std::uint64_t tablesEndPast(const std::string& path, std::uint64_t size) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[12];
    if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return 0;
    const auto be32 = [](const unsigned char* p) {
        return std::uint64_t(p[0]) << 24 | std::uint64_t(p[1]) << 16 | std::uint64_t(p[2]) << 8 | p[3];
    };
    const std::uint64_t version = be32(head);
    if (version != 0x00010000 && version != 0x4F54544F && version != 0x74727565) return 0;  // 1.0, OTTO, true
    const int tables = head[4] << 8 | head[5];
    std::uint64_t end = 12 + 16 * std::uint64_t(tables);
    for (int t = 0; t < tables; ++t) {
        unsigned char record[16];
        if (!in.read(reinterpret_cast<char*>(record), sizeof record)) break;
        end = std::max(end, be32(record + 8) + be32(record + 12));
    }
    return end > size ? end : 0;
}

int nextPowerOf2(int n) {
    int p = 1;
    while (p < n) p *= 2;
    return p;
}

// An FTGL texture font whose glyph textures grow with the glyphs drawn.
// FTGL's own sizes its first texture for every glyph of the face (731 for
// the cartoon face), up to the renderer's largest texture: 16384 texels
// wide on llvmpipe, 8 to 64 MB per font size, nearly all of it never used.
// Here each page holds 16 x 4 glyph cells and another is made when one
// fills. Glyphs sit in their cells as FTGL places them (3 texels apart,
// sampled through the same power-of-two texture coordinates) and every
// glyph keeps a border of empty texels, so the text draws the same.
class PagedTextureFont : public FTTextureFont {
public:
    using FTTextureFont::FTTextureFont;
    ~PagedTextureFont() override {
        if (!pages.empty()) glDeleteTextures(GLsizei(pages.size()), pages.data());
    }

protected:
    FTGlyph* MakeGlyph(FT_GlyphSlot slot) override {
        const FT_Face face = slot->face;
        const FT_Size_Metrics& m = face->size->metrics;
        const float em = float(face->units_per_EM);
        // A cell as large as the face's bounding box at this size (FTGL's).
        const int cellW = std::max(1, int(float(face->bbox.xMax - face->bbox.xMin) * float(m.x_ppem) / em + 0.5f));
        const int cellH = std::max(1, int(float(face->bbox.yMax - face->bbox.yMin) * float(m.y_ppem) / em + 0.5f));
        if (pages.empty() || x > pageW - cellW) {
            x = kPadding;
            y += cellH + kPadding;
            if (pages.empty() || y > pageH - cellH) newPage(cellW, cellH);
        }
        auto* glyph = new FTTextureGlyph(slot, int(pages.back()), x, y, pageW, pageH);
        x += int(glyph->BBox().Upper().X() - glyph->BBox().Lower().X() + float(kPadding) + 0.5f);
        return glyph;
    }

private:
    static constexpr int kPadding = 3;

    void newPage(int cellW, int cellH) {
        GLint most = 1024;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
        pageW = std::min(int(most), nextPowerOf2(16 * (cellW + kPadding) + 2 * kPadding));
        pageH = std::min(int(most), nextPowerOf2(4 * (cellH + kPadding) + 2 * kPadding));
        const std::vector<unsigned char> zeros(std::size_t(pageW) * std::size_t(pageH), 0);
        GLuint id = 0;
        glGenTextures(1, &id);
        glBindTexture(GL_TEXTURE_2D, id);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, pageW, pageH, 0, GL_ALPHA, GL_UNSIGNED_BYTE, zeros.data());
        pages.push_back(id);
        x = y = kPadding;
    }

    std::vector<GLuint> pages;
    int pageW = 0, pageH = 0, x = kPadding, y = kPadding;
};

}  // namespace

FontManager* FontManager::getInstance() {
    static FontManager instance;
    return &instance;
}

FontManager::~FontManager() = default;

std::string FontManager::pathOf(const std::string& name) {
    // The engine's paths are written from the source folder and lose their
    // first character: "../resources" opens ./resources under the working folder.
    return std::string("../resources/fonts/" + name + ".ttf").substr(1);
}

void FontManager::loadFont(const std::string& name, unsigned size) {
    const std::string k = key(name, int(size));
    if (fonts.count(k)) return;
    const std::string path = pathOf(name);
    // FTGL opens whatever it is given: a pipe would block it.
    const std::string problem = fileProblem(path);
    if (!problem.empty()) throw FontError("No se pudo cargar la fuente " + path + ": " + problem);
    std::unique_ptr<FTFont> font;
    if (fastDrawing)
        font = std::make_unique<PagedTextureFont>(path.c_str());
    else
        font = std::make_unique<FTTextureFont>(path.c_str());
    if (font->Error() != 0 || !font->FaceSize(size, 72)) {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        const char* why = !in ? "no se puede abrir" : in.tellg() == 0 ? "el archivo está vacío" : "no es una fuente legible";
        throw FontError("No se pudo cargar la fuente " + path + ": " + why);
    }
    // A file cut short still opens, and may draw every letter and digit:
    // what was past the cut (accents, kerning) is gone all the same.
    std::error_code error;
    const std::uint64_t bytes = std::filesystem::file_size(path, error);
    if (const std::uint64_t end = error ? 0 : tablesEndPast(path, bytes))
        throw FontError("No se pudo cargar la fuente " + path + ": archivo incompleto (tiene " + std::to_string(bytes) +
                        " bytes, sus tablas llegan a " + std::to_string(end) + ")");
    // Tables that are whole may still leave glyphs blank: the game would
    // show no text and give no reason.
    const char blank = firstBlankGlyph(path);
    if (blank != 0)
        throw FontError("No se pudo cargar la fuente " + path + ": no dibuja el carácter '" + blank + "'");
    fonts[k] = std::move(font);
}

FTFont* FontManager::getFont(const std::string& name, int size) const { return fonts.at(key(name, size)).get(); }

void FontManager::clear() { fonts.clear(); }

void renderText(const std::string& rawText, float x, float y, const Color& color, const std::string& fontName,
                int fontSize, float maxWidth) {
    // FTGL decodes UTF-8 without bounds checks: a broken sequence, wherever
    // the text came from, must not reach it.
    const std::string text = validUtf8(rawText);
    MainLoop* ml = MainLoop::getInstance();
    glEnable(GL_TEXTURE_2D);
    FTFont* font = FontManager::getInstance()->getFont(fontName, fontSize);
    glColor4f(color.r, color.g, color.b, color.a);
    float s = ml->getTextScale();
    if (maxWidth > 0) {
        const float advance = font->Advance(text.c_str()) * s, limit = maxWidth * float(ml->getWindowSizeWidth());
        if (advance > limit) s *= limit / advance;
    }
    glPushMatrix();
    glTranslatef(x * float(ml->getWindowSizeWidth()), y * float(ml->getWindowSizeHeight()), 0);
    glScalef(s, s, 1);
    font->Render(text.c_str(), -1, FTPoint(0, 0, 0), FTPoint(), FTGL::RENDER_ALL);
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
}

}  // namespace hop
