#include "models.h"

#include <FreeImage.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <assimp/cimport.h>
#include <assimp/scene.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace roosterway {

const ModelFiles kModelTable[kModelCount] = {
    {"chicken", "chicken.obj", "chicken.png"},
    {"boulder1", "environment/boulder1.obj", "environment/boulder1.png"},
    {"boulder2", "environment/boulder2.obj", "environment/boulder2.png"},
    {"grass_light", "environment/grass/grass.obj", "environment/grass/grass_light.png"},
    {"grass_dark", "environment/grass/grass.obj", "environment/grass/grass_dark.png"},
    {"road_blank", "environment/road/road.obj", "environment/road/road_blank.png"},
    {"road_stripes", "environment/road/road.obj", "environment/road/road_stripes.png"},
    {"tree1", "environment/trees/tree1.obj", "environment/trees/tree1.png"},
    {"tree2", "environment/trees/tree2.obj", "environment/trees/tree2.png"},
    {"tree3", "environment/trees/tree3.obj", "environment/trees/tree3.png"},
    {"tree4", "environment/trees/tree4.obj", "environment/trees/tree4.png"},
    {"blue_car", "vehicles/blue_car.obj", "vehicles/blue_car.png"},
    {"blue_truck", "vehicles/blue_truck.obj", "vehicles/blue_truck.png"},
    {"green_car", "vehicles/green_car.obj", "vehicles/green_car.png"},
    {"orange_car", "vehicles/orange_car.obj", "vehicles/orange_car.png"},
    {"police_car", "vehicles/police_car.obj", "vehicles/police_car.png"},
    {"purple_car", "vehicles/purple_car.obj", "vehicles/purple_car.png"},
    {"taxi", "vehicles/taxi.obj", "vehicles/taxi.png"},
};

const char* const kFlatModels[kFlatModelCount] = {"grass_light", "grass_dark", "road_blank", "road_stripes"};

bool keepsColoursUntextured(const std::string& key) {
    return key == "chicken" || key.find("_car") != std::string::npos || key == "taxi" || key == "blue_truck";
}

namespace {

// The whole stream; a read that fails (the file vanished, a device error)
// throws naming `name`, not with the library's bare reason.
std::string readAll(std::istream& in, const std::string& name) {
    try {
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::exception& e) {
        throw std::runtime_error("No se pudo leer " + name + ": " + e.what());
    }
}

std::string extensionOf(const std::string& name) {
    const auto dot = name.find_last_of('.');
    const auto slash = name.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return name.substr(dot + 1);
}

// Opens a file for the loaders; a missing one prints its path, then throws
// `message`. A folder, a pipe or anything else that is not a plain file is
// refused before it is opened (a pipe would block the open, a folder fail
// the first read with a message that names no file).
std::ifstream openOrThrow(const std::string& path, const char* message, const std::string& what) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
        throw std::runtime_error("No se pudo leer " + what + " " + path + ": no es un archivo");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
        throw std::invalid_argument(message);
    }
    return in;
}

// GL's default diffuse material: a textured face is lit as 0.8 times its
// texel, so a face coloured from its texel is given 0.8 times that colour.
constexpr float kUntexturedDiffuse = 0.8f;

GLenum primitiveFor(unsigned indices) {
    switch (indices) {
        case 1: return GL_POINTS;
        case 2: return GL_LINES;
        case 3: return GL_TRIANGLES;
        default: return GL_POLYGON;
    }
}

// True when every corner of the face has a normal pointing straight up.
bool facesUp(const aiMesh* mesh, const aiFace& face) {
    if (!mesh->mNormals) return false;
    for (unsigned i = 0; i < face.mNumIndices; ++i) {
        const unsigned v = face.mIndices[i];
        if (v >= mesh->mNumVertices || mesh->mNormals[v].y < 0.999f) return false;
    }
    return true;
}

