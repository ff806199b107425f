// The drawing half of the world: lights, sky, level frame, tiles with their
// decorations and the translucent water.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "camera.h"
#include "drawing.h"
#include "mainloop.h"
#include "model.h"
#include "player.h"
#include "texturemanager.h"
#include "world.h"

namespace lanehop {

using hop::drawCuboid;
using hop::drawCuboidReversed;
using hop::setDefaultColor;

namespace {

bool isWaterTile(char t) { return t == '3' || t == '4'; }

const Color kGrass(0.125f, 0.215f, 0.058f), kSand(0.811f, 0.78f, 0.607f);
const Color kStreet = Color(0.301f, 0.301f, 0.301f) * 0.5f;
const Color kRiverbed(0.18f, 0.121f, 0), kPad(0.7f, 0.221f, 0.221f);
const Color kHedge(0.007f, 0.192f, 0.125f), kRock(0.47f, 0.47f, 0.47f);
const Color kFrame(0.38f, 0.271f, 0.2f), kBase(0.06f, 0.05f, 0.04f);
const Color kSunsetSky(0.933f, 0.639f, 0.372f), kDaySky(0.57f, 0.69f, 0.75f);

}  // namespace

void World::loadResources() {
    if (resourcesReady) return;
    auto* tm = hop::TextureManager::getInstance();
    const float clamp = GL_CLAMP_TO_EDGE;
    woodTexId = tm->loadTexture("../resources/textures/wood.jpg", clamp);
    grassTexId = tm->loadTexture("../resources/textures/grass.jpg", clamp);
    rockTexId = tm->loadTexture("../resources/textures/rock.jpg", clamp);
    sandTexId = tm->loadTexture("../resources/textures/sand.jpg", clamp);
    leavesTexId = tm->loadTexture("../resources/textures/leaves.jpg", clamp);
    streetTexId = tm->loadTexture("../resources/textures/street.jpg", clamp);
    bumpTexId = tm->loadTexture("../resources/textures/bump.jpg", clamp);
    lotusTexId = tm->loadTexture("../resources/textures/lotus.jpg", clamp);
    waterTexId = tm->loadTexture("../resources/textures/water.png", GL_MIRRORED_REPEAT);
    treeModelTexId = tm->loadTexture("../resources/textures/models/TEXTURE_V1.png", clamp);
    palmTreeModelTexId = tm->loadTexture("../resources/textures/models/Tree_5_normal.png", clamp);
    loadSkybox(0);
    tree1 = new hop::Model("../resources/models/tree/Tree_1.obj", int(treeModelTexId), Vector3(1.5f, 0.1f, 1.5f),
                           Vector3(0.32f, 1, 0.32f));
    resourcesReady = true;
    loadPalmTree();
}

// The palm stands on level 3 alone: it is imported when that level boots
// (or when its first frame is drawn), not at start-up, where each model
// import costs a fresh 16 MB buffer of the importer's, page by page.
void World::loadPalmTree() {
    if (palmTree || !resourcesReady || currentLevel != 3) return;
    palmTree = new hop::Model("../resources/models/tree/Tree_5_73.obj", int(palmTreeModelTexId),
                              Vector3(1.25f, 0, 1.25f), Vector3(0.4f, 1, 0.4f));
    ml->trimHeapAfterFrame();
}

// The day sky loads with the rest; the sunset sky waits until it is first
// shown (its six faces are 6 MB of texture that most games never need).
void World::loadSkybox(int which) {
    SkyboxProperty& sky = skyboxes[std::size_t(which)];
    if (sky.textures[0] != 0) return;
    auto* tm = hop::TextureManager::getInstance();
    const std::string dir = which == 0 ? "../resources/textures/skybox/" : "../resources/textures/skyboxSunset/";
    const char* faces[6] = {"back", "front", "top", "bottom", "left", "right"};
    unsigned int ids[6];  // all six or none: a face that fails throws
    for (int f = 0; f < 6; ++f) ids[f] = tm->loadTexture(dir + faces[f] + ".jpg", GL_CLAMP_TO_EDGE);
    std::copy(ids, ids + 6, sky.textures);
    ml->trimHeapAfterFrame();
}

void World::releaseResources() {
    delete tree1;
    delete palmTree;
    tree1 = palmTree = nullptr;
    if (terrainList) glDeleteLists(terrainList, kTerrainLists);
    terrainList = 0;
    if (pitLists) glDeleteLists(pitLists, GLsizei(pitBlocks.size()));
    pitLists = 0;
    pitBlocks.clear();
    resourcesReady = false;
}

void World::draw() {
    loadResources();
    loadPalmTree();
    drawLight();
    // The terrain only changes with the level, the texture and lighting
    // switches and the light chosen: it is compiled once into display lists
    // and replayed, which a software renderer draws far faster than the
    // thousands of immediate-mode quads it is made of. In the order drawn:
    // what lies under the board, its base and the river pits' outer faces
    // (drawn only where the ground cannot hide them), the opaque ground, the pits'
    // insides (a list per river, drawn only around its opening), what stands
    // on the ground, the trees' translucent shadows, the model trees, the
    // translucent water.
    const TerrainKey key{tilesVersion, currentLevel, currentLight, ml->getTexture(), ml->getLighting(),
                         hop::fastDrawing, ml->getWireframe(), ml->getCullFace()};
    const bool split = splitUnderside();
    if (!terrainList || !(key == terrainKey)) {
        if (!terrainList) terrainList = glGenLists(kTerrainLists);
        auto compile = [&](unsigned int n, auto&& body) {
            glNewList(terrainList + n, GL_COMPILE);
            body();
            glEndList();
        };
        compile(kUnderList, [&] {
            if (!split) return;
            drawBoardBase();
            drawPitOutsides();
        });
        compile(0, [&] {
            if (!split) drawBoardBase();
            drawFrame();
            drawTiles(split ? kTilesBeforePits : kAllTiles);
        });
        compile(kAfterPitsList, [&] {
            if (split) drawTiles(kTilesAfterPits);
        });
        if (pitLists) glDeleteLists(pitLists, GLsizei(pitBlocks.size()));
        pitLists = 0;
        pitBlocks.clear();
        if (split) pitBlocks = riverBlocks();
        if (!pitBlocks.empty()) pitLists = glGenLists(GLsizei(pitBlocks.size()));
        for (std::size_t k = 0; k < pitBlocks.size(); ++k) {
            glNewList(pitLists + unsigned(k), GL_COMPILE);
            drawPitInteriors(pitBlocks[k]);
            glEndList();
        }
        compile(1, [&] { drawTreeShadows(); });
        compile(2, [&] { drawModelTrees(); });
        compile(3, [&] { drawWater(); });
        terrainKey = key;
        ml->trimHeapAfterFrame();
    }
    const GroundCover hidden = cover();
    ml->blendPass(false);
    if (split) outsideCover(hidden, [&] { glCallList(terrainList + kUnderList); });
    glCallList(terrainList);
    // A pit shows only through its opening: its bed and inner walls are
    // drawn only in the window rectangle around the opening's picture (a
    // scissor, which leaves every pixel drawn exactly as it was).
    for (std::size_t k = 0; k < pitBlocks.size(); ++k) {
        const RiverBlock& b = pitBlocks[k];
        const double tw = tileWidth;
        const GroundCover opening =
            hidden.empty() ? GroundCover{} : coverOf(b.col0 * tw, -b.row1 * tw, (b.col1 + 1) * tw, (1 - b.row0) * tw, 0);
        if (opening.empty()) {
            glCallList(pitLists + unsigned(k));
            continue;
        }
        glEnable(GL_SCISSOR_TEST);
        glScissor(opening.x0 - 2, opening.y0 - 2, opening.x1 - opening.x0 + 4, opening.y1 - opening.y0 + 4);
        glCallList(pitLists + unsigned(k));
        glDisable(GL_SCISSOR_TEST);
    }
    glCallList(terrainList + kAfterPitsList);
    for (unsigned int n = 1; n < 4; ++n) {
        ml->blendPass(n == 1 || n == 3);
        glCallList(terrainList + n);
    }
    ml->blendPass(false);
    // The sky last, and only outside the ground's cover: within it every
    // sky pixel would fail the depth test, and around it those behind the
    // terrain still do.
    if (camera) {
        loadSkybox(currentSkybox);
        outsideCover(hidden, [&] { drawSkyBox(); });
    }
}

void World::drawLight() {
    glEnable(GL_LIGHT0);
    LightProperty l = lights[std::size_t(currentLight)];
    if (currentLight == kLanternLight && player) {
        const Vector3 p = player->getPosition();
        l.direction[0] = p.x;
        l.direction[1] = p.y + 0.3f;
        l.direction[2] = p.z;
        l.direction[3] = 1;
        l.ambient[0] = l.ambient[1] = l.ambient[2] = 0;
        l.ambient[3] = 1;
        glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 0);
        glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.25f);
        glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0);
    } else {
        glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 1);
        glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0);
        glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0);
    }
    glLightfv(GL_LIGHT0, GL_POSITION, l.direction);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, l.diffuse);
    glLightfv(GL_LIGHT0, GL_AMBIENT, l.ambient);
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogf(GL_FOG_DENSITY, 0.15f);
    glFogfv(GL_FOG_COLOR, l.fogColor);
}

