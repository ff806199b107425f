// Models: the OBJ reader, the arithmetic that readies a mesh for the game,
// and the loaded model record. No GL here; the loaders that make textures
// and display lists are in model_gl.cpp.
#pragma once

#include <array>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

#include "body.h"

namespace birdhop {

// A file the game cannot use. what() names the file and the problem.
struct AssetError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws AssetError("<path>: cannot open the <what>") when the path names
// nothing, and names a folder, a named pipe or anything else that is not a
// plain file before anything opens it (a pipe would block the open).
void checkRegularFile(const std::string& path, const char* what);

struct ObjMesh {
    struct Corner {
        int position, texcoord, normal;  // 0-based, checked against the lists
    };
    std::vector<std::array<double, 3>> positions, normals;
    std::vector<std::array<double, 2>> texcoords;
    std::vector<std::vector<Corner>> faces;
};

// Reads "v", "vt", "vn" and "f" lines (corners written p/t/n, 1-based); other
// lines are skipped. Throws AssetError ("line N: ...") for a malformed or
// non-finite number, a corner not written p/t/n, an index outside the lists,
// a face of fewer than three corners, or a file without faces.
ObjMesh readObj(std::istream& in);
// Opens and reads the file; errors name it.
ObjMesh readObjFile(const std::string& path);

ModelBounds boundsOf(const ObjMesh& mesh);

struct BirdModel {
    static constexpr unsigned kNoArrays = ~0u;  // draw the display list instead
    unsigned displayList = 0;
    unsigned texture = 0;
    std::vector<double> positions, normals, texcoords;  // 3, 3 and 2 per vertex
    unsigned vertexCount = kNoArrays;
    ModelBounds bounds;
    // Everything the model draws, in its own units (the tree's second copy
    // included): what must lie outside the view before a body is skipped.
    ModelBounds drawn;
};

// A z-up model turned y-up ((x, y, z) becomes (x, z, -y)), centred in x and z,
// standing on y = 0 and scaled so that its largest extent is 1; the faces
// fanned into triangles in the three arrays. No texture.
BirdModel buildTexturedModel(ObjMesh mesh);

// The tree keeps its own units: lifted so its base is at y = 0, with a box
// symmetric in x (minX = -maxX). Returns the bounds before that symmetry
// (the numbers the loader prints).
ModelBounds liftTree(ObjMesh& mesh, ModelBounds& box);
// The palm texture's t for corner k of a face: bark for the last 20 faces of
// the file, leaves for the rest.
double treeTexT(int corner, std::size_t face, std::size_t faceCount);
// The tree's list draws the lifted mesh twice: as it is, and shifted
// kTreeCopyShift along x and turned half round.
constexpr double kTreeCopyShift = 0.3;
ModelBounds treeDrawnBounds(const ObjMesh& lifted);

// GL loaders (model_gl.cpp): the model, its diffuse texture, and a display
// list of its arrays (compiled once: the arrays stay for the record).
BirdModel loadTexturedModel(const std::string& objPath, const std::string& texturePath);
// Prints maxX, minX, maxZ, minZ on `out`, one per line.
BirdModel loadTreeModel(const std::string& objPath, const std::string& texturePath, std::ostream& out);
void releaseModel(BirdModel& model);

}  // namespace birdhop
