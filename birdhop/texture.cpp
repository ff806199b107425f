#include "texture.h"

#include <FreeImage.h>
#include <GL/gl.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "model.h"

namespace birdhop {

namespace {

// FreeImage reports damage (a truncated JPEG, a bad PNG chunk) through this
// callback and may still hand back a picture; such a picture is refused.
std::string g_decodeMessage;
void onFreeImageMessage(FREE_IMAGE_FORMAT, const char* message) {
    if (g_decodeMessage.empty()) g_decodeMessage = message ? message : "decoder error";
}

struct Unload {
    void operator()(FIBITMAP* b) const { FreeImage_Unload(b); }
};
using Bitmap = std::unique_ptr<FIBITMAP, Unload>;

struct Memory {
    FIMEMORY* memory = nullptr;
    ~Memory() {
        if (memory) FreeImage_CloseMemory(memory);
    }
};

// The picture as FreeImage decodes it, in `bits` per pixel: converted only
// when it is not so already (a copy of a large picture is a noticeable part
// of start-up).
Bitmap decode(std::istream& in, int bits) {
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) throw AssetError("empty image file");
    Memory m;
    m.memory = FreeImage_OpenMemory(bytes.data(), DWORD(bytes.size()));
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(m.memory, 0);
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format))
        throw AssetError("not a picture FreeImage can read");
    FreeImage_SetOutputMessage(onFreeImageMessage);
    g_decodeMessage.clear();
    Bitmap loaded(FreeImage_LoadFromMemory(format, m.memory, 0));
    const std::string message = g_decodeMessage;
    FreeImage_SetOutputMessage(nullptr);
    if (!loaded) throw AssetError("damaged picture" + (message.empty() ? "" : ": " + message));
    if (!message.empty()) throw AssetError("damaged picture: " + message);
    Bitmap image;
    if (FreeImage_GetImageType(loaded.get()) == FIT_BITMAP && int(FreeImage_GetBPP(loaded.get())) == bits)
        image = std::move(loaded);
    else
        image.reset(bits == 32 ? FreeImage_ConvertTo32Bits(loaded.get()) : FreeImage_ConvertTo24Bits(loaded.get()));
    if (!image) throw AssetError("cannot convert the picture");
    if (FreeImage_GetWidth(image.get()) == 0 || FreeImage_GetHeight(image.get()) == 0)
        throw AssetError("picture without pixels");
    return image;
}

Bitmap decodeFile(const std::string& path, int bits) {
    checkRegularFile(path, "picture");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw AssetError(path + ": cannot open the picture");
    try {
        return decode(in, bits);
    } catch (const std::exception& e) {
        // The reader's own errors, and the stream's (a read that fails).
        throw AssetError(path + ": " + e.what());
    }
}

}  // namespace

ImageData readImage(std::istream& in, int bits) {
    const Bitmap image = decode(in, bits);
    ImageData img;
    img.width = int(FreeImage_GetWidth(image.get()));
    img.height = int(FreeImage_GetHeight(image.get()));
    img.channels = bits == 32 ? 4 : 3;
    const std::size_t row = std::size_t(img.width) * std::size_t(img.channels);
    img.pixels.resize(row * std::size_t(img.height));
    for (int y = 0; y < img.height; ++y)  // FreeImage pads its scanlines
        std::memcpy(&img.pixels[row * std::size_t(y)], FreeImage_GetScanLine(image.get(), y), row);
    return img;
}

ImageData readImageFile(const std::string& path, int bits) {
    checkRegularFile(path, "picture");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw AssetError(path + ": cannot open the picture");
    try {
        return readImage(in, bits);
    } catch (const std::exception& e) {
        throw AssetError(path + ": " + e.what());
    }
}

namespace {

// Straight from FreeImage's scanlines (bottom row first, as GL wants), whose
// rows are padded to 4 bytes: GL's default unpacking.
void upload(FIBITMAP* image, int level) {
    const int w = int(FreeImage_GetWidth(image)), h = int(FreeImage_GetHeight(image));
    const bool alpha = FreeImage_GetBPP(image) == 32;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, level, alpha ? GL_RGBA : GL_RGB, w, h, 0, alpha ? GL_BGRA : GL_BGR,
                 GL_UNSIGNED_BYTE, FreeImage_GetBits(image));
}

unsigned makeTexture() {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    return id;
}

unsigned loadTexture(const std::string& path, int filter, int bits) {
    const Bitmap image = decodeFile(path, bits);
    const unsigned id = makeTexture();
    upload(image.get(), 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

}  // namespace

unsigned loadTexture24(const std::string& path, int filter) { return loadTexture(path, filter, 24); }
unsigned loadTexture32(const std::string& path, int filter) { return loadTexture(path, filter, 32); }

unsigned loadRoadTexture(const std::string& dir) {
    std::vector<Bitmap> levels;
    for (int k = 0; k < kRoadLevels; ++k) {
        const int size = 512 >> k;
        const std::string path = dir + "/" + std::to_string(size) + ".jpg";
        levels.push_back(decodeFile(path, 24));
        // Each level is uploaded as a square of its size: another size would
        // read past the picture or leave the chain incomplete.
        const int w = int(FreeImage_GetWidth(levels.back().get())), h = int(FreeImage_GetHeight(levels.back().get()));
        if (w != size || h != size)
            throw AssetError(path + ": the road picture must be " + std::to_string(size) + " x " +
                             std::to_string(size) + " pixels, not " + std::to_string(w) + " x " + std::to_string(h));
    }
    const unsigned id = makeTexture();
    for (int k = 0; k < kRoadLevels; ++k) upload(levels[std::size_t(k)].get(), k);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

}  // namespace birdhop
