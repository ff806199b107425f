// Drawing of OBJ models: each face as one polygon, compiled once per model
// (or per material group) into a display list.
#include <GL/gl.h>

#include "modelo.h"

namespace marsdash {

Modelo::~Modelo() {
    for (unsigned l : listas_)
        if (l) glDeleteLists(l, 1);
}

void Modelo::drawCaras(std::size_t desde, std::size_t hasta) const {
    std::size_t k = 0;
    for (std::size_t f = 0; f < desde; ++f) k += std::size_t(esquinas[f]);
    for (std::size_t f = desde; f < hasta; ++f) {
        glBegin(GL_POLYGON);
        for (int c = 0; c < esquinas[f]; ++c, ++k) {
            glNormal3fv(normales[std::size_t(iNormal[k] - 1)].data());
            glTexCoord2fv(texturas[std::size_t(iTextura[k] - 1)].data());
            glVertex3fv(puntos[std::size_t(iPunto[k] - 1)].data());
        }
        glEnd();
    }
}

unsigned Modelo::lista(std::size_t clave, std::size_t desde, std::size_t hasta) const {
    if (listas_.size() <= clave) listas_.resize(clave + 1, 0);
    unsigned& l = listas_[clave];
    if (!l) {
        l = glGenLists(1);
        if (!l) return 0;
        glNewList(l, GL_COMPILE);
        drawCaras(desde, hasta);
        glEndList();
    }
    return l;
}

void Modelo::draw() const {
    if (vacio()) return;
    if (const unsigned l = lista(0, 0, caras())) glCallList(l);
}

void Modelo::drawGrupo(int grupo) const {
    if (grupo < 0 || std::size_t(grupo) >= grupos.size()) return;
    std::size_t desde = 0;
    for (int g = 0; g < grupo; ++g) desde += std::size_t(grupos[std::size_t(g)]);
    const std::size_t hasta = std::min(caras(), desde + std::size_t(grupos[std::size_t(grupo)]));
    if (desde >= hasta) return;
    if (const unsigned l = lista(std::size_t(grupo) + 1, desde, hasta)) glCallList(l);
}

}  // namespace marsdash
