#include "fuente.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include <GL/gl.h>

#include <cstdio>
#include <vector>

#include "archivo.h"

namespace marsdash {

namespace {

int potenciaDeDos(int a) {
    int r = 1;
    while (r < a) r <<= 1;
    return r;
}

// Renders one character into texture `tex` and records list `lista`: bind,
// one quad of the bitmap's size at the glyph's bearing, advance.
int glifo(FT_Face cara, unsigned char ch, unsigned lista, unsigned tex) {
    if (FT_Load_Glyph(cara, FT_Get_Char_Index(cara, ch), FT_LOAD_DEFAULT)) throw ErrorFuente("FT_Load_Glyph failed");
    FT_Glyph g;
    if (FT_Get_Glyph(cara->glyph, &g)) throw ErrorFuente("FT_Get_Glyph failed");
    FT_Glyph_To_Bitmap(&g, FT_RENDER_MODE_NORMAL, nullptr, 1);
    const FT_BitmapGlyph bg = reinterpret_cast<FT_BitmapGlyph>(g);
    const FT_Bitmap& bm = bg->bitmap;
    const int w = potenciaDeDos(int(bm.width)), h = potenciaDeDos(int(bm.rows));
    std::vector<unsigned char> datos(std::size_t(2 * w * h), 0);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const bool dentro = i < int(bm.width) && j < int(bm.rows);
            const unsigned char v = dentro ? bm.buffer[i + bm.pitch * j] : 0;
            datos[std::size_t(2 * (i + j * w))] = 255;  // luminance: white, coloured by glColor
            datos[std::size_t(2 * (i + j * w) + 1)] = v;
        }
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, w, h, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, datos.data());

    const float x = float(bm.width) / float(w), y = float(bm.rows) / float(h);
    const int avance = int(cara->glyph->advance.x >> 6);
    glNewList(lista, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, tex);
    glPushMatrix();
    glTranslatef(float(bg->left), float(bg->top) - float(bm.rows), 0);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, float(bm.rows));
    glTexCoord2f(0, y);
    glVertex2f(0, 0);
    glTexCoord2f(x, y);
    glVertex2f(float(bm.width), 0);
    glTexCoord2f(x, 0);
    glVertex2f(float(bm.width), float(bm.rows));
    glEnd();
    glPopMatrix();
    glTranslatef(float(avance), 0, 0);
    glEndList();
    FT_Done_Glyph(g);
    return avance;
}

}  // namespace

Fuente::Fuente(const std::string& ruta) {
    // FreeType opens whatever it is given: a pipe would block it.
    const std::string problema = problemaDeArchivo(ruta);
    if (!problema.empty()) {
        std::printf("ROMPIO\n");
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s; the texts are not drawn\n", ruta.c_str(), problema.c_str());
        return;
    }
    FT_Library lib;
    if (FT_Init_FreeType(&lib)) {
        std::printf("ROMPIO\n");
        std::fflush(stdout);
        return;
    }
    FT_Face cara;
    if (const FT_Error error = FT_New_Face(lib, ruta.c_str(), 0, &cara)) {
        std::printf("ROMPIO\n");
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s; the texts are not drawn\n", ruta.c_str(),
                     error == FT_Err_Cannot_Open_Resource ? "cannot open the file" : "not a font FreeType can read");
        FT_Done_FreeType(lib);
        return;
    }
    FT_Set_Char_Size(cara, FT_F26Dot6(altura * 64), FT_F26Dot6(altura * 64), 96, 96);
    base_ = glGenLists(128);
    glGenTextures(128, texturas_);
    try {
        for (int c = 0; c < 128; ++c) avance_[c] = glifo(cara, (unsigned char)c, base_ + unsigned(c), texturas_[c]);
    } catch (const ErrorFuente& e) {
        FT_Done_Face(cara);
        FT_Done_FreeType(lib);
        throw ErrorFuente(ruta + ": " + e.what());
    }
    FT_Done_Face(cara);
    FT_Done_FreeType(lib);
}

Fuente::~Fuente() {
    if (base_) {
        glDeleteLists(base_, 128);
        glDeleteTextures(128, texturas_);
    }
}

int Fuente::ancho(const std::string& texto) const {
    int w = 0;
    for (unsigned char c : texto)
        if (c < 128) w += avance_[c];
    return w;
}

void Fuente::imprimir(float x, float y, const std::string& texto) const {
    if (!valida() || texto.empty()) return;
    GLint vista[4];
    glGetIntegerv(GL_VIEWPORT, vista);
    glPushAttrib(GL_LIST_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT | GL_COLOR_BUFFER_BIT |
                 GL_TEXTURE_BIT | GL_POLYGON_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(vista[0], vista[0] + vista[2], vista[1], vista[1] + vista[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glTranslatef(x, y, 0);
    // Bytes outside 0..127 have no list: skip them rather than call one.
    std::string ascii;
    for (unsigned char c : texto)
        if (c < 128) ascii += char(c);
    glListBase(base_);
    glCallLists(GLsizei(ascii.size()), GL_UNSIGNED_BYTE, ascii.data());
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

}  // namespace marsdash
