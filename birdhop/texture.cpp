#include "texture.h"

#include <FreeImage.h>
#include <GL/gl.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "model.h"

namespace birdhop {

namespace {

// FreeImage reports damage (a truncated JPEG, a bad PNG chunk) through this
// callback and may still hand back a picture; such a picture is refused.
std::string g_decodeMessage;
void onFreeImageMessage(FREE_IMAGE_FORMAT, const char* message) {
    if (g_decodeMessage.empty()) g_decodeMessage = message ? message : "decoder error";
}

struct MemoryImage {
    FIMEMORY* memory = nullptr;
    FIBITMAP* bitmap = nullptr;
    ~MemoryImage() {
        if (bitmap) FreeImage_Unload(bitmap);
        if (memory) FreeImage_CloseMemory(memory);
    }
};

}  // namespace

ImageData readImage(std::istream& in, int bits) {
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) throw AssetError("empty image file");
    MemoryImage m;
    m.memory = FreeImage_OpenMemory(bytes.data(), DWORD(bytes.size()));
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(m.memory, 0);
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format))
        throw AssetError("not a picture FreeImage can read");
    FreeImage_SetOutputMessage(onFreeImageMessage);
    g_decodeMessage.clear();
    FIBITMAP* loaded = FreeImage_LoadFromMemory(format, m.memory, 0);
    const std::string message = g_decodeMessage;
    FreeImage_SetOutputMessage(nullptr);
    if (!loaded) throw AssetError("damaged picture" + (message.empty() ? "" : ": " + message));
    m.bitmap = bits == 32 ? FreeImage_ConvertTo32Bits(loaded) : FreeImage_ConvertTo24Bits(loaded);
    FreeImage_Unload(loaded);
    if (!message.empty()) throw AssetError("damaged picture: " + message);
    if (!m.bitmap) throw AssetError("cannot convert the picture");
    ImageData img;
    img.width = int(FreeImage_GetWidth(m.bitmap));
    img.height = int(FreeImage_GetHeight(m.bitmap));
    img.channels = bits == 32 ? 4 : 3;
    if (img.width <= 0 || img.height <= 0) throw AssetError("picture without pixels");
    const std::size_t row = std::size_t(img.width) * std::size_t(img.channels);
    img.pixels.resize(row * std::size_t(img.height));
    for (int y = 0; y < img.height; ++y)  // FreeImage pads its scanlines
        std::memcpy(&img.pixels[row * std::size_t(y)], FreeImage_GetScanLine(m.bitmap, y), row);
    return img;
}

ImageData readImageFile(const std::string& path, int bits) {
    checkRegularFile(path, "picture");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw AssetError(path + ": cannot open the picture");
    try {
        return readImage(in, bits);
    } catch (const std::exception& e) {
        // The reader's own errors, and the stream's (a read that fails).
        throw AssetError(path + ": " + e.what());
    }
}

namespace {

void upload(const ImageData& img, int level) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (img.channels == 4)
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA, img.width, img.height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     img.pixels.data());
    else
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGB, img.width, img.height, 0, GL_BGR, GL_UNSIGNED_BYTE,
                     img.pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
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
    const ImageData img = readImageFile(path, bits);
    const unsigned id = makeTexture();
    upload(img, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

}  // namespace

unsigned loadTexture24(const std::string& path, int filter) { return loadTexture(path, filter, 24); }
unsigned loadTexture32(const std::string& path, int filter) { return loadTexture(path, filter, 32); }

unsigned loadRoadTexture(const std::string& dir) {
    std::vector<ImageData> levels;
    for (int k = 0; k < kRoadLevels; ++k) {
        const int size = 512 >> k;
        const std::string path = dir + "/" + std::to_string(size) + ".jpg";
        levels.push_back(readImageFile(path, 24));
        // Each level is uploaded as a square of its size: another size would
        // read past the picture or leave the chain incomplete.
        if (levels.back().width != size || levels.back().height != size)
            throw AssetError(path + ": the road picture must be " + std::to_string(size) + " x " +
                             std::to_string(size) + " pixels, not " + std::to_string(levels.back().width) + " x " +
                             std::to_string(levels.back().height));
    }
    const unsigned id = makeTexture();
    for (int k = 0; k < kRoadLevels; ++k) upload(levels[std::size_t(k)], k);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

}  // namespace birdhop
