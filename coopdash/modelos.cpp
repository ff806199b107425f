#include "modelos.h"

#include <FreeImage.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <stdexcept>

#include "archivo.h"

namespace coopdash {

const std::array<const char*, KindCount> kModelFiles = {
    "calle.obj", "pollo.obj", "sedan.obj", "tree_blocks.obj", "via.obj",
    "train.obj", "grass.obj", "moneda.obj", "fantasma.obj",
};

unsigned loadTexture(const std::string& path, bool withAlpha) {
    // Read by the game itself (a named pipe or a folder refused by name),
    // then decoded from memory.
    std::string bytes = readAssetFile(path);
    FIMEMORY* mem = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(bytes.data()), DWORD(bytes.size()));
    if (!mem) throw std::runtime_error(path + ": no se pudo cargar la imagen");
    FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(mem, 0);
    if (format == FIF_UNKNOWN) format = FreeImage_GetFIFFromFilename(path.c_str());
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format)) {
        FreeImage_CloseMemory(mem);
        throw std::runtime_error(path + ": no es una imagen que se pueda leer");
    }
    FIBITMAP* raw = FreeImage_LoadFromMemory(format, mem, 0);
    FreeImage_CloseMemory(mem);
    if (!raw) throw std::runtime_error(path + ": no se pudo cargar la imagen");
    FIBITMAP* img = FreeImage_ConvertTo32Bits(raw);
    FreeImage_Unload(raw);
    if (!img) throw std::runtime_error(path + ": no se pudo convertir la imagen");
    const int w = int(FreeImage_GetWidth(img)), h = int(FreeImage_GetHeight(img));
    if (w <= 0 || h <= 0 || w > 8192 || h > 8192) {
        FreeImage_Unload(img);
        throw std::runtime_error(path + ": tamaño de imagen no válido");
    }
    // FreeImage keeps BGRA rows bottom-up: the first row GL gets is v = 0.
    std::vector<unsigned char> rgba(std::size_t(w) * std::size_t(h) * 4);
    for (int y = 0; y < h; ++y) {
        const BYTE* line = FreeImage_GetScanLine(img, y);
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &rgba[(std::size_t(y) * std::size_t(w) + std::size_t(x)) * 4];
            p[0] = line[x * 4 + FI_RGBA_RED];
            p[1] = line[x * 4 + FI_RGBA_GREEN];
            p[2] = line[x * 4 + FI_RGBA_BLUE];
            p[3] = withAlpha ? line[x * 4 + FI_RGBA_ALPHA] : 255;
        }
    }
    FreeImage_Unload(img);
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return tex;
}

std::vector<Mesh> readModel(const std::string& path, std::ostream* console) {
    Loader loader(console);
    if (!loader.loadFile(path)) throw std::runtime_error(path + ": no se pudo leer el modelo (" + loader.error + ")");
    for (const Loader::Library& lib : loader.libraries)
        if (!lib.read) throw std::runtime_error(lib.path + ": no se pudieron leer los materiales (" + lib.why + ")");
    if (!loader.missingMaterials.empty()) {
        const std::string where = loader.libraries.empty() ? path : loader.libraries.back().path;
        throw std::runtime_error(where + ": falta el material '" + loader.missingMaterials.front() + "'");
    }
    return loader.loadedMeshes;
}

unsigned compileModel(const std::vector<Mesh>& meshes) {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    for (const Mesh& m : meshes) {
        const Material& mat = m.material;
        const GLfloat ka[4] = {mat.Ka[0], mat.Ka[1], mat.Ka[2], 1};
        const GLfloat kd[4] = {mat.Kd[0], mat.Kd[1], mat.Kd[2], 1};
        const GLfloat ks[4] = {mat.Ks[0], mat.Ks[1], mat.Ks[2], 1};
        glMaterialfv(GL_FRONT, GL_AMBIENT, ka);
        glMaterialfv(GL_FRONT, GL_DIFFUSE, kd);
        glMaterialfv(GL_FRONT, GL_SPECULAR, ks);
        glMaterialf(GL_FRONT, GL_SHININESS, mat.Ns < 0 ? 0.f : mat.Ns > 128 ? 128.f : mat.Ns);
        for (unsigned i : m.indices) {
            if (i >= m.vertices.size()) continue;
            const Vertex& v = m.vertices[i];
            glTexCoord2fv(v.textureCoordinate);
            glNormal3fv(v.normal);
            glVertex3fv(v.position);
        }
    }
    glEnd();
    glEndList();
    return list;
}

unsigned compileSilhouette(const std::vector<Mesh>& meshes) {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    for (const Mesh& m : meshes)
        for (unsigned i : m.indices)
            if (i < m.vertices.size()) glVertex3fv(m.vertices[i].position);
    glEnd();
    glEndList();
    return list;
}

ModelBox measureModel(const std::vector<Mesh>& meshes) {
    ModelBox box;
    for (const Mesh& m : meshes)
        for (unsigned i : m.indices) {
            if (i >= m.vertices.size()) continue;
            const float* p = m.vertices[i].position;
            const Vec3 v{p[0], p[1], p[2]};
            if (!box.known) {
                box.lo = box.hi = v;
                box.known = true;
                continue;
            }
            box.lo = {std::min(box.lo.x, v.x), std::min(box.lo.y, v.y), std::min(box.lo.z, v.z)};
            box.hi = {std::max(box.hi.x, v.x), std::max(box.hi.y, v.y), std::max(box.hi.z, v.z)};
        }
    return box;
}

ModelLibrary::ModelLibrary(std::ostream* console) {
    try {
        for (int k = 0; k < KindCount; ++k) {
            const std::vector<Mesh> meshes = readModel(std::string(kModelDir) + kModelFiles[std::size_t(k)], console);
            for (const Mesh& m : meshes) triangles[std::size_t(k)] += m.indices.size() / 3;
            lists[std::size_t(k)] = compileModel(meshes);
            silhouettes[std::size_t(k)] = compileSilhouette(meshes);
            boxes[std::size_t(k)] = measureModel(meshes);
            // The road's texture is read right after the road model.
            if (k == KindCalle) {
                roadTexture = loadTexture(kRoadTexture);
                // The road lies under most of the picture, mostly drawn
                // smaller than its texture: one level of the mip chain a
                // pixel (bilinear) costs the software rasteriser less
                // than blending two.
                glBindTexture(GL_TEXTURE_2D, roadTexture);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
                glBindTexture(GL_TEXTURE_2D, 0);
            }
        }
    } catch (...) {
        for (unsigned l : lists)
            if (l) glDeleteLists(l, 1);
        for (unsigned l : silhouettes)
            if (l) glDeleteLists(l, 1);
        if (roadTexture) glDeleteTextures(1, &roadTexture);
        throw;
    }
}

ModelLibrary::~ModelLibrary() {
    for (unsigned l : lists)
        if (l) glDeleteLists(l, 1);
    for (unsigned l : silhouettes)
        if (l) glDeleteLists(l, 1);
    if (roadTexture) glDeleteTextures(1, &roadTexture);
}

}  // namespace coopdash
