// A model file read by assimp, compiled once into a display list.
#pragma once

#include <stdexcept>
#include <string>

#include "math/vector3.h"

struct aiScene;
struct aiNode;

namespace hop {

class ModelError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Model {
public:
    // Path in the engine's convention (first character dropped). The list
    // draws scale(translate(vertex)). Throws ModelError when assimp fails.
    Model(const std::string& path, int textureId, Vector3 translate, Vector3 scale);
    ~Model();
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    void draw(bool useTexture) const;
    unsigned int getDisplayList() const { return sceneDisplayList; }
    int getTextureId() const { return textureId; }
    int getFaceCount() const { return faces; }

    // Faces of one kind compiled into one primitive (the default) or each
    // into its own, as models were once drawn; the picture is the same.
    static bool batchFaces;

private:
    int textureId = -1;
    unsigned int sceneDisplayList = 0;
    int faces = 0;
};

// Draws a node and its children in immediate mode; returns the faces drawn.
int recursive_render(const aiScene* scene, const aiNode* node);

}  // namespace hop
