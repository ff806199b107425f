// Everything drawn in 3D: textures, the duck's display lists, the skybox,
// the field, the duck, the blocks and the lights. Needs a current GL context.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "assets.h"
#include "camera.h"
#include "world.h"

namespace duckrun {

enum class Wrap { Repeat, ClampToEdge };
// A GL texture from a picture (RGB from BGR, or RGBA from BGRA), linear filters.
unsigned makeTexture(const Picture& picture, Wrap wrap);
// readPicture + makeTexture.
unsigned loadTexture(const std::string& path, int bits, Wrap wrap);

// The two display lists of the duck: textured faces with normals, and one
// line loop per face. Positions are multiplied by `scale`.
unsigned buildDuckFilled(const DuckMesh& mesh, unsigned texture, float scale);
unsigned buildDuckWire(const DuckMesh& mesh, float scale);

// A sky cube centred on the duck. Each face set is read and uploaded once,
// the first time it is asked for; switching back and forth only changes
// which six textures are drawn.
class Skybox {
public:
    using Faces = std::array<std::string, 6>;  // left, back, right, front, top, bottom

    Skybox() = default;
    ~Skybox();
    Skybox(const Skybox&) = delete;
    Skybox& operator=(const Skybox&) = delete;

    void create(const Faces& faces, const DuckCamera& camera);
    void load(const Faces& faces);
    // Behind the scene: drawn after it, at the far end of the depth range,
    // only where nothing else was drawn (the field hides most of the sky, and
    // its pixels are then neither textured nor written twice). Otherwise
    // drawn first, over everything, without the depth test.
    void draw(float size, bool behindScene) const;
    // Distinct textures made so far (6 per face set).
    std::size_t textureCount() const { return sets_.size() * 6; }

private:
    const DuckCamera* camera_ = nullptr;
    std::map<Faces, std::array<unsigned, 6>> sets_;
    std::array<unsigned, 6> current_{};
};

// Off: every block of the field is drawn, in view or not (the same picture).
inline bool skipFieldBlocksOutOfView = true;
// Off: each frame draws its sky first, under the scene (the same picture).
inline bool skyBehindScene = true;

void applyCamera(const DuckCamera& camera);
// The field's geometry, compiled on first use. Filled, the squares go in
// blocks of kFieldBlock x kFieldBlock, a list each, and a block wholly out of
// view is skipped: most of the field lies behind or beside the camera, and
// each of its corners is lit by every light. Wireframe is one line loop.
constexpr int kFieldBlock = 10;
struct FieldLists {
    unsigned filled = 0, wire = 0;  // filled: the first of `blocks.size()` lists
    struct Block {
        float minX, maxX, minZ, maxZ;
    };
    std::vector<Block> blocks;
    FieldLists() = default;
    ~FieldLists();
    FieldLists(const FieldLists&) = delete;
    FieldLists& operator=(const FieldLists&) = delete;
};
void drawField(const Field& field, const GameState& state, unsigned grassTexture, FieldLists& lists);
void drawDuck(const DuckCamera& camera, float facing, const GameState& state, unsigned filledList,
              unsigned wireList);
void drawBlock(const Block& block, bool wireframe);
// Night: six lamps and a light over the duck; day: one sun, warm at sunset.
void setLights(bool night, bool sunset, Vec3 duck, const Vec3 (&lamps)[6]);

}  // namespace duckrun