GroundCover World::cover() const {
    // Not in wireframe (the ground then hides nothing), nor seen from below.
    if (!camera || !hop::fastDrawing || ml->getWireframe() || tiles.empty()) return {};
    const bool fromAbove = camera->getMode() == hop::Camera::ORTHOGONAL ? camera->getViewVector().y < -0.01f
                                                                         : camera->getPosition().y > 0.1f;
    if (!fromAbove) return {};
    // Three pixels in: the edges' own pixels stay with whatever the
    // rasteriser gives them.
    const double tw = tileWidth;
    return coverOf(0, tw - levelSizeZ, levelSizeX, tw, 3);
}

GroundCover World::coverOf(double x0, double z0, double x1, double z1, double inset) {
    GLdouble mv[16], pr[16];
    GLint vp[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, vp);
    GroundCover c = groundCover(mv, pr, vp, x0, z0, x1, z1, inset);
    GLint planes = 0;
    glGetIntegerv(GL_MAX_CLIP_PLANES, &planes);
    if (c.inner.size() > std::size_t(planes)) return {};
    return c;
}

namespace {

void clipTo(const std::vector<Plane>& planes) {
    // Planes are given in eye space: set under an identity modelview.
    glPushMatrix();
    glLoadIdentity();
    for (std::size_t i = 0; i < planes.size(); ++i) {
        glClipPlane(GLenum(GL_CLIP_PLANE0 + i), planes[i].data());
        glEnable(GLenum(GL_CLIP_PLANE0 + i));
    }
    glPopMatrix();
}

void unclip(std::size_t planes) {
    for (std::size_t i = 0; i < planes; ++i) glDisable(GLenum(GL_CLIP_PLANE0 + i));
}

}  // namespace


