// Reading the game's files: images through FreeImage and the duck model's
// OBJ lines. Each reader takes a stream (the path-taking call opens the file
// and delegates) and throws AssetError with a message that names the file;
// nothing here needs a GL context.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

#include "world.h"

namespace duckrun {

class AssetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The files, by the relative paths the program reads them from.
namespace paths {
extern const char* const kDuckModel;
extern const char* const kDuckTexture;
extern const char* const kGrass;
extern const char* const kBlackboard;
extern const std::array<std::string, 6> kDaySky;    // left, back, right, front, top, bottom
extern const std::array<std::string, 6> kNightSky;
}  // namespace paths

// Pixels as FreeImage keeps them: rows bottom first, blue-green-red(-alpha)
// bytes, tightly packed.
struct Picture {
    int width = 0, height = 0;
    int bytesPerPixel = 3;
    std::vector<std::uint8_t> pixels;
};

// `bits` 24 or 32. Refuses files FreeImage cannot decode, truncated ones and
// empty images.
Picture readPicture(std::istream& in, const std::string& name, int bits);
Picture readPicture(const std::string& path, int bits);

// The duck model: positions, texture coordinates and normals, and faces of
// three or four corners, each corner position/texture/normal as 0-based
// indices already checked against the lists.
struct DuckMesh {
    struct Corner {
        int p = 0, t = 0, n = 0;
    };
    struct Face {
        int count = 3;
        std::array<Corner, 4> corners{};
    };
    std::vector<Vec3> positions, normals;
    std::vector<std::array<float, 2>> texcoords;
    std::vector<Face> faces;
};

constexpr std::size_t kMaxModelLine = 255;

// Lines: "# ..." comments, "v x y z", "vt u v [w]", "vn x y z", and
// "f p/t/n p/t/n p/t/n [p/t/n]"; other lines are ignored. Refused, with the
// line number: a line over 255 characters, a malformed number or corner, a
// face of other than three or four corners, an index of 0 or outside its
// list (negative ones count back from the end), and a model with no faces.
DuckMesh readDuckModel(std::istream& in, const std::string& name);
DuckMesh readDuckModel(const std::string& path);

}  // namespace duckrun
