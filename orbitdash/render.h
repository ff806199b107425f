// Everything the game draws in 3D, and the files it draws with: textures
// and models are loaded once at start-up in a fixed order, and every
// course item draws itself through this object under the display settings
// (textures, wireframe, flat shading).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "objloader/objloader.h"
#include "settings.h"

namespace orbitdash {

class Game;
class Suelo;
class AsteroidBelt;
class GroupSpaceShip;
class Oxigeno;
struct Astronaut;
struct Platform;

// The six planes of the camera's view volume in world coordinates, from
// the projection and camera matrices: what lies wholly outside any of them
// cannot show.
struct Frustum {
    float planes[6][4] = {};
    // From the current GL projection and model-view matrices.
    void fromGL();
    // Whether a sphere at `c` of radius `r` may show.
    bool sees(Vec3 c, float r) const;
};

struct Model {
    std::vector<objloader::Point> positions;
    std::vector<objloader::TexCoord> uvs;
    std::vector<objloader::Point> normals;
    unsigned texture = 0;
    float radius = 0;  // of the sphere about the model's origin that holds it
    // Triangles in a display list, compiled on first use (textures are bound
    // outside it, so the display settings still apply).
    void draw() const;
    void release();

private:
    mutable unsigned list_ = 0;
};

enum TextureId {
    kTexAsteroid, kTexFont, kTexSpace, kTexTitle, kTexFlying, kTexPlatform, kTexMetal,
    kTexAstronaut, kTexShip, kTexPanel, kTexCube, kTexOxygen, kTexSun, kTextureCount
};
enum ModelId { kModelAstronaut, kModelShip, kModelPanel, kModelOxygen, kModelCount };

// The files, in loading order.
extern const char* const kTexturePaths[kTextureCount];
extern const char* const kModelPaths[kModelCount];

class Renderer {
public:
    // The ring that marks where a jump ahead ends: its radii and colours
    // (landing, coming down on nothing).
    static constexpr float kRingInner = 0.3f, kRingOuter = 0.42f;
    static constexpr float kRing[3] = {0.4f, 0.95f, 1.0f}, kNoRing[3] = {1.0f, 0.5f, 0.1f};

    Renderer() = default;
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Textures in table order, then models; each file that cannot be used is
    // named on `log` with what is wrong (the loader adds its own line on
    // standard output for a model). False when any of them is unusable.
    bool load(std::ostream& log);
    // The fixed GL state: projection, clear colour, depth test, light.
    void setUp() const;

    // Background, camera, course, platforms, astronaut.
    void drawWorld(const Game& game, int width, int height);
    // The viewport, projection and camera drawWorld draws the course with.
    void setCamera(const Game& game, int width, int height) const;

    void draw(const Suelo& floor);
    void draw(const AsteroidBelt& belt);
    void draw(const GroupSpaceShip& group);
    void draw(const Oxigeno& bottle);

    unsigned texture(TextureId id) const { return textures_[id]; }
    const Model& model(ModelId id) const { return models_[id]; }
    // Draws counted in the last drawWorld (for the benchmark).
    int itemsDrawn = 0;
    // Tests: draw the course, platforms and astronaut, and the parts of
    // each, in the opposite order; surfaces that share a plane then show.
    bool reverseOrder = false;
    // Things wholly outside the view are not drawn (tests compare the
    // picture with and without), and counted here in the last drawWorld.
    bool cull = true;
    int culled = 0;

private:
    void begin(unsigned texture) const;  // applies the display settings for one item
    void drawBackground(const Game& game, int width, int height) const;
    void drawPlatform(const Platform& p) const;
    void drawAstronaut(const Astronaut& a) const;
    void drawMarker(const Game& game) const;
    void drawSphere() const;
    void drawCube(float half) const;
    bool hidden(Vec3 centre, float radius);  // outside the view: counted, not drawn

    unsigned textures_[kTextureCount] = {};
    Model models_[kModelCount];
    const Settings* settings_ = nullptr;
    mutable unsigned sphereList_ = 0;
    Frustum view_;
};

}  // namespace orbitdash
