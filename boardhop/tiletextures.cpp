#include "tiletextures.h"

#include "files.h"

#include <GL/gl.h>
#include <SDL2/SDL_image.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace boardhop {

const char* tileImagePath(TileImage which) {
    switch (which) {
        case TileImage::Agua: return "agua_linda.png";
        case TileImage::Tierra: return "tierra.png";
        case TileImage::Pasto: return "tierra_pasto.png";
    }
    return "";
}

bool uploadSurface(SDL_Surface* surface) {
    // RGBA when the image has four bytes a pixel, RGB when three; anything
    // else (palettes, 16-bit) is converted first rather than read as if it were.
    SDL_Surface* owned = nullptr;
    const Uint32 f = surface->format->format;
    if (f != SDL_PIXELFORMAT_RGBA32 && f != SDL_PIXELFORMAT_RGB24) {
        const bool alpha = SDL_ISPIXELFORMAT_ALPHA(f) || surface->format->Amask != 0;
        owned = SDL_ConvertSurfaceFormat(surface, alpha ? SDL_PIXELFORMAT_RGBA32 : SDL_PIXELFORMAT_RGB24, 0);
        if (!owned) return false;
        surface = owned;
    }
    const int bpp = surface->format->BytesPerPixel;
    const GLenum format = bpp == 4 ? GL_RGBA : GL_RGB;
    // Rows may be padded past their pixels (an RGB image 5 pixels wide has
    // 15 bytes of pixels in a 16-byte row), and the padding need not be a
    // whole number of pixels: GL gets the rows packed.
    const std::size_t rowBytes = std::size_t(surface->w) * std::size_t(bpp);
    std::vector<unsigned char> packed;
    const void* pixels = surface->pixels;
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    if (std::size_t(surface->pitch) != rowBytes) {
        packed.resize(rowBytes * std::size_t(surface->h));
        for (int row = 0; row < surface->h; ++row)
            std::memcpy(&packed[rowBytes * std::size_t(row)],
                        static_cast<const unsigned char*>(surface->pixels) + std::size_t(surface->pitch) * std::size_t(row),
                        rowBytes);
        pixels = packed.data();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), surface->w, surface->h, 0, format, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (owned) SDL_FreeSurface(owned);
    return true;
}

namespace {
struct Slot {
    bool tried = false;
    GLuint id = 0;
    float colour[3] = {0, 0, 0};
};

// The mean of a surface's pixels, in any format SDL can read.
void meanColour(SDL_Surface* surface, float rgb[3]) {
    double sum[3] = {0, 0, 0};
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    const int bytes = surface->format->BytesPerPixel;
    for (int y = 0; y < surface->h; ++y) {
        const auto* row = static_cast<const Uint8*>(surface->pixels) + std::size_t(y) * std::size_t(surface->pitch);
        for (int x = 0; x < surface->w; ++x) {
            Uint32 pixel = 0;
            std::memcpy(&pixel, row + std::size_t(x) * std::size_t(bytes), std::size_t(bytes));
            Uint8 r, g, b;
            SDL_GetRGB(pixel, surface->format, &r, &g, &b);
            sum[0] += r, sum[1] += g, sum[2] += b;
        }
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    const double n = std::max(1.0, double(surface->w) * double(surface->h)) * 255.0;
    for (int i = 0; i < 3; ++i) rgb[i] = float(sum[i] / n);
}

Slot slots[3];
}  // namespace

void releaseTileTextures() {
    for (Slot& slot : slots) {
        if (slot.id) glDeleteTextures(1, &slot.id);
        slot = Slot{};
    }
}

unsigned tileTexture(TileImage which) {
    Slot& slot = slots[int(which)];
    if (slot.tried) return slot.id;
    slot.tried = true;

    if (notAPlainFile(tileImagePath(which))) {
        std::fprintf(stderr, "could not load %s: not a plain file\n", tileImagePath(which));
        return 0;
    }
    SDL_Surface* surface = IMG_Load(tileImagePath(which));
    if (!surface) {
        std::fprintf(stderr, "could not load %s: %s\n", tileImagePath(which), IMG_GetError());
        return 0;
    }
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    if (uploadSurface(surface)) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        slot.id = id;
        meanColour(surface, slot.colour);
    } else {
        std::fprintf(stderr, "could not convert %s: %s\n", tileImagePath(which), SDL_GetError());
        glDeleteTextures(1, &id);
    }
    SDL_FreeSurface(surface);
    return slot.id;
}

bool tileColour(TileImage which, float rgb[3]) {
    if (!tileTexture(which)) return false;
    const Slot& slot = slots[int(which)];
    std::copy(slot.colour, slot.colour + 3, rgb);
    return true;
}

}  // namespace boardhop
