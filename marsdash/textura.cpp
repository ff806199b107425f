#include "textura.h"

#include <FreeImage.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstring>

#include "archivo.h"

namespace marsdash {

bool Textura::cargar(const std::string& ruta) {
    ancho = alto = 0;
    bgr_.clear();
    // FreeImage opens whatever it is given: a pipe would block it.
    const std::string problema = problemaDeArchivo(ruta);
    if (!problema.empty()) {
        std::fprintf(stderr, "%s: %s; drawn untextured\n", ruta.c_str(), problema.c_str());
        return false;
    }
    FREE_IMAGE_FORMAT formato = FreeImage_GetFIFFromFilename(ruta.c_str());
    // A name without a known extension: let the content decide.
    if (formato == FIF_UNKNOWN) formato = FreeImage_GetFileType(ruta.c_str(), 0);
    FIBITMAP* imagen = formato == FIF_UNKNOWN ? nullptr : FreeImage_Load(formato, ruta.c_str(), 0);
    FIBITMAP* rgb = imagen ? FreeImage_ConvertTo24Bits(imagen) : nullptr;
    if (imagen) FreeImage_Unload(imagen);
    if (!rgb) {
        std::fprintf(stderr, "%s: cannot read the image; drawn untextured\n", ruta.c_str());
        return false;
    }
    const int w = int(FreeImage_GetWidth(rgb)), h = int(FreeImage_GetHeight(rgb));
    bgr_.resize(std::size_t(w) * std::size_t(h) * 3);
    for (int fila = 0; fila < h; ++fila)  // FreeImage pads its scanlines
        std::memcpy(&bgr_[std::size_t(fila) * std::size_t(w) * 3], FreeImage_GetScanLine(rgb, fila),
                    std::size_t(w) * 3);
    FreeImage_Unload(rgb);
    ancho = w;
    alto = h;
    return w > 0 && h > 0;
}

Textura::~Textura() {
    if (id_) glDeleteTextures(1, &id_);
}

unsigned Textura::id() {
    if (id_ || !valida()) return id_;
    glGenTextures(1, &id_);
    glBindTexture(GL_TEXTURE_2D, id_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, ancho, alto, 0, GL_BGR, GL_UNSIGNED_BYTE, bgr_.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    bgr_.clear();
    bgr_.shrink_to_fit();
    return id_;
}

}  // namespace marsdash
