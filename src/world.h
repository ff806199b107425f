// The one scene of the traffic game: levels read from files, the tile grid
// with its spawners, the player and camera, the level clock, the death and
// victory timers, the keys and the heads-up display.
#pragma once

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "ground_cover.h"
#include "hopcommon/records.h"
#include "level.h"
#include "math/color.h"
#include "math/vector3.h"
#include "scene.h"

namespace hop {
class MainLoop;
class Model;
}  // namespace hop

namespace lanehop {

using hop::Color;
using hop::Vector3;

class Player;

// A level that cannot be booted (missing or empty file).
class LevelError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct TileObjectLayerInfo {
    float y;       // top of the layer
    float shrink;  // share of the tile left free around the layer
};

struct LightProperty {
    float direction[4];  // GL light position: w 0 directional, 1 positional
    float diffuse[4];
    float ambient[4];
    float fogColor[4];
};

struct SkyboxProperty {
    unsigned int textures[6] = {0, 0, 0, 0, 0, 0};  // back, front, top, bottom, left, right
    Color color{1, 1, 1, 1};
};

class World : public hop::Scene {
public:
    // Loads the fonts, the settings and level 1. GL resources (textures, sky
    // boxes, tree models) wait for loadResources(), which the first draw
    // calls when nobody did before.
    World();
    ~World() override;

    void loadSettings(const std::string& path);
    // Reads a level file into `tiles` (empty when it cannot be read).
    void loadLevel(const std::string& path);
    // Replaces the grid (tests and the loaders).
    void setTiles(Grid grid);
    // Throws LevelError when the grid has no row.
    void bootupLevel();
    void nextLevel();
    void retryLevel();
    void loadResources();
    // The tree models and the compiled terrain (textures stay cached).
    void releaseResources();
    bool resourcesLoaded() const { return resourcesReady; }

    void tick(float delta) override;
    void draw() override;
    void input(SDL_Event e, float delta) override;
    void hud() override;

    void drawTree(char kind);
    void drawStreet(double width, double count, double height);
    void drawWaterPlant();

    // Rules the player and tests read.
    const Grid& getTiles() const { return tiles; }
    int getTileWidth() const { return tileWidth; }
    float getLevelSizeX() const { return levelSizeX; }
    float getLevelSizeZ() const { return levelSizeZ; }
    int columns() const { return tiles.empty() ? 0 : int(tiles[0].size()); }
    int rows() const { return int(tiles.size()); }
    // The tile at (row, column), or 0 where the grid has none.
    char tileAt(int row, int column) const;
    float floorYOf(char tile) const;
    const std::vector<TileObjectLayerInfo>* layersOf(char tile) const;
    Player* getPlayer() const { return player; }
    int getCurrentLevel() const { return currentLevel; }
    int getLastLevel() const { return lastLevel; }
    int getDeathCount() const { return deathCount; }
    float getAccTime() const { return accTime; }
    float getLevelTime() const { return levelTime; }
    float getDeathStart() const { return deathStart; }
    float getCelebrationStart() const { return celebrationStart; }
    float getSkyRotation() const { return skyRotation; }
    float getDeathTime() const { return deathTime; }
    float getCelebrationTime() const { return celebrationTime; }
    int getSettingsPage() const { return settingsPage; }
    const Settings& getSettings() const { return settings; }
    int getCurrentLight() const { return currentLight; }
    int getCurrentSkybox() const { return currentSkybox; }
    const std::vector<SkyboxProperty>& getSkyboxes() const { return skyboxes; }
    const std::vector<LightProperty>& getLights() const { return lights; }
    // "Tiempo: 12" and "Muertes: 3".
    std::string timeText() const;
    std::string deathText() const;
    // The best results kept across runs: "best", the highest level won,
    // and "level-N", the fewest seconds level N took (its won attempt).
    std::string recordText() const;
    hop::Records records{"lanehop"};

