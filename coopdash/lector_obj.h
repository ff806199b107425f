// Wavefront OBJ models with their MTL material libraries: a file becomes a
// list of meshes (vertices, triangle indices, material), split by groups and
// by material changes. Progress goes to a console stream. No GL here.
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

namespace coopdash {

struct Vertex {
    float position[3] = {0, 0, 0};
    float normal[3] = {0, 0, 0};
    float textureCoordinate[2] = {0, 0};
};

struct Material {
    std::string name;
    float Ka[3] = {0, 0, 0};
    float Kd[3] = {0, 0, 0};
    float Ks[3] = {0, 0, 0};
    float Ns = 0, Ni = 0, d = 0;
    int illum = 0;
    std::string map_Ka, map_Kd, map_Ks, map_Ns, map_d, map_bump;
};

struct Mesh {
    std::string name;
    std::vector<Vertex> vertices;
    std::vector<unsigned> indices;  // three per triangle, into vertices
    Material material;
};

// A face of more corners is refused, saying so. The game's models are
// triangles and quads; splitting is O(n^2) in the corners, and a file of
// 64 KiB packed with hostile faces of a few hundred corners each would still
// take a second.
constexpr std::size_t kMaxFaceCorners = 64;

class Loader {
public:
    // `console` receives the progress lines (std::cout when null).
    explicit Loader(std::ostream* console = nullptr);

    // False for a path not ending in ".obj" (not even opened), a file that
    // is missing or not a regular file (never opened: a named pipe would
    // block), a malformed line or a file with nothing in it; `error` says
    // which.
    bool loadFile(const std::string& path);
    // The same for a stream; `directory` is where "mtllib" names are looked
    // for ("" for the current folder).
    bool load(std::istream& in, const std::string& directory);

    // False for a path not ending in ".mtl" or a file that cannot be opened;
    // otherwise true when at least one material was read.
    bool loadMaterials(const std::string& path);
    bool loadMaterials(std::istream& in);
    // The same with the reason for a false in `why`.
    bool loadMaterials(const std::string& path, std::string& why);

    std::vector<Mesh> loadedMeshes;
    std::vector<Vertex> loadedVertices;
    std::vector<unsigned> loadedIndices;
    std::vector<Material> loadedMaterials;

    // Why the last load failed ("" when it did not), and the "usemtl" names
    // no material answered.
    std::string error;
    std::vector<std::string> missingMaterials;
    // Material libraries named by the last file, with whether each was read.
    struct Library {
        std::string path;
        bool read;
        std::string why;  // when not read
    };
    std::vector<Library> libraries;

private:
    void reset();  // the previous results and reader state cleared
    bool parseFace(const std::string& rest);
    void storeMesh(const std::string& name);
    void progress();

    std::ostream& console_;
    std::vector<float> positions_, texcoords_, normals_;
    std::vector<std::string> materialNames_;
    std::string meshName_;
    bool named_ = false;
    std::vector<Vertex> meshVertices_;
    std::vector<unsigned> meshIndices_;
    int splits_ = 0;
};

// Triangles covering a simple planar polygon (convex or not) by ear
// clipping, as index triples into `points` (x, y, z each), in O(n^2) point
// tests for n corners whatever the outline; `work`, when given, receives how
// many were made.
std::vector<unsigned> triangulate(const std::vector<std::array<float, 3>>& points, std::size_t* work = nullptr);

}  // namespace coopdash
