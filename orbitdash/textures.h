// Image files into GL textures. Reading (FreeImage, the type from the file
// name, converted to 32 bits) needs no context; uploading makes an RGBA
// texture from the blue-green-red-alpha bytes, nearest-neighbour filtering,
// repeat wrapping, modulate.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace orbitdash {

struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint8_t> bgra;  // rows bottom first, as GL takes them
};

// `name` only tells the type (".png", ".jpg"); false when the bytes do not
// decode as that type, or the stream fails while they are read.
bool readImage(std::istream& in, const std::string& name, Pixels& out);
// The file at `path` (a regular file only); false with what is wrong in
// `problem`, in words that follow the path.
bool readImage(const std::string& path, Pixels& out, std::string& problem);

// The GL texture name, 0 when `pixels` is empty. Needs a current context.
unsigned uploadTexture(const Pixels& pixels);

}  // namespace orbitdash
