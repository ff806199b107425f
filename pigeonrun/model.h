// The game's OBJ models: positions, texture coordinates, normals, triangles
// of p/t/n corners and the material groups opened by "usemtl" lines.
#pragma once

#include <array>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace pigeonrun {

// Faces first..last (inclusive, 0-based) take the colour of `name`. A group
// opened by two "usemtl" lines in a row is empty: last == first - 1.
struct MaterialGroup {
    std::string name;
    int first = 0;
    int last = -1;
};

// One triangle corner as 0-based indices into the model's lists.
struct Corner {
    int position = 0, texture = 0, normal = 0;
};

struct Model {
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 2>> texcoords;
    std::vector<std::array<float, 3>> normals;
    std::vector<std::array<Corner, 3>> faces;
    std::vector<MaterialGroup> groups;
};

// A model file that cannot be used; what() names the file (or the line, for
// the stream reader) and what is wrong.
struct ModelError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads "v x y z", "vt u v", "vn x y z", "f a/b/c a/b/c a/b/c" and
// "usemtl name"; other lines are skipped. Throws ModelError ("line N: ...")
// for a malformed or non-finite number, a face that is not three p/t/n
// corners, an index outside the lists (1-based in the file), or a file
// without faces. `model` is replaced, and left empty on error.
void readObj(std::istream& in, Model& model);

// Opens the file and reads it; the error names the path.
void readObjFile(const std::string& path, Model& model);

}  // namespace pigeonrun