// The texel under a texture coordinate, repeating as the GL texture does:
// every face of a generated model samples the middle of one colour swatch.
const std::uint8_t* texelAt(const ImageData& image, float u, float v) {
    const auto wrap = [](float t, int size) {
        const int i = int(std::floor((t - std::floor(t)) * float(size)));
        return std::clamp(i, 0, size - 1);
    };
    const int x = wrap(u, image.width), y = wrap(v, image.height);
    return &image.bgra[(std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 4];
}

// Emits one node and its children; `topOnly` keeps just the faces that point
// up in the mesh's own frame (the row models' nodes neither turn nor tilt).
// With `colours` (a model drawn without its texture) each vertex takes the
// colour its texture coordinate shows in that image, as the lit diffuse
// colour: the model keeps the colours of its faces.
// Faces of one primitive kind in a row share one glBegin/glEnd (polygons
// each get their own), which keeps the display lists short for the software
// renderer.
void renderNode(const aiScene* scene, const aiNode* node, GLuint texture, bool topOnly = false,
                const ImageData* colours = nullptr) {
    aiMatrix4x4 m = node->mTransformation;
    m.Transpose();
    glPushMatrix();
    glMultMatrixf(&m.a1);
    for (unsigned n = 0; n < node->mNumMeshes; ++n) {
        if (node->mMeshes[n] >= scene->mNumMeshes) continue;
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[n]];
        if (mesh->HasNormals()) glEnable(GL_LIGHTING);
        else glDisable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        GLenum open = 0;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices == 0 || (topOnly && !facesUp(mesh, face))) continue;
            const GLenum prim = primitiveFor(face.mNumIndices);
            if (open != prim || prim == GL_POLYGON) {
                if (open) glEnd();
                glBegin(prim);
                open = prim;
            }
            for (unsigned i = 0; i < face.mNumIndices; ++i) {
                const unsigned v = face.mIndices[i];
                if (v >= mesh->mNumVertices) continue;
                if (mesh->mColors[0]) glColor4fv(&mesh->mColors[0][v].r);
                if (colours && mesh->HasTextureCoords(0)) {
                    const aiVector3D& uv = mesh->mTextureCoords[0][v];
                    const std::uint8_t* t = texelAt(*colours, uv.x, uv.y);
                    glColor4f(kUntexturedDiffuse * float(t[2]) / 255.f, kUntexturedDiffuse * float(t[1]) / 255.f,
                              kUntexturedDiffuse * float(t[0]) / 255.f, 1);
                }
                if (mesh->mNormals) glNormal3fv(&mesh->mNormals[v].x);
                if (mesh->HasTextureCoords(0)) glTexCoord2f(mesh->mTextureCoords[0][v].x, mesh->mTextureCoords[0][v].y);
                glVertex3fv(&mesh->mVertices[v].x);
            }
        }
        if (open) glEnd();
        glDisable(GL_TEXTURE_2D);
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c)
        renderNode(scene, node->mChildren[c], texture, topOnly, colours);
    glPopMatrix();
}

}  // namespace

const aiScene* importModel(std::istream& in, const std::string& name) {
    const std::string bytes = readAll(in, name);
    const std::string hint = extensionOf(name).empty() ? "obj" : extensionOf(name);
    const aiScene* scene =
        bytes.empty() ? nullptr
                      : aiImportFileFromMemory(bytes.data(), unsigned(bytes.size()), kImportFlags, hint.c_str());
    if (!scene || !scene->mRootNode)
        throw std::runtime_error("No se pudo leer el modelo " + name + ": " +
                                 (bytes.empty() ? std::string("archivo vacio") : aiGetErrorString()));
    return scene;
}

const aiScene* importModelFile(const std::string& path) {
    std::ifstream in = openOrThrow(path, "El modelo no existe.", "el modelo");
    return importModel(in, path);
}

void releaseScene(const aiScene* scene) {
    if (scene) aiReleaseImport(scene);
}

ImageData decodeImage(std::istream& in, const std::string& name) {
    std::string bytes = readAll(in, name);
    const auto fail = [&] { return std::runtime_error("No se pudo leer la textura " + name + "."); };
    if (bytes.empty()) throw fail();
    FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(bytes.data()), DWORD(bytes.size()));
    if (!memory) throw fail();
    FREE_IMAGE_FORMAT format = FreeImage_GetFIFFromFilename(name.c_str());
    // The name gives the format; bytes that disagree with it are refused by
    // the plug-in itself, and a name without a known extension goes by content.
    if (format == FIF_UNKNOWN) format = FreeImage_GetFileTypeFromMemory(memory, 0);
    FIBITMAP* raw = format == FIF_UNKNOWN ? nullptr : FreeImage_LoadFromMemory(format, memory, 0);
    FreeImage_CloseMemory(memory);
    if (!raw) throw fail();
    FIBITMAP* bits32 = FreeImage_ConvertTo32Bits(raw);
    FreeImage_Unload(raw);
    if (!bits32) throw fail();
    ImageData image;
    image.width = int(FreeImage_GetWidth(bits32));
    image.height = int(FreeImage_GetHeight(bits32));
    if (image.width <= 0 || image.height <= 0) {
        FreeImage_Unload(bits32);
        throw fail();
    }
    image.bgra.resize(std::size_t(image.width) * std::size_t(image.height) * 4);
    for (int y = 0; y < image.height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(bits32, y);
        std::copy(row, row + image.width * 4, image.bgra.begin() + std::ptrdiff_t(y) * image.width * 4);
    }
    FreeImage_Unload(bits32);
    return image;
}

