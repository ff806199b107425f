#include "texturemanager.h"

#include <FreeImage.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

#include "files.h"

namespace hop {

namespace {

// What FreeImage's plug-ins said during the current load. A JPEG or PNG cut
// short still decodes (the missing part grey or black) and only says so
// through this channel.
std::string decoderMessage;

void keepDecoderMessage(FREE_IMAGE_FORMAT, const char* message) {
    if (decoderMessage.empty() && message) decoderMessage = message;
}

}  // namespace

LoadedImage loadImage(const std::string& path) {
    // FreeImage opens the file to guess its type: a pipe would block it.
    const std::string problem = fileProblem(path);
    if (!problem.empty()) throw TextureError("No se pudo leer la imagen " + path + ": " + problem);
    FreeImage_SetOutputMessage(keepDecoderMessage);
    decoderMessage.clear();
    FREE_IMAGE_FORMAT fif = FreeImage_GetFileType(path.c_str(), 0);
    if (fif == FIF_UNKNOWN) fif = FreeImage_GetFIFFromFilename(path.c_str());
    if (fif == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(fif))
        throw TextureError("No se pudo leer la imagen " + path);
    FIBITMAP* dib = FreeImage_Load(fif, path.c_str());
    if (dib && !decoderMessage.empty()) {
        FreeImage_Unload(dib);
        throw TextureError("No se pudo leer la imagen " + path + ": " + decoderMessage);
    }
    if (!dib) throw TextureError("No se pudo leer la imagen " + path);
    FIBITMAP* rgb = FreeImage_ConvertTo24Bits(dib);
    FreeImage_Unload(dib);
    if (!rgb) throw TextureError("No se pudo convertir la imagen " + path);
    LoadedImage img;
    img.width = int(FreeImage_GetWidth(rgb));
    img.height = int(FreeImage_GetHeight(rgb));
    img.bgr.resize(std::size_t(img.width) * std::size_t(img.height) * 3);
    // Scan lines are padded to 4 bytes; copy row by row into a packed buffer.
    for (int y = 0; y < img.height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(rgb, y);
        for (int x = 0; x < img.width; ++x) {
            unsigned char* out = &img.bgr[(std::size_t(y) * std::size_t(img.width) + std::size_t(x)) * 3];
            out[0] = line[x * 3 + FI_RGBA_BLUE];
            out[1] = line[x * 3 + FI_RGBA_GREEN];
            out[2] = line[x * 3 + FI_RGBA_RED];
        }
    }
    FreeImage_Unload(rgb);
    return img;
}

void loadImage(const std::string& path, void*& data, int& width, int& height) {
    thread_local LoadedImage last;
    last = loadImage(path);
    data = last.bgr.data();
    width = last.width;
    height = last.height;
}

namespace {

bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

int maxTextureSize() {
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

}  // namespace

TextureManager* TextureManager::getInstance() {
    static TextureManager instance;
    return &instance;
}

unsigned int TextureManager::loadTexture(const std::string& fullPath, float wrap) {
    const std::string path = fullPath.empty() ? fullPath : fullPath.substr(1);
    auto it = texIDs.find(path);
    if (it != texIDs.end()) return it->second;
    const LoadedImage img = loadImage(path);
    ++reads;
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const float border[4] = {0, 0, 0, 0};
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // Textures are sampled without mipmaps (GL_LINEAR): a power-of-two image
    // goes up as it is, level 0 alone, saving the levels' time and memory.
    // Other sizes are still scaled to a power of two by GLU.
    if (isPowerOfTwo(img.width) && isPowerOfTwo(img.height) && img.width <= maxTextureSize() &&
        img.height <= maxTextureSize())
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, img.width, img.height, 0, GL_BGR, GL_UNSIGNED_BYTE, img.bgr.data());
    else
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, img.width, img.height, GL_BGR, GL_UNSIGNED_BYTE, img.bgr.data());
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    texIDs[path] = id;
    return id;
}

void TextureManager::clear() {
    for (auto& [path, id] : texIDs) glDeleteTextures(1, &id);
    texIDs.clear();
}

}  // namespace hop
