// The model library: the nine models read by the OBJ reader and compiled into
// one GL display list each (in kind order), and the road texture. Needs a
// current GL context. Every failure throws std::runtime_error naming the file.
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

#include "lector_obj.h"
#include "objetos.h"

namespace coopdash {

constexpr const char* kModelDir = "../objetos/";
constexpr const char* kRoadTexture = "../objetos/calle.png";

// The model file of each kind, in library order.
extern const std::array<const char*, KindCount> kModelFiles;

// A GL texture from a PNG or JPEG through FreeImage (linear filtering, wrap
// repeat, mipmaps). Throws naming the path.
unsigned loadTexture(const std::string& path, bool withAlpha = false);

// Reads a model and checks it is usable: read, materials found. Throws
// naming the OBJ or MTL file.
std::vector<Mesh> readModel(const std::string& path, std::ostream* console = nullptr);

// One display list: per mesh its material (ambient, diffuse, specular,
// alpha 1) and its triangles with texture coordinate, normal and position.
// All meshes go in one glBegin (materials may change inside it): one draw
// a model rather than one a mesh, the same picture.
unsigned compileModel(const std::vector<Mesh>& meshes);
// The triangles' positions only, for a model drawn in one flat colour.
unsigned compileSilhouette(const std::vector<Mesh>& meshes);
// The extent of the triangles' corners.
ModelBox measureModel(const std::vector<Mesh>& meshes);

class ModelLibrary {
public:
    // Loads everything; the reader's progress goes to `console` (std::cout).
    explicit ModelLibrary(std::ostream* console = nullptr);
    ~ModelLibrary();
    ModelLibrary(const ModelLibrary&) = delete;
    ModelLibrary& operator=(const ModelLibrary&) = delete;

    std::array<unsigned, KindCount> lists{};
    std::array<unsigned, KindCount> silhouettes{};
    std::array<ModelBox, KindCount> boxes{};
    unsigned roadTexture = 0;
    std::array<std::size_t, KindCount> triangles{};
};

}  // namespace coopdash
