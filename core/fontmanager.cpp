#include "fontmanager.h"

#include <FTGL/ftgl.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <GL/gl.h>

#include <fstream>

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
    auto font = std::make_unique<FTTextureFont>(path.c_str());
    if (font->Error() != 0 || !font->FaceSize(size, 72)) {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        const char* why = !in ? "falta el archivo" : in.tellg() == 0 ? "el archivo está vacío" : "no es una fuente legible";
        throw FontError("No se pudo cargar la fuente " + path + ": " + why);
    }
    // A file cut short still opens, but the glyphs past the cut come out
    // blank: the game would show no text and give no reason.
    const char blank = firstBlankGlyph(path);
    if (blank != 0)
        throw FontError("No se pudo cargar la fuente " + path + ": no dibuja el caracter '" + blank +
                        "' (archivo incompleto)");
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