void World::outsideCover(const GroundCover& c, const std::function<void()>& draw) {
    if (c.empty()) {
        draw();
        return;
    }
    for (const auto& region : c.regions()) {
        clipTo(region);
        draw();
        unclip(region.size());
    }
}

void World::drawSkyBox() {
    const bool lit = ml->getLighting();
    ml->setLighting(false);
    const SkyboxProperty& sky = skyboxes[std::size_t(currentSkybox)];
    const float half = camera->getZFar() / 2 - 5;
    const Vector3 c = camera->getCenter();
    glPushMatrix();
    glTranslatef(c.x, c.y, c.z);
    glRotatef(skyRotation + 180, 0, 1, 0);
    const Color plain = currentLight == kSunsetLight ? kSunsetSky : Color(kDaySky.r * sky.color.r * 1.3f,
                                                                          kDaySky.g * sky.color.g * 1.3f,
                                                                          kDaySky.b * sky.color.b * 1.3f);
    setDefaultColor(plain, sky.color);
    drawCuboidReversed(Vector3(-half, -half, -half), Vector3(2 * half, 2 * half, 2 * half), Vector3(), sky.textures,
                       true);
    glPopMatrix();
    ml->setLighting(lit);
}

// The level floats like a board, with the sky below it: a dark base under
// the dry tiles, a brown rim around them (the river pits have their own
// floor).
namespace {
const float kRimThickness = 0.1f, kRimTop = 0.05f, kRimBottom = -0.35f;
}  // namespace

