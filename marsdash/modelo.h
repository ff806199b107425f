// The game's OBJ models: positions, texture coordinates, normals and
// polygons of any corner count, optionally split into material groups by
// their "usemtl" lines (the crossing ship gives each group its own colour).
#pragma once

#include <array>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace marsdash {

struct ErrorModelo : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Modelo {
public:
    Modelo() = default;
    ~Modelo();
    Modelo(const Modelo&) = delete;
    Modelo& operator=(const Modelo&) = delete;
    Modelo(Modelo&&) = default;  // the source keeps no display lists

    std::vector<std::array<float, 3>> puntos;
    std::vector<std::array<float, 2>> texturas;
    std::vector<std::array<float, 3>> normales;
    // Corners of every face in order, as 1-based indices into the lists
    // above (three parallel arrays), and the corner count of each face.
    std::vector<int> iPunto, iTextura, iNormal;
    std::vector<int> esquinas;
    // Faces per material group, in file order; empty when the model was
    // read without materials.
    std::vector<int> grupos;

    bool vacio() const { return esquinas.empty(); }
    std::size_t caras() const { return esquinas.size(); }
    void limpiar();

    // Drawing (GL): every face, or the faces of one material group. Each is
    // compiled into a display list on first use.
    void draw() const;
    void drawGrupo(int grupo) const;

private:
    void drawCaras(std::size_t desde, std::size_t hasta) const;
    unsigned lista(std::size_t clave, std::size_t desde, std::size_t hasta) const;
    mutable std::vector<unsigned> listas_;  // [0]: whole model, [1 + g]: group g
};

// Reads "v", "vt", "vn", "f" (corners written p/t/n) and, when `materiales`
// is set, "usemtl" lines, each of which closes the group of faces before it;
// the last group closes at the end of the input and empty groups are not
// kept. Other lines are skipped. Throws ErrorModelo naming the line for a
// number that does not parse, a corner not written p/t/n, a face of fewer
// than three corners, or an index outside the lists read.
void leerModelo(std::istream& in, bool materiales, Modelo& modelo);

// Opens the file and reads it. A file that cannot be opened, a malformed one
// and one without faces leave the model empty and return false, after
// naming the file and what is wrong with it on standard error.
bool leerModelo(const std::string& ruta, bool materiales, Modelo& modelo);

}  // namespace marsdash
