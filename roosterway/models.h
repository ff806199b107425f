// The model library: 18 models imported through assimp, each with its own
// texture (through FreeImage) and compiled into one display list. This header
// names no GL or assimp type, so rule files can hold a library by pointer.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct aiScene;

namespace roosterway {

struct ModelAsset {
    const aiScene* scene = nullptr;
    unsigned texture = 0;      // GL texture name; 0 when loaded without textures
    unsigned displayList = 0;  // GL list name
    bool loaded = false;       // set once the display list is compiled
    // For the models of kFlatModels: a second list with only the faces
    // turned straight up (0 for the others).
    unsigned topList = 0;
};

struct ModelFiles {
    const char* key;
    const char* model;
    const char* texture;
};
constexpr int kModelCount = 18;
// In load order; paths relative to the working directory.
extern const ModelFiles kModelTable[kModelCount];

// The row models. They lie side by side as one slab, so that seen from
// above only their tops and the slab's ends can show; a list of their tops
// alone is compiled as well.
constexpr int kFlatModelCount = 4;
extern const char* const kFlatModels[kFlatModelCount];

// The models drawn in the colours of their faces when textures are off (the
// chicken and every vehicle); the others are drawn plain, lit white.
bool keepsColoursUntextured(const std::string& key);

// assimp post-processing: CalcTangentSpace | JoinIdenticalVertices |
// Triangulate | GenSmoothNormals | SplitLargeMeshes | LimitBoneWeights |
// ValidateDataStructure | ImproveCacheLocality | RemoveRedundantMaterials |
// SortByPType | FindDegenerates | FindInvalidData | GenUVCoords |
// FindInstances | OptimizeMeshes | Debone.
constexpr unsigned kImportFlags = 70753995u;

// Imported scenes by model file, shared by the libraries built from it: a
// world replaced or a textures toggle compiles its new library from them
// without importing the OBJ files again (each import costs a fixed 16 MB
// line buffer in assimp's OBJ reader, most of the game's start-up), and
// models that share a file ("grass", "road") import it once.
class SceneCache {
public:
    SceneCache() = default;
    ~SceneCache();
    SceneCache(const SceneCache&) = delete;
    SceneCache& operator=(const SceneCache&) = delete;
    // Imports the file on first use (importModelFile, with its errors).
    const aiScene* get(const std::string& path);

private:
    std::map<std::string, const aiScene*> scenes_;
};

// Owns its textures and display lists, which need the GL context the library
// was loaded under to be released; its scenes belong to `scenes`.
class ModelLibrary {
public:
    ModelLibrary() = default;
    ~ModelLibrary();
    ModelLibrary(const ModelLibrary&) = delete;
    ModelLibrary& operator=(const ModelLibrary&) = delete;

    std::map<std::string, ModelAsset> entries;
    std::shared_ptr<SceneCache> scenes;
};

// Every entry of kModelTable, imported (from `scenes` where given: files
// already imported there are not read again), textured when asked and
// compiled. Throws std::invalid_argument ("El modelo no existe.", "La
// textura no existe.") after printing the missing path, std::runtime_error
// when a file cannot be read. Needs a current GL context.
std::unique_ptr<ModelLibrary> loadModelLibrary(bool withTextures, std::shared_ptr<SceneCache> scenes = {});

// glPolygonMode(GL_FRONT_AND_BACK, polygonMode), then the model's display
// list if the key names a loaded model. Back faces are culled in GL_FILL
// mode only: lines and points draw both sides.
void drawModel(const ModelLibrary& library, const std::string& key, unsigned polygonMode);

// Solid drawing of the model's top list (the whole model where it has none),
// back faces culled.
void drawModelTop(const ModelLibrary& library, const std::string& key);

// Readers, usable without a GL context. `name` gives the format (by its
// extension) and names the file in messages.
// The scene of an OBJ model; throws std::runtime_error with assimp's reason
// when it cannot be imported. Release it with releaseScene.
const aiScene* importModel(std::istream& in, const std::string& name);
// Opens the file (printing the path and throwing "El modelo no existe." when
// it cannot) and delegates.
const aiScene* importModelFile(const std::string& path);
void releaseScene(const aiScene* scene);

// A picture as 32-bit BGRA rows, bottom row first (what FreeImage gives and
// what GL expects for texture coordinate v = 0).
struct ImageData {
    int width = 0, height = 0;
    std::vector<std::uint8_t> bgra;
};
ImageData decodeImage(std::istream& in, const std::string& name);
ImageData decodeImageFile(const std::string& path);  // "La textura no existe."
// A GL texture with mipmaps, linear filtering, repeat wrapping, modulate.
unsigned uploadTexture(const ImageData& image);

}  // namespace roosterway