    static constexpr int kLanternLight = 3;
    static constexpr int kSunsetLight = 1;

private:
    void selectLight(int light, int skybox, const Color* dayTint);
    void keyDown(SDL_Keycode key);
    void cycleView();
    void drawLight();
    void drawSky();
    void drawSkyBox();
    void loadSkybox(int which);
    void loadPalmTree();
    void drawBoardBase();
    void drawFrame();
    enum TilePart { kAllTiles, kTilesBeforePits, kTilesAfterPits };
    void drawTiles(TilePart part);
    void drawTreeShadows();
    void drawModelTrees();
    void drawWater();
    void emitPit(int row, int col, Vector3 origin, float y, bool outside);
    void emitPitOutside(int row, int col, Vector3 origin, float y);
    void drawPitOutsides();
    // The board's base and the pits' outer faces in a list of their own,
    // drawn only outside the ground's cover, and the pits' insides in a list
    // per river.
    bool splitUnderside() const;
    GroundCover cover() const;
    static GroundCover coverOf(double x0, double z0, double x1, double z1, double inset);
    static void outsideCover(const GroundCover& c, const std::function<void()>& draw);
    // Rows row0..row1 hold water within columns col0..col1.
    struct RiverBlock {
        int row0, row1, col0, col1;
    };
    std::vector<RiverBlock> riverBlocks() const;
    void drawPitInteriors(const RiverBlock& block);
    void drawModelTree();
    void fade(float alpha);

    int tileWidth = 1;
    float deathTime = 2.5f;
    float celebrationTime = 5;
    float startupFadeTime = 0.5f;
    float treeTrunkHeight = 0.4f + 1;
    float treeTrunkShrink = 0.7f;
    float treeTopHeight = 1;
    float treeTopShrink = 0.1f;
    float waterPShrink = 0.5f;
    float waterMovementSpeed = 1;
    float skyRotation = 0;
    float skyRotationSpeed = 0.3f;
    float textureBrightness = 0.4f;
    Color cTexEnabled{0.4f, 0.4f, 0.4f, 1};
    float waterY = -3;
    float waterY2 = -0.125f;
    int currentLevel = 0;
    int lastLevel = 5;
    int deathCount = 0;
    float lastAccTime = 0;
    float accTime = 0;
    float levelTime = 0;
    float deathStart = 0;
    float celebrationStart = 0;
    float levelSizeZ = 0, levelSizeX = 0;
    unsigned int grassTexId = 0, sandTexId = 0, rockTexId = 0, woodTexId = 0, leavesTexId = 0, streetTexId = 0,
                 bumpTexId = 0, waterTexId = 0, lotusTexId = 0, treeModelTexId = 0, palmTreeModelTexId = 0;
    hop::Model* tree1 = nullptr;
    hop::Model* palmTree = nullptr;
    int currentSkybox = 0;
    std::vector<SkyboxProperty> skyboxes;
    std::vector<LightProperty> lights;
    Vector3 prevCameraOffset;
    hop::MainLoop* ml = nullptr;
    Player* player = nullptr;
    int settingsFontSize = 40;
    int settingsPage = 0;
    Settings settings;
    Grid tiles;
    std::map<char, float> floorYs;
    std::map<char, std::vector<TileObjectLayerInfo>> tileObjectInfos;
    int currentLight = 0;
    bool resourcesReady = false;

    // What the compiled terrain was drawn with.
    struct TerrainKey {
        int tilesVersion = -1, level = 0, light = 0;
        bool texture = false, lighting = false, fast = false, wireframe = false, cull = false;
        bool operator==(const TerrainKey& o) const {
            return tilesVersion == o.tilesVersion && level == o.level && light == o.light && texture == o.texture &&
                   lighting == o.lighting && fast == o.fast && wireframe == o.wireframe && cull == o.cull;
        }
    };
    int tilesVersion = 0;
    static constexpr unsigned int kTerrainLists = 6, kUnderList = 4, kAfterPitsList = 5;
    unsigned int terrainList = 0;  // the first of kTerrainLists
    std::vector<RiverBlock> pitBlocks;  // with a list each from pitLists on
    unsigned int pitLists = 0;
    TerrainKey terrainKey;
};

}  // namespace lanehop