void World::drawBoardBase() {
    // The base lies under the dry tiles only: over a river it would hide the
    // riverbed. One box per run of dry tiles in a row, a hair short of its
    // inner ends. Where such an end meets a river, the pit's wall stands
    // right in front of it: the end is left out, since a hair is less than
    // the depth buffer tells apart at a distance, and the two would fight.
    const float t = kRimThickness, X = levelSizeX, tw = float(tileWidth);
    hop::glColorColor(kBase);
    // Its top lies under the dry tiles and the rim: shaded, then painted
    // over by the ground in every view. Left out, it costs nothing; only
    // where it shows edge-on at the board's outer border can a single pixel
    // change, and in wireframe, where hidden edges show, it stays.
    const bool topless = hop::fastDrawing && !ml->getWireframe();
    const float e = 0.01f;
    const int nRows = rows();
    auto waterAt = [&](int r, int c) { return r >= 0 && r < nRows && isWaterTile(tileAt(r, c)); };
    glBegin(GL_QUADS);
    for (int i = 0; i < nRows; ++i) {
        const auto& row = tiles[std::size_t(i)];
        const int n = int(row.size());
        const float z0 = i == nRows - 1 ? -float(i) * tw - t : -float(i) * tw + e;
        const float z1 = i == 0 ? (1 - float(i)) * tw + t : (1 - float(i)) * tw - e;
        for (int j = 0; j < n;) {
            if (isWaterTile(row[std::size_t(j)])) {
                ++j;
                continue;
            }
            int k = j;
            while (k < n && !isWaterTile(row[std::size_t(k)])) ++k;
            const float x0 = j == 0 ? -t : float(j) * tw + e, x1 = k == n ? X + t : float(k) * tw - e;
            hop::CuboidFaces faces;
            faces.top = !topless;
            faces.bottom = true;
            faces.left = j == 0;
            faces.right = k == n;
            hop::emitCuboidFaces(Vector3(x0, kRimBottom - t, z0), Vector3(x1 - x0, t, z1 - z0), faces);
            // The back and front faces, in pieces along the columns whose
            // neighbour row behind or in front is dry.
            for (int side = 0; side < 2; ++side) {
                const int r = side == 0 ? i + 1 : i - 1;
                for (int a = j; a < k;) {
                    if (waterAt(r, a)) {
                        ++a;
                        continue;
                    }
                    int b = a;
                    while (b < k && !waterAt(r, b)) ++b;
                    const float xa = a == j ? x0 : float(a) * tw, xb = b == k ? x1 : float(b) * tw;
                    hop::CuboidFaces piece;
                    (side == 0 ? piece.back : piece.front) = true;
                    hop::emitCuboidFaces(Vector3(xa, kRimBottom - t, z0), Vector3(xb - xa, t, z1 - z0), piece);
                    a = b;
                }
            }
            j = k;
        }
    }
    glEnd();
}

void World::drawFrame() {
    const float t = kRimThickness, X = levelSizeX, Z = levelSizeZ;
    const float tw = float(tileWidth), zFront = tw, zBack = zFront - Z;
    const float top = kRimTop, rim = kRimBottom;
    hop::glColorColor(kFrame);
    drawCuboid(Vector3(-t, rim, zBack - t), Vector3(t, top - rim, Z + 2 * t));
    drawCuboid(Vector3(X, rim, zBack - t), Vector3(t, top - rim, Z + 2 * t));
    drawCuboid(Vector3(0, rim, zBack - t), Vector3(X, top - rim, t));
    drawCuboid(Vector3(0, rim, zFront), Vector3(X, top - rim, t));
}

