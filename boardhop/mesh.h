// Textures and meshes of the board's entities. Files are read when an object
// is built; GL objects are made on the first draw, so rules and readers work
// without a GL context.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "objloader.h"

namespace boardhop {

// An image read through FreeImage, converted to 24 bits and uploaded as an
// RGB texture on first use. A file that cannot be read leaves it invalid:
// id() is 0 and whatever uses it draws untextured.
class ImageTexture {
public:
    explicit ImageTexture(const std::string& path);
    ~ImageTexture();
    ImageTexture(const ImageTexture&) = delete;
    ImageTexture& operator=(const ImageTexture&) = delete;

    bool valid() const { return width > 0; }
    // The colour (0..1 RGB) under a texture coordinate, repeating as the GL
    // texture does; false once the pixels have gone to GL, or without any.
    bool texel(float u, float v, float rgb[3]) const;
    unsigned id();  // needs a current GL context
    // Binds it (linear filtering, repeating, set once at upload); false
    // when there is nothing to bind.
    bool bind();

    int width = 0, height = 0;

private:
    std::vector<unsigned char> pixels_;  // BGR rows, bottom row first, until uploaded
    unsigned id_ = 0;
};

struct MeshPart {
    std::vector<Vertex> vertices;
    // Per vertex, the colour its texture shows there: drawn untextured, a
    // model that has them keeps the colours of its faces (empty: white).
    std::vector<std::array<float, 3>> materialColours;
    float position[3] = {0, 0, 0};
    float pivot[3] = {0, 0, 0};
    float rotation[3] = {0, 0, 0};  // degrees about x, y, z
    float scale[3] = {1, 1, 1};
    bool texturesOn = true;
    unsigned displayList = 0;
    // With the material colours: as they are when unlit, as the diffuse
    // colour when lit (0.8 of them, GL's default diffuse, as a lit texel).
    unsigned plainList = 0, plainLitList = 0;

    void draw(ImageTexture& texture);
    ~MeshPart();

private:
    void emit(unsigned& list, const std::array<float, 3>* colours, float scale);
};

class MeshModel {
public:
    struct Vec3 {
        float x, y, z;
    };

    // Throws ObjError when the OBJ file cannot be opened or is malformed.
    MeshModel(Vec3 position, const std::string& texturePath, const std::string& objPath);

    void setRotation(float x, float y, float z);
    void setScale(float s);
    void setTexturesOn(bool on);
    // Drawn without its texture, the model keeps the colours the texture
    // gives its faces (the hero and what can kill it stay visible on the
    // plain board). Call before the first draw: the texture's pixels go to
    // GL then.
    void keepColoursUntextured();
    // Puts every part's position and pivot at a point.
    void setPlacement(float x, float y, float z);
    void draw();

    ImageTexture texture;
    Vec3 position;
    bool texturesOn = true;
    std::vector<std::unique_ptr<MeshPart>> parts;
};

}  // namespace boardhop
