#include "world.h"

#include <cmath>
#include <iostream>

#include "camera.h"
#include "car.h"
#include "files.h"
#include "fontmanager.h"
#include "mainloop.h"
#include "model.h"
#include "player.h"

namespace lanehop {

World::World() : ml(hop::MainLoop::getInstance()) {
    auto* fonts = hop::FontManager::getInstance();
    fonts->loadFont("cartoon", 72);
    fonts->loadFont("cartoon", 128);
    fonts->loadFont("cartoon", unsigned(settingsFontSize));
    loadSettings("../resources/settings.txt");
    skyboxes.resize(2);
    clearColor = Color(0.57f, 0.69f, 0.75f, 1);
    lights = {
        {{0, 1, -0.1f, 0}, {1, 1, 1, 1}, {0.15f, 0.15f, 0.15f, 1}, {0.7f, 0.7f, 0.7f, 1}},
        {{0, 1, 1, 0}, {0.7f, 0.5f, 0, 1}, {0.15f, 0.1f, 0, 1}, {0.7f, 0.5f, 0.3f, 1}},
        {{0, 1, -0.3f, 0}, {0.5f, 0.5f, 0.6f, 1}, {0.1f, 0.1f, 0.2f, 1}, {0, 0, 0, 0.5f}},
        {{-1, 1, -2, 1}, {1, 1, 1, 1}, {0.15f, 0.15f, 0.15f, 1}, {0, 0, 0, 0.5f}},
        {{10, 1, 0, 1}, {1, 1, 1, 1}, {0.15f, 0.15f, 0.15f, 1}, {0.7f, 0.7f, 0.7f, 1}},
    };
    floorYs = {{'3', -3.f}, {'4', -3.f}, {'5', 0.1f}, {'6', 1.f}};
    const std::vector<TileObjectLayerInfo> tree = {{treeTrunkHeight, treeTrunkShrink},
                                                   {treeTrunkHeight + treeTopHeight, treeTopShrink}};
    tileObjectInfos = {{'1', tree}, {'t', tree}, {'T', tree}, {'4', {{0, waterPShrink}}}};
    nextLevel();
}

World::~World() { releaseResources(); }

void World::loadSettings(const std::string& path) {
    const std::string file = enginePath(path);
    settings = readSettingsFile(file);
    if (settings.brokenLines > 0)
        std::cerr << "Los ajustes " << file << " tienen " << settings.brokenLines
                  << " línea(s) que no son UTF-8; sus bytes no válidos se muestran como U+FFFD" << std::endl;
    if (settings.problem.empty()) return;
    // The game plays without its panel text, but the player is told why the
    // panel is empty, on the console and on the panel itself.
    std::cerr << "No se pudieron leer los ajustes " << file << ": " << settings.problem << std::endl;
    settings.pages[0] = {"Sin ajustes:" + file, "Motivo:" + settings.problem};
}

void World::loadLevel(const std::string& path) {
    const std::string file = enginePath(path);
    const std::string problem = hop::fileProblem(file);
    if (!problem.empty()) throw LevelError("No se pudo cargar el nivel " + file + ": " + problem);
    Grid grid;
    try {
        grid = readLevelFile(file);
    } catch (const LevelFormatError& e) {
        throw LevelError("No se pudo cargar el nivel " + file + ": " + e.what());
    }
    if (grid.empty()) throw LevelError("No se pudo cargar el nivel " + file + ": no tiene filas");
    if (!hasGoal(grid))
        throw LevelError("No se pudo cargar el nivel " + file + ": no tiene meta (casillas b o w); falta su final");
    setTiles(std::move(grid));
}

void World::setTiles(Grid grid) {
    tiles = std::move(grid);
    ++tilesVersion;
    levelSizeZ = float(tiles.size()) * float(tileWidth);
    levelSizeX = tiles.empty() ? 0.f : float(tiles[0].size()) * float(tileWidth);
}

char World::tileAt(int row, int column) const {
    if (row < 0 || column < 0 || row >= int(tiles.size())) return 0;
    const auto& r = tiles[std::size_t(row)];
    return column < int(r.size()) ? r[std::size_t(column)] : 0;
}

float World::floorYOf(char tile) const {
    auto it = floorYs.find(tile);
    return it == floorYs.end() ? 0.f : it->second;
}

const std::vector<TileObjectLayerInfo>* World::layersOf(char tile) const {
    auto it = tileObjectInfos.find(tile);
    return it == tileObjectInfos.end() ? nullptr : &it->second;
}

void World::nextLevel() {
    if (currentLevel > lastLevel) return;
    lastAccTime = accTime;
    currentLevel += 1;
    loadLevel("../level/level" + std::to_string(currentLevel) + ".txt");
    bootupLevel();
    loadPalmTree();
    std::cout << "Nivel " << currentLevel << std::endl;
}

void World::retryLevel() {
    deathCount += 1;
    accTime = lastAccTime;  // the time of the failed attempt does not count
    bootupLevel();
}

void World::bootupLevel() {
    if (tiles.empty() || tiles[0].empty()) throw LevelError("El nivel " + std::to_string(currentLevel) + " no tiene filas");
    // The camera must not follow the player about to be deleted.
    if (camera) camera->setFollowing(nullptr);
    while (!objects.empty()) freeObject(*objects.begin());
    while (!tofreeObjects.empty()) tofreeObjects.pop();
    player = nullptr;

    const float tw = float(tileWidth);
    const bool slow = currentLevel == 5;  // level 5: slower, sparser traffic
    for (std::size_t i = 0; i < tiles.size(); ++i)
        for (std::size_t j = 0; j < tiles[i].size(); ++j) {
            const char t = tiles[i][j];
            if (t != 'l' && t != 'r') continue;
            const float interval = (slow ? 1.75f : 1.f) + float(i % 10) / 10;
            const float speed = slow ? 6.f : 7.f;
            auto* spawn = new CarSpawn(interval, t == 'l' ? speed : -speed, -2, levelSizeX + 2);
            spawn->setPosition(t == 'l' ? Vector3(-2, 0, 0.5f - float(i)) * tw
                                        : Vector3(float(j) + 2, 0, 0.5f - float(i)) * tw);
            loadObject(spawn);
        }

    const Vector3 start(levelSizeX / 2, 0, 0);
    const bool fresh = !camera;
    if (fresh) {
        auto* c = new hop::Camera();
        c->setFovy(45);
        c->setAspect(1.7777778f);
        c->setZNear(0.001f);
        c->setZFar(225);
        c->setUp(Vector3(0, 1, 0));
        c->setMouseMode(hop::Camera::THIRD_PERSON);
        setCamera(c);
    }
    if (camera->getMouseMode() != hop::Camera::NONE) {
        camera->setCenter(start, false, false);
        camera->setPosition(start + Vector3(0, 2, 6), false, false);
        // Remembered after the camera is placed: at creation eye and target
        // coincide, and restoring a zero offset would leave no view at all.
        if (fresh) prevCameraOffset = camera->getCenter() - camera->getPosition();
    }
    player = new Player(this, camera, start);
    camera->setFollowing(player);
    loadObject(player);
    levelTime = deathStart = celebrationStart = 0;
}

void World::tick(float delta) {
    if (currentLevel <= lastLevel) {
        if (player && player->getState() == WINNING) {
            if (celebrationStart == 0) celebrationStart = levelTime;
        } else {
            accTime += delta;
        }
    }
    levelTime += delta;
    skyRotation += skyRotationSpeed * delta;
    if (player && player->isDead() && deathStart == 0) deathStart = levelTime;
    if (deathStart > 0 && levelTime - deathStart > deathTime)
        retryLevel();
    else if (celebrationStart > 0 && levelTime - celebrationStart > celebrationTime) {
        // Won: the level's own clock, without its failed attempts.
        records.record("best", currentLevel);
        records.record("level-" + std::to_string(currentLevel), (long long)std::floor(accTime - lastAccTime),
                       hop::Records::Lower);
        nextLevel();
    }
}

std::string World::timeText() const { return "Tiempo: " + std::to_string(int(std::floor(accTime))); }

std::string World::recordText() const {
    const auto won = records.best("best");
    if (!won) return "Récord: ninguno";
    std::string text = "Récord: " + std::to_string(*won) + (*won == 1 ? " nivel" : " niveles");
    if (const auto secs = records.best("level-" + std::to_string(currentLevel)))
        text += ", este en " + std::to_string(*secs) + " s";
    return text;
}

std::string World::deathText() const { return "Muertes: " + std::to_string(deathCount); }

}  // namespace lanehop
