#include "textures.h"

#include <FreeImage.h>
#include <GL/gl.h>

#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>

#include "files.h"

namespace orbitdash {

bool readImage(std::istream& in, const std::string& name, Pixels& out) {
    out = Pixels{};
    std::vector<BYTE> bytes;
    try {
        // A stream buffer reports a failed read (a folder, a device) by
        // throwing past the iterators.
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::exception&) {
        return false;
    }
    const FREE_IMAGE_FORMAT type = FreeImage_GetFIFFromFilename(name.c_str());
    if (bytes.empty() || type == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(type)) return false;
    // A JPEG cut short still decodes (the rest comes out grey): refuse one
    // without its end-of-image marker.
    if (type == FIF_JPEG && (bytes.size() < 4 || bytes[bytes.size() - 2] != 0xFF || bytes.back() != 0xD9)) return false;
    FIMEMORY* memory = FreeImage_OpenMemory(bytes.data(), DWORD(bytes.size()));
    if (!memory) return false;
    // A file that is not what its name says is refused rather than guessed.
    FIBITMAP* image = FreeImage_GetFileTypeFromMemory(memory, 0) == type ? FreeImage_LoadFromMemory(type, memory, 0)
                                                                         : nullptr;
    FreeImage_CloseMemory(memory);
    FIBITMAP* bgra = image ? FreeImage_ConvertTo32Bits(image) : nullptr;
    if (image) FreeImage_Unload(image);
    if (!bgra) return false;
    const int w = int(FreeImage_GetWidth(bgra)), h = int(FreeImage_GetHeight(bgra));
    if (w > 0 && h > 0) {
        out.width = w;
        out.height = h;
        out.bgra.resize(std::size_t(w) * std::size_t(h) * 4);
        for (int row = 0; row < h; ++row)  // FreeImage pads its scanlines
            std::memcpy(&out.bgra[std::size_t(row) * std::size_t(w) * 4], FreeImage_GetScanLine(bgra, row),
                        std::size_t(w) * 4);
    }
    FreeImage_Unload(bgra);
    return out.width > 0;
}

bool readImage(const std::string& path, Pixels& out, std::string& problem) {
    out = Pixels{};
    std::ifstream file;
    if (!openFile(path, file, problem)) return false;
    if (readImage(file, path, out)) return true;
    problem = "not a readable image";
    return false;
}

unsigned uploadTexture(const Pixels& p) {
    if (p.width <= 0) return 0;
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, p.width, p.height, 0, GL_BGRA, GL_UNSIGNED_BYTE, p.bgra.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    return id;
}

}  // namespace orbitdash
