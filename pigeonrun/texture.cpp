#include "texture.h"

#include <FreeImage.h>
#include <GL/gl.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "files.h"

namespace pigeonrun {

namespace {
constexpr int kMaxSide = 8192;
}

Pixels readImage(std::istream& in, const std::string& name, bool withAlpha) {
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.empty()) throw ImageError(name + ": empty file");
    const FREE_IMAGE_FORMAT format = FreeImage_GetFIFFromFilename(name.c_str());
    if (format == FIF_UNKNOWN) throw ImageError(name + ": unknown image type");
    FIMEMORY* memory = FreeImage_OpenMemory(data.data(), DWORD(data.size()));
    // The bytes must be an image of the type the name says.
    const bool matches = memory && FreeImage_GetFileTypeFromMemory(memory, int(data.size())) == format;
    FIBITMAP* image = matches ? FreeImage_LoadFromMemory(format, memory, 0) : nullptr;
    if (memory) FreeImage_CloseMemory(memory);
    if (!image) throw ImageError(name + ": not a readable image");
    FIBITMAP* converted = withAlpha ? FreeImage_ConvertTo32Bits(image) : FreeImage_ConvertTo24Bits(image);
    FreeImage_Unload(image);
    if (!converted) throw ImageError(name + ": cannot convert the image");
    Pixels p;
    p.width = int(FreeImage_GetWidth(converted));
    p.height = int(FreeImage_GetHeight(converted));
    p.alpha = withAlpha;
    if (p.width <= 0 || p.height <= 0 || p.width > kMaxSide || p.height > kMaxSide) {
        FreeImage_Unload(converted);
        throw ImageError(name + ": image size out of range");
    }
    const std::size_t row = std::size_t(p.width) * (withAlpha ? 4 : 3);
    p.bytes.resize(row * std::size_t(p.height));
    for (int y = 0; y < p.height; ++y)  // FreeImage pads its scanlines
        std::memcpy(&p.bytes[row * std::size_t(y)], FreeImage_GetScanLine(converted, y), row);
    FreeImage_Unload(converted);
    return p;
}

Pixels readImageFile(const std::string& path, bool withAlpha) {
    // A folder or a pipe is refused before it is opened.
    const std::string problem = fileProblem(path);
    if (!problem.empty()) throw ImageError(path + ": " + problem);
    std::ifstream file(path, std::ios::binary);
    if (!file) throw ImageError(path + ": cannot open the file");
    try {
        return readImage(file, path, withAlpha);
    } catch (const ImageError&) {
        throw;
    } catch (const std::exception& e) {
        // The stream's own failures (a read error) say nothing of the file.
        throw ImageError(path + ": cannot read the file (" + e.what() + ")");
    }
}

unsigned loadImageTexture(const std::string& path, int internalFormat, int pixelFormat, int envMode, bool withAlpha) {
    const Pixels p = readImageFile(path, withAlpha);
    if (withAlpha) glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, p.width, p.height, 0, GLenum(pixelFormat), GL_UNSIGNED_BYTE,
                 p.bytes.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envMode);
    return id;
}

}  // namespace pigeonrun