namespace {

bool isRoad(char t) { return t == '2' || t == 'l' || t == 'r'; }
bool isWater(char t) { return t == '3' || t == '4'; }
bool isGround(char t) { return !isRoad(t) && !isWater(t) && t != '5' && t != '6' && t != 'b' && t != 'w'; }

// Lane mark i of `count` in a tile of side w: a flat box from x = i w / count,
// w / (2 count) wide, across the middle of the lane.
void laneMark(Vector3 tile, float w, float count, float height, int i) {
    hop::emitCuboid(tile + Vector3(float(i) * w / count, 0, 0.46f * w), Vector3(w / (2 * count), height, 0.08f * w));
}

}  // namespace

// Tiles are drawn kind by kind: every quad under one texture goes into one
// primitive, since a software renderer pays for each texture switch and
// each glBegin far more than for the quads themselves.
void World::drawTiles(TilePart part) {
    const bool desert = currentLevel == 3;
    const bool textures = ml->getTexture();
    const float tw = float(tileWidth);
    auto pass = [&](const unsigned int* texture, auto&& each) {
        const bool textured = texture && textures;
        if (textured) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, *texture);
        }
        glBegin(GL_QUADS);
        for (std::size_t i = 0; i < tiles.size(); ++i)
            for (std::size_t j = 0; j < tiles[i].size(); ++j)
                each(int(i), int(j), tiles[i][j], Vector3(float(j) * tw, 0, -float(i) * tw));
        glEnd();
        if (textured) glDisable(GL_TEXTURE_2D);
    };
    const Vector3 flat(tw, 0, tw);
    // The ground, roads, hedges, pads and river pits; then what stands on them.
    if (part != kTilesAfterPits) {
        setDefaultColor(desert ? kSand : kGrass, cTexEnabled);
        pass(desert ? &sandTexId : &grassTexId, [&](int, int, char t, Vector3 o) {
            if (isGround(t)) hop::emitCuboid(o, flat);
        });
        setDefaultColor(kStreet, cTexEnabled);
        pass(&streetTexId, [&](int, int, char t, Vector3 o) {
            if (isRoad(t)) hop::emitCuboid(o, flat);
        });
        setDefaultColor(Color(1, 0.96f, 0.36f), cTexEnabled);
        pass(&bumpTexId, [&](int, int, char t, Vector3 o) {
            if (isRoad(t))
                for (int k = 0; k < 3; ++k) laneMark(o, tw, 3, 0.02f, k);
        });
        setDefaultColor(desert ? kRock : kHedge, cTexEnabled);
        pass(desert ? &rockTexId : &leavesTexId, [&](int, int, char t, Vector3 o) {
            if (t == '6') hop::emitCuboid(o, Vector3(tw, floorYOf(t), tw));
        });
        pass(nullptr, [&](int i, int j, char t, Vector3 o) {
            if (t == '5') {
                hop::glColorColor(kPad);
                hop::emitCuboid(o, Vector3(tw, floorYOf(t), tw));
            } else if (t == 'b' || t == 'w') {
                hop::glColorColor(t == 'b' ? Color(0, 0, 0) : Color(1, 1, 1));
                hop::emitCuboid(o, flat);
            } else if (isWater(t) && part == kAllTiles) {
                hop::glColorColor(kRiverbed);
                emitPit(i, j, o, floorYOf(t), true);
            }
        });
    }
    if (part == kTilesBeforePits) return;

    const float padIn = waterPShrink * tw / 2;
    setDefaultColor(Color(0.149f, 0.352f, 0.219f), cTexEnabled * 0.5f);
    pass(&lotusTexId, [&](int, int, char t, Vector3 o) {
        if (t == '4') hop::emitCuboid(o + Vector3(padIn, -0.06f, padIn), Vector3(tw - 2 * padIn, 0.06f, tw - 2 * padIn));
    });

    // Trees of boxes: trunks, then crowns.
    const float trunkIn = treeTrunkShrink * tw / 2, topIn = treeTopShrink * tw / 2;
    setDefaultColor(Color(0.45f, 0.3f, 0.15f), cTexEnabled);
    pass(&woodTexId, [&](int, int, char t, Vector3 o) {
        if (t == 't')
            hop::emitCuboid(o + Vector3(trunkIn, 0, trunkIn), Vector3(tw - 2 * trunkIn, treeTrunkHeight, tw - 2 * trunkIn));
    });
    setDefaultColor(Color(0.1f, 0.45f, 0.12f), cTexEnabled);
    pass(&leavesTexId, [&](int, int, char t, Vector3 o) {
        if (t == 't')
            hop::emitCuboid(o + Vector3(topIn, treeTrunkHeight, topIn),
                            Vector3(tw - 2 * topIn, treeTopHeight, tw - 2 * topIn));
    });
}

