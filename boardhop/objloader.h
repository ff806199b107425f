// The game's OBJ reader: triangles written p/t/n, one flat vertex list.
#pragma once

#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace boardhop {

struct Vertex {
    float position[3];
    float color[3];
    float texcoord[2];
    float normal[3];
};

struct ObjError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads `v`, `vt`, `vn` and `f` lines; skips `#`, `o`, `s` and `use_mtl`
// lines and ignores every other kind. A face with more than three corners
// is split into a fan. Throws ObjError on a corner not written p/t/n, on an
// index outside the lists read, on a number that does not parse, and when
// the input holds no face at all.
std::vector<Vertex> loadObj(std::istream& in);

// Opens the file and reads it; throws ObjError with
// "ERROR::OBJLOADER::Could not open file. " and the path when it cannot be
// opened or is not a plain file (a folder, a pipe), and the reader's message
// followed by " in " and the path otherwise.
std::vector<Vertex> loadObj(const std::string& path);

}  // namespace boardhop
