// Images read through FreeImage (the type from the file name) and uploaded
// as GL textures. Reading needs no GL context, so tests can check files.
#pragma once

#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace pigeonrun {

struct ImageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Pixels as FreeImage keeps them: blue, green, red (and alpha), rows from
// the bottom up, tightly packed.
struct Pixels {
    int width = 0, height = 0;
    bool alpha = false;
    std::vector<unsigned char> bytes;
};

// Decodes the image in `in`; `name` gives the type (by its extension) and
// names the file in errors. 32 bits per pixel with alpha, else 24. Throws
// ImageError for an empty, truncated or unreadable image.
Pixels readImage(std::istream& in, const std::string& name, bool withAlpha);
Pixels readImageFile(const std::string& path, bool withAlpha);

// Reads the file and makes a texture of it (nearest filtering, repeat),
// level 0 uploaded with the given formats; sets the texture environment
// mode, and with alpha the blend function ONE, ONE_MINUS_SRC_ALPHA (the
// images hold premultiplied colour). Returns the texture name.
unsigned loadImageTexture(const std::string& path, int internalFormat, int pixelFormat, int envMode, bool withAlpha);

}  // namespace pigeonrun