// The trees' shadows: translucent, over the ground already drawn.
void World::drawTreeShadows() {
    const float tw = float(tileWidth), topIn = treeTopShrink * tw / 2;
    const bool lantern = currentLight == kLanternLight;
    glDepthMask(GL_FALSE);
    glBegin(GL_QUADS);
    for (std::size_t i = 0; i < tiles.size(); ++i)
        for (std::size_t j = 0; j < tiles[i].size(); ++j) {
            const char t = tiles[i][j];
            const Vector3 o(float(j) * tw, 0, -float(i) * tw);
            if (t == 't') {
                hop::glColorColor(Color(0, 0, 0, 0.5f));
                hop::emitCuboid(o + Vector3(topIn, 0.01f, topIn), Vector3(tw - 2 * topIn, 0, tw - 2 * topIn));
            } else if ((t == '1' || t == 'T') && !lantern) {
                // Ten stacked translucent squares growing outwards: a soft round shadow.
                hop::glColorColor(Color(0, 0, 0, 0.07f));
                for (int k = 0; k < 10; ++k) {
                    const float r = 0.12f + 0.04f * float(k);
                    hop::emitCuboid(o + Vector3(0.5f * tw - r, 0.005f, 0.5f * tw - r), Vector3(2 * r, 0, 2 * r));
                }
            }
        }
    glEnd();
    glDepthMask(GL_TRUE);
}

// Model trees: one display list each.
void World::drawModelTrees() {
    const float tw = float(tileWidth);
    for (std::size_t i = 0; i < tiles.size(); ++i)
        for (std::size_t j = 0; j < tiles[i].size(); ++j)
            if (tiles[i][j] == '1' || tiles[i][j] == 'T') {
                glPushMatrix();
                glTranslatef(float(j) * tw, 0, -float(i) * tw);
                drawModelTree();
                glPopMatrix();
            }
}

// The riverbed, and walls facing into the river only where it borders dry
// ground: between two water tiles a wall would stand up through the water.
void World::emitPit(int row, int col, Vector3 o, float y, bool outside) {
    const float tw = float(tileWidth);
    auto dry = [&](int r, int c) { return !isWater(tileAt(r, c)); };
    // Where the river meets the board's edge, the rim's inner face stands in
    // the wall's plane from the rim's bottom up: the wall stops there, or the
    // two would fight over every pixel.
    auto height = [&](int r, int c) { return tileAt(r, c) == 0 ? kRimBottom - y : -y; };
    hop::emitCuboid(o + Vector3(0, y, 0), Vector3(tw, 0, tw));
    if (dry(row + 1, col)) hop::emitCuboid(o + Vector3(0, y, 0), Vector3(tw, height(row + 1, col), 0));
    if (dry(row - 1, col)) hop::emitCuboid(o + Vector3(0, y, tw), Vector3(tw, height(row - 1, col), 0), true);
    if (dry(row, col - 1)) hop::emitCuboid(o + Vector3(0, y, 0), Vector3(0, height(row, col - 1), tw));
    if (dry(row, col + 1)) hop::emitCuboid(o + Vector3(tw, y, 0), Vector3(0, height(row, col + 1), tw), true);
    if (outside) emitPitOutside(row, col, o, y);
    hop::glColorColor(kRiverbed);
}

