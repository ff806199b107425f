// Images and the GL textures made from them. Every failure names the file.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace birdhop {

// Pixels as FreeImage keeps them: rows bottom to top (the first row is the
// picture's bottom, t = 0 in GL), BGR or BGRA, tightly packed.
struct ImageData {
    int width = 0, height = 0;
    int channels = 3;
    std::vector<std::uint8_t> pixels;
};

// Decodes the bytes of a JPEG or PNG file into 24 or 32 bits. Throws
// AssetError for an empty, unknown, truncated or otherwise damaged image.
ImageData readImage(std::istream& in, int bits);
ImageData readImageFile(const std::string& path, int bits);

// GL: a texture from the file, wrap GL_REPEAT, GL_MODULATE; `filter` for
// both minification and magnification.
unsigned loadTexture24(const std::string& path, int filter);
unsigned loadTexture32(const std::string& path, int filter);
// The road: level k of one texture from "<dir>/<512 >> k>.jpg", k = 0 .. 9,
// each image exactly that size.
unsigned loadRoadTexture(const std::string& dir);
constexpr int kRoadLevels = 10;

}  // namespace birdhop