ImageData decodeImageFile(const std::string& path) {
    std::ifstream in = openOrThrow(path, "La textura no existe.", "la textura");
    return decodeImage(in, path);
}

unsigned uploadTexture(const ImageData& image) {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    // Sampled without mipmaps (GL_LINEAR): a power-of-two image goes up as it
    // is, level 0 alone; other sizes are scaled to a power of two by GLU.
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    const auto pot = [&](int n) { return n > 0 && (n & (n - 1)) == 0 && n <= maxSize; };
    if (pot(image.width) && pot(image.height))
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     image.bgra.data());
    else
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, image.width, image.height, GL_BGRA, GL_UNSIGNED_BYTE,
                          image.bgra.data());
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

SceneCache::~SceneCache() {
    for (auto& [path, scene] : scenes_) releaseScene(scene);
}

const aiScene* SceneCache::get(const std::string& path) {
    const auto it = scenes_.find(path);
    if (it != scenes_.end()) return it->second;
    const aiScene* scene = importModelFile(path);
    scenes_[path] = scene;
    return scene;
}

ModelLibrary::~ModelLibrary() {
    for (auto& [key, asset] : entries) {
        if (asset.texture) glDeleteTextures(1, &asset.texture);
        if (asset.displayList) glDeleteLists(asset.displayList, 1);
        if (asset.topList) glDeleteLists(asset.topList, 1);
    }
}

std::unique_ptr<ModelLibrary> loadModelLibrary(bool withTextures, std::shared_ptr<SceneCache> scenes) {
    auto library = std::make_unique<ModelLibrary>();
    library->scenes = scenes ? std::move(scenes) : std::make_shared<SceneCache>();
    for (const ModelFiles& files : kModelTable) {
        // Entered before anything can throw, so a half-loaded library still
        // frees what it holds.
        ModelAsset& asset = library->entries[files.key];
        asset.scene = library->scenes->get(files.model);
        if (withTextures) asset.texture = uploadTexture(decodeImageFile(files.texture));
    }
    // Without textures the scene is white; the chicken and the cars keep
    // the colours of their faces, read from their images, so that a player
    // still sees them.
    std::map<std::string, ImageData> colours;
    if (!withTextures)
        for (const ModelFiles& files : kModelTable)
            if (keepsColoursUntextured(files.key)) colours[files.key] = decodeImageFile(files.texture);
    for (auto& [key, asset] : library->entries) {
        asset.loaded = true;
        asset.displayList = glGenLists(1);
        glNewList(asset.displayList, GL_COMPILE);
        const auto c = colours.find(key);
        if (c == colours.end()) {
            renderNode(asset.scene, asset.scene->mRootNode, asset.texture);
        } else {
            glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
            glEnable(GL_COLOR_MATERIAL);
            renderNode(asset.scene, asset.scene->mRootNode, asset.texture, false, &c->second);
            glDisable(GL_COLOR_MATERIAL);
            // The material keeps the last colour it tracked: give the models
            // after this one GL's default back, and the current colour white.
            static const GLfloat defaultDiffuse[] = {0.8f, 0.8f, 0.8f, 1};
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, defaultDiffuse);
            glColor4f(1, 1, 1, 1);
        }
        glEndList();
    }
    for (const char* key : kFlatModels) {
        ModelAsset& asset = library->entries.at(key);
        asset.topList = glGenLists(1);
        glNewList(asset.topList, GL_COMPILE);
        renderNode(asset.scene, asset.scene->mRootNode, asset.texture, true);
        glEndList();
    }
    return library;
}

void drawModel(const ModelLibrary& library, const std::string& key, unsigned polygonMode) {
    glPolygonMode(GL_FRONT_AND_BACK, polygonMode);
    // Skipping back faces only saves work on solid models; a wireframe shows
    // every edge, those on the far side too.
    if (polygonMode == GL_FILL) glEnable(GL_CULL_FACE);
    else glDisable(GL_CULL_FACE);
    const auto it = library.entries.find(key);
    if (it != library.entries.end() && it->second.loaded) glCallList(it->second.displayList);
}

void drawModelTop(const ModelLibrary& library, const std::string& key) {
    const auto it = library.entries.find(key);
    if (it == library.entries.end() || !it->second.topList) {
        drawModel(library, key, GL_FILL);
        return;
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_CULL_FACE);
    if (it->second.loaded) glCallList(it->second.topList);
}

}  // namespace roosterway