// The walls' backs close the river from outside: in the frame's colour where
// the river's side is the board's edge, else in the base's (seen only from
// under the board). Without them the riverbed would show under the board's
// rim.
void World::emitPitOutside(int row, int col, Vector3 o, float y) {
    const float tw = float(tileWidth);
    auto dry = [&](int r, int c) { return !isWater(tileAt(r, c)); };
    const bool sides[4] = {dry(row + 1, col), dry(row - 1, col), dry(row, col - 1), dry(row, col + 1)};
    for (int k = 0; k < 4; ++k) {
        if (!sides[k]) continue;
        const int r = row + (k == 0 ? 1 : k == 1 ? -1 : 0), c = col + (k == 2 ? -1 : k == 3 ? 1 : 0);
        hop::glColorColor(tileAt(r, c) == 0 ? kFrame : kBase);
        if (k == 0) hop::emitCuboid(o + Vector3(0, y, 0), Vector3(tw, -y, 0), true);
        if (k == 1) hop::emitCuboid(o + Vector3(0, y, tw), Vector3(tw, -y, 0));
        if (k == 2) hop::emitCuboid(o + Vector3(0, y, 0), Vector3(0, -y, tw), true);
        if (k == 3) hop::emitCuboid(o + Vector3(tw, y, 0), Vector3(0, -y, tw));
    }
    hop::glColorColor(kBase);
    hop::emitCuboid(o + Vector3(0, y, 0), Vector3(tw, 0, tw), true);  // the bed's underside
}

// Every pit's outer faces, for the list of what lies under the board.
void World::drawPitOutsides() {
    const float tw = float(tileWidth);
    glBegin(GL_QUADS);
    for (std::size_t i = 0; i < tiles.size(); ++i)
        for (std::size_t j = 0; j < tiles[i].size(); ++j)
            if (isWater(tiles[i][j]))
                emitPitOutside(int(i), int(j), Vector3(float(j) * tw, 0, -float(i) * tw), floorYOf(tiles[i][j]));
    glEnd();
}

// Runs of rows holding water, each with the columns its water spans: the
// opening through which its pits are seen.
std::vector<World::RiverBlock> World::riverBlocks() const {
    std::vector<RiverBlock> out;
    const int n = rows();
    for (int i = 0; i < n; ++i) {
        const auto& row = tiles[std::size_t(i)];
        int c0 = -1, c1 = -1;
        for (std::size_t j = 0; j < row.size(); ++j)
            if (isWater(row[j])) {
                if (c0 < 0) c0 = int(j);
                c1 = int(j);
            }
        if (c0 < 0) continue;
        if (!out.empty() && out.back().row1 == i - 1) {
            RiverBlock& b = out.back();
            b.row1 = i;
            b.col0 = std::min(b.col0, c0);
            b.col1 = std::max(b.col1, c1);
        } else {
            out.push_back({i, i, c0, c1});
        }
    }
    return out;
}

void World::drawPitInteriors(const RiverBlock& b) {
    const float tw = float(tileWidth);
    glBegin(GL_QUADS);
    for (int i = b.row0; i <= b.row1; ++i)
        for (int j = b.col0; j <= b.col1; ++j) {
            const char t = tileAt(i, j);
            if (!isWater(t)) continue;
            hop::glColorColor(kRiverbed);
            emitPit(i, j, Vector3(float(j) * tw, 0, -float(i) * tw), floorYOf(t), false);
        }
    glEnd();
}

// Not in wireframe, where hidden faces show, nor with back faces drawn,
// where a wall's two faces would fight in another order.
bool World::splitUnderside() const { return hop::fastDrawing && !ml->getWireframe() && ml->getCullFace(); }

// A translucent sheet over every row that begins with water, at the water
// surface, one textured square per tile so the ripples keep their size.
void World::drawWater() {
    const bool sunset = currentLight == kSunsetLight;
    const bool desert = currentLevel == 3;
    Color c = desert ? Color(0.678f, 0.988f, 1) : Color(0, 0.427f, 0.741f);
    if (sunset) c = desert ? Color(0.788f, 0.988f, 1) : Color(0.11f, 0.427f, 0.741f);
    c.a = 0.5f;
    const bool lit = ml->getLighting();
    if (sunset) ml->setLighting(false);
    const float tw = float(tileWidth);
    const bool textured = ml->getTexture();
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, waterTexId);
    }
    hop::glColorColor(c);
    glDepthMask(GL_FALSE);
    glBegin(GL_QUADS);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        if (tiles[i].empty() || !isWater(tiles[i][0])) continue;
        for (std::size_t j = 0; j < tiles[i].size(); ++j)
            hop::emitCuboid(Vector3(float(j) * tw, waterY2, -float(i) * tw), Vector3(tw, 0, tw));
    }
    glEnd();
    glDepthMask(GL_TRUE);
    if (textured) glDisable(GL_TEXTURE_2D);
    if (sunset) ml->setLighting(lit);
}

void World::drawTree(char kind) {
    const float tw = float(tileWidth);
    const bool lantern = currentLight == kLanternLight;
    if (kind == 't') {
        const float trunkIn = treeTrunkShrink * tw / 2, topIn = treeTopShrink * tw / 2;
        hop::glColorColor(Color(0, 0, 0, 0.5f));
        drawCuboid(Vector3(topIn, 0.01f, topIn), Vector3(tw - 2 * topIn, 0, tw - 2 * topIn));
        setDefaultColor(Color(0.45f, 0.3f, 0.15f), cTexEnabled);
        drawCuboid(Vector3(trunkIn, 0, trunkIn), Vector3(tw - 2 * trunkIn, treeTrunkHeight, tw - 2 * trunkIn),
                   Vector3(), &woodTexId);
        setDefaultColor(Color(0.1f, 0.45f, 0.12f), cTexEnabled);
        drawCuboid(Vector3(topIn, treeTrunkHeight, topIn), Vector3(tw - 2 * topIn, treeTopHeight, tw - 2 * topIn),
                   Vector3(), &leavesTexId);
        return;
    }
    if (!lantern) {
        // Ten stacked translucent squares growing outwards: a soft round shadow.
        glDepthMask(GL_FALSE);
        for (int k = 0; k < 10; ++k) {
            const float r = 0.12f + 0.04f * float(k);
            hop::glColorColor(Color(0, 0, 0, 0.07f));
            drawCuboid(Vector3(0.5f * tw - r, 0.005f, 0.5f * tw - r), Vector3(2 * r, 0, 2 * r));
        }
        glDepthMask(GL_TRUE);
    }
    drawModelTree();
}

// The model of a '1' or 'T' tile without its shadow: the palm on level 3,
// else the tree with two crossed planks at its foot.
void World::drawModelTree() {
    const float tw = float(tileWidth);
    glColor3f(1, 1, 1);
    if (currentLevel == 3) {
        palmTree->draw(ml->getTexture());
        return;
    }
    tree1->draw(ml->getTexture());
    // Two crossed planks at the foot of the trunk, turned about the tile centre.
    setDefaultColor(Color(0.45f, 0.3f, 0.15f), cTexEnabled);
    glPushMatrix();
    glTranslatef(0.5f * tw, 0, 0.5f * tw);
    glRotatef(45, 0, 1, 0);
    drawCuboid(Vector3(-0.2f, 0, -0.03f), Vector3(0.4f, 0.08f, 0.06f), Vector3(), &woodTexId);
    drawCuboid(Vector3(-0.03f, 0, -0.2f), Vector3(0.06f, 0.08f, 0.4f), Vector3(), &woodTexId);
    glPopMatrix();
}

void World::drawStreet(double width, double count, double height) {
    glPushMatrix();
    setDefaultColor(Color(1, 0.96f, 0.36f), cTexEnabled);
    const float w = float(width), n = float(count);
    for (int i = 0; float(i) < n; ++i)
        drawCuboid(Vector3(float(i) * w / n, 0, 0.46f * w), Vector3(w / (2 * n), float(height), 0.08f * w),
                   Vector3(), &bumpTexId);
    glPopMatrix();
}

void World::drawWaterPlant() {
    const float tw = float(tileWidth), in = waterPShrink * tw / 2;
    setDefaultColor(Color(0.149f, 0.352f, 0.219f), cTexEnabled * 0.5f);
    drawCuboid(Vector3(in, -0.06f, in), Vector3(tw - 2 * in, 0.06f, tw - 2 * in), Vector3(), &lotusTexId);
}

}  // namespace lanehop
