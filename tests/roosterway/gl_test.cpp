// The game's loaders over every generated file, and its drawing in an
// offscreen 1280 x 720 context, run from the game's stage folder.
#include <GL/gl.h>
#include <GL/glu.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <iterator>
#include <sstream>
#include <string>

#include "app.h"
#include "game.h"
#include "hopcommon/pads.h"
#include "hoptest/broken.h"
#include "hoptest/events.h"
#include "hoptest/gl.h"
#include "hoptest/localpad.h"
#include "models.h"
#include "render.h"
#include "test_support.h"
#include "text.h"

using namespace roosterway;
using hoptest::Color;
using hoptest::Rect;

namespace {

class RoosterwayGL : public hoptest::GLTest {
protected:
    RoosterwayGL() {
        width = Juego::kWidth;
        height = Juego::kHeight;
    }
    void SetUp() override {
        GLTest::SetUp();
        setupGL(width, height);
    }
    int countWhere(Rect r, bool (*pred)(Color)) {
        const hoptest::Image img = readFramebuffer();
        int n = 0;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) n += pred(img.pixel(x, y));
        return n;
    }
    // The game's own frame `ms` after the previous one: events, rules, drawing.
    static void playFrame(Juego& game, std::uint32_t ms) { game.frame(game.previousTicks + ms); }
    // A game on a fixed field; its console line is swallowed.
    std::unique_ptr<Juego> makeGame(unsigned seed = 3) {
        testing::internal::CaptureStdout();
        auto game = std::make_unique<Juego>(true, rwtest::seeded(seed));
        testing::internal::GetCapturedStdout();
        return game;
    }
};

bool isWhite(Color c) { return c.r > 200 && c.g > 200 && c.b > 200; }
bool isBlack(Color c) { return c.r < 12 && c.g < 12 && c.b < 12; }
bool isGreen(Color c) { return c.g > 110 && c.g > c.r + 30 && c.g > c.b + 30; }
bool isGrey(Color c) { return c.r > 40 && std::abs(c.r - c.g) < 12 && std::abs(c.g - c.b) < 12; }
bool isBlueish(Color c) { return c.b > 60 && c.b > c.r * 2 && c.b > c.g * 2; }

struct Extent {
    aiVector3D lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
};

void grow(const aiScene* s, const aiNode* n, aiMatrix4x4 m, Extent& e) {
    m = m * n->mTransformation;
    for (unsigned k = 0; k < n->mNumMeshes; ++k) {
        const aiMesh* mesh = s->mMeshes[n->mMeshes[k]];
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D p = m * mesh->mVertices[v];
            e.lo.x = std::min(e.lo.x, p.x), e.lo.y = std::min(e.lo.y, p.y), e.lo.z = std::min(e.lo.z, p.z);
            e.hi.x = std::max(e.hi.x, p.x), e.hi.y = std::max(e.hi.y, p.y), e.hi.z = std::max(e.hi.z, p.z);
        }
    }
    for (unsigned c = 0; c < n->mNumChildren; ++c) grow(s, n->mChildren[c], m, e);
}

Extent extentOf(const aiScene* s) {
    Extent e;
    grow(s, s->mRootNode, aiMatrix4x4(), e);
    return e;
}

}  // namespace

TEST_F(RoosterwayGL, EveryGeneratedAssetLoadsWithTheGameLoaders) {
    for (const ModelFiles& f : kModelTable) {
        SCOPED_TRACE(f.key);
        const aiScene* scene = importModelFile(f.model);
        ASSERT_NE(scene, nullptr);
        ASSERT_GT(scene->mNumMeshes, 0u);
        unsigned faces = 0;
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            EXPECT_TRUE(scene->mMeshes[m]->HasNormals());
            EXPECT_TRUE(scene->mMeshes[m]->HasTextureCoords(0));
            faces += scene->mMeshes[m]->mNumFaces;
        }
        EXPECT_LT(faces, 6000u) << "keep models light for immediate mode";
        const Extent e = extentOf(scene);
        const std::string key = f.key;
        if (key.rfind("grass", 0) == 0 || key.rfind("road", 0) == 0) {
            // Laid edge to edge by the row transform: 25 x 1, top at 0.3.
            EXPECT_NEAR(e.lo.x, -12.5f, 1e-4);
            EXPECT_NEAR(e.hi.x, 12.5f, 1e-4);
            EXPECT_NEAR(e.lo.z, -0.5f, 1e-4);
            EXPECT_NEAR(e.hi.z, 0.5f, 1e-4);
            EXPECT_NEAR(e.hi.y, 0.3f, 1e-4);
        } else if (key == "chicken") {
            EXPECT_NEAR(e.lo.y, -0.2f, 1e-4) << "feet on the rows' top";
            EXPECT_NEAR((e.lo.x + e.hi.x) / 2, 0, 0.05f);
            EXPECT_GT(e.hi.z, 0.2f) << "beak toward +z";
            EXPECT_LT(e.hi.x - e.lo.x, 0.8f);
        } else if (key.rfind("tree", 0) == 0 || key.rfind("boulder", 0) == 0) {
            EXPECT_NEAR(e.lo.y, 0, 1e-4);
            EXPECT_NEAR((e.lo.x + e.hi.x) / 2, 0, 0.05f);
            EXPECT_NEAR((e.lo.z + e.hi.z) / 2, 0.5f, 0.05f) << "centred on the square after the quarter turn";
            EXPECT_LT(e.hi.z - e.lo.z, 0.95f);
        } else {
            // Vehicles: longer than wide, along z, centred.
            EXPECT_GT(e.hi.z - e.lo.z, 1.5f * (e.hi.x - e.lo.x));
            EXPECT_NEAR((e.lo.z + e.hi.z) / 2, 0, 0.05f);
            EXPECT_NEAR(e.lo.y, 0, 1e-4);
        }
        releaseScene(scene);
        const ImageData img = decodeImageFile(f.texture);
        EXPECT_GE(img.width, 8);
        EXPECT_EQ(img.width & (img.width - 1), 0) << "power of two";
        EXPECT_EQ(img.height & (img.height - 1), 0);
    }

    testing::internal::CaptureStdout();
    auto library = loadModelLibrary(true);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(library->entries.size(), 18u);
    for (const auto& [key, asset] : library->entries) {
        EXPECT_TRUE(asset.loaded) << key;
        EXPECT_NE(asset.texture, 0u) << key;
        EXPECT_TRUE(glIsList(asset.displayList)) << key;
    }
    EXPECT_NE(library->entries.at("grass_light").texture, library->entries.at("grass_dark").texture);
    // Rebuilt (textures off, a new world) from the scenes already imported.
    auto plain = loadModelLibrary(false, library->scenes);
    for (const auto& [key, asset] : plain->entries) {
        EXPECT_EQ(asset.texture, 0u) << key;
        EXPECT_EQ(asset.scene, library->entries.at(key).scene) << key << " imported again";
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(RoosterwayGL, TheStagedFontFitsTheClickAreas) {
    const auto small = renderGlyphsFile(kFontPath, 25);
    const auto large = renderGlyphsFile(kFontPath, 40);
    ASSERT_EQ(small.size(), 128u);
    ASSERT_EQ(large.size(), 128u);
    for (char c : std::string("JUGAROPCIONESCTLSPERDISTEGanastePuntosVidas0123456789")) {
        const GlyphBitmap& g = large[std::size_t(c)];
        EXPECT_GT(g.rows, 20) << c;
        EXPECT_GT(g.width, 10) << c;
        EXPECT_EQ(g.texels.size(), std::size_t(g.textureWidth * g.textureHeight * 2));
    }
    // Ink extent of a line as drawText lays it out.
    const auto span = [](const std::vector<GlyphBitmap>& glyphs, const std::string& text, float x0) {
        float pen = x0, lo = 1e9f, hi = -1e9f;
        for (char c : text) {
            const GlyphBitmap& g = glyphs[std::size_t(c)];
            if (c != ' ') lo = std::min(lo, pen + float(g.left)), hi = std::max(hi, pen + float(g.left + g.width));
            pen += g.advance;
        }
        return std::pair{lo, hi};
    };
    // The centred menu words lie within their click areas.
    const std::pair<const char*, ClickBox> menu[] = {
        {"JUGAR", kMenuJugar}, {"OPCIONES", kMenuOpciones}, {"CONTROLES", kMenuControles}, {"SALIR", kMenuSalir}};
    for (const auto& [word, box] : menu) {
        const auto [lo, hi] = span(large, word, lineStartX(40, word, 640));
        EXPECT_GE(lo, float(box.x1)) << word;
        EXPECT_LE(hi, float(box.x2)) << word;
    }
    // Each light digit sits on its own box on the options screen.
    for (int i = 0; i < 4; ++i) {
        const std::string before = std::string("1 2 3 4").substr(0, std::size_t(2 * i));
        const float hi = span(small, before + char('1' + i), 540).second;
        const float centre = hi - float(small[std::size_t('1' + i)].width) / 2.f;
        EXPECT_GT(centre, float(kOptionBox[8 + i].x1)) << i + 1;
        EXPECT_LT(centre, float(kOptionBox[8 + i].x2)) << i + 1;
    }
    FontFace face(40);
    EXPECT_TRUE(glIsList(face.listBase + 'J'));
    EXPECT_TRUE(glIsTexture(face.textures['J']));
}

TEST_F(RoosterwayGL, MenuScreensDrawTheirTextsAndHighlights) {
    auto game = makeGame();
    game->drawMenu();
    // "JUGAR" in white within its click area, nothing outside the four words.
    EXPECT_GT(countWhere({523, 307, 266, 51}, isWhite), 1500);
    EXPECT_GT(countWhere({517, 529, 250, 55}, isWhite), 1500);
    EXPECT_EQ(countWhere({0, 0, 400, 720}, isWhite), 0);

    game->screen.subScreen = ScreenOptions;
    game->drawMenu();
    // The current choice of each setting is lit by a translucent quad:
    // NORMAL (box 1) by default, LENTO (box 0) once slow is chosen.
    const auto brightness = [&](const ClickBox& b) {
        const hoptest::Image img = readFramebuffer();
        long sum = 0;
        for (int y = b.y1 + 1; y < b.y2; ++y)
            for (int x = b.x1 + 1; x < b.x2; ++x) sum += img.pixel(x, y).r;
        return double(sum) / double((b.x2 - b.x1 - 1) * (b.y2 - b.y1 - 1));
    };
    const double normalLit = brightness(kOptionBox[1]), lentoDark = brightness(kOptionBox[0]);
    const double lightLit = brightness(kOptionBox[8]), lightDark = brightness(kOptionBox[11]);
    game->options.slow = true;
    game->options.lightMode = 3;
    game->drawMenu();
    EXPECT_GT(normalLit, brightness(kOptionBox[1]) + 40);
    EXPECT_GT(brightness(kOptionBox[0]), lentoDark + 40);
    EXPECT_GT(lightLit, brightness(kOptionBox[8]) + 40);
    EXPECT_GT(brightness(kOptionBox[11]), lightDark + 40);
    EXPECT_GT(countWhere({540, 40, 300, 30}, isWhite), 300) << "OPCIONES";
    EXPECT_GT(countWhere({140, 150, 300, 30}, isWhite), 300) << "Velocidad";

    game->screen.subScreen = ScreenControls;
    game->drawMenu();
    EXPECT_GT(countWhere({540, 40, 300, 30}, isWhite), 300) << "CONTROLES";
    EXPECT_GT(countWhere({538, 627, 200, 35}, isWhite), 300) << "VOLVER";
    EXPECT_EQ(countWhere({1100, 0, 180, 720}, isWhite), 0);

    game->drawLost();
    EXPECT_GT(countWhere({456, 300, 420, 60}, isWhite), 2000) << "PERDISTE";
    EXPECT_GT(countWhere({538, 627, 200, 35}, isWhite), 300) << "VOLVER";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(RoosterwayGL, PlayingDrawsFieldChickenAndHud) {
    auto game = makeGame();
    game->screen.mainState = StatePlaying;
    playFrame(*game, 16);
    // Row 0 is light grass under the chicken; the chicken is white.
    EXPECT_GT(countWhere({0, 650, 1280, 70}, isGreen), 40000);
    EXPECT_GT(countWhere({540, 420, 200, 260}, isWhite), 3000);
    EXPECT_GT(countWhere({40, 25, 300, 40}, isWhite), 300) << "Puntos";
    EXPECT_GT(countWhere({40, 65, 300, 40}, isWhite), 300) << "Vidas";
    EXPECT_EQ(countWhere({420, 300, 440, 60}, isWhite), 0) << "no Ganaste yet";

    // Night light: the field goes blue.
    game->options.lightMode = 2;
    game->drawPlaying();
    EXPECT_GT(countWhere({0, 650, 1280, 70}, isBlueish), 40000);
    game->options.lightMode = 0;

    // Textures off: the library is reloaded untextured, the field grey but lit.
    game->options.textures = false;
    game->drawPlaying();
    EXPECT_FALSE(game->world->texturesOn);
    for (const auto& [key, asset] : game->world->models->entries) EXPECT_EQ(asset.texture, 0u) << key;
    EXPECT_EQ(countWhere({0, 650, 1280, 70}, isGreen), 0);
    EXPECT_GT(countWhere({0, 650, 1280, 70}, isGrey), 40000);
    game->options.textures = true;
    game->drawPlaying();
    EXPECT_TRUE(game->world->texturesOn);
    EXPECT_GT(countWhere({0, 650, 1280, 70}, isGreen), 40000);

    // Wireframe leaves the black clear colour between the lines.
    game->options.wireframe = true;
    game->drawPlaying();
    EXPECT_GT(countWhere({0, 650, 1280, 70}, isBlack), 20000);
    game->options.wireframe = false;

    // Row 50: "Ganaste" in the middle.
    game->z = -50;
    game->drawPlaying();
    EXPECT_GT(countWhere({475, 300, 400, 60}, isWhite), 1500);

    // Every view draws the field.
    game->z = 0;
    for (int v = 0; v < 3; ++v) {
        game->view = v;
        game->drawPlaying();
        EXPECT_GT(countWhere({0, 360, 1280, 360}, [](Color c) { return !isBlack(c); }), 200000) << "view " << v;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The shortcuts the scene is drawn with change the cost, not the picture:
// each frame is drawn as before (every shortcut off), with each shortcut on
// alone and with all of them on, and compared, over the views, places on the
// field, lights and render switches.
TEST_F(RoosterwayGL, DrawShortcutsKeepThePicture) {
    auto game = makeGame(5);
    game->screen.mainState = StatePlaying;
    for (int i = 0; i < 10; ++i) game->update(16, false, false);  // cars under way
    struct Shortcut {
        const char* name;
        bool DrawShortcuts::*flag;
        int tolerance;  // pixels that may differ
    };
    const Shortcut shortcuts[] = {
        {"opaque scene", &DrawShortcuts::opaqueScene, 0},
        // Alone it lets the hidden front face of a row win a tie at equal
        // depth with the top of the row before: single seam pixels, at most
        // 20 of the 921,600. With row tops only those faces are not drawn.
        {"models before rows", &DrawShortcuts::modelsBeforeRows, 20},
        // Where a hidden face of a row used to poke through between two row
        // tops (a dark dot on a seam), the tops now meet: single pixels.
        {"row tops only", &DrawShortcuts::rowTopsOnly, 20},
    };
    const DrawShortcuts saved = drawShortcuts;
    DrawShortcuts none;
    for (const Shortcut& s : shortcuts) none.*s.flag = false;
    int scenes = 0;
    const auto same = [&](const std::string& what) {
        drawShortcuts = none;
        game->drawPlaying();
        const hoptest::Image before = readFramebuffer();
        ++scenes;
        for (const Shortcut& s : shortcuts) {
            drawShortcuts = none;
            drawShortcuts.*s.flag = true;
            game->drawPlaying();
            EXPECT_LE(readFramebuffer().countDiff(before), s.tolerance) << what << ", " << s.name << " alone";
        }
        drawShortcuts = DrawShortcuts{};
        game->drawPlaying();
        EXPECT_LE(readFramebuffer().countDiff(before), 20) << what << ", every shortcut";
        drawShortcuts = saved;
    };
    // Start, mid-field beside the trees, mid-hop crouched, the last rows.
    const struct {
        float x, z, height, scaleY;
    } places[] = {{0, 0, 0, 1}, {-6, -12, 0, 1}, {3, -25, 0.4f, 0.6f}, {6, -49, 0, 0.3f}};
    for (const auto& p : places) {
        game->x = p.x, game->z = p.z, game->height = p.height, game->scaleY = p.scaleY;
        for (int v = 0; v < 3; ++v) {
            game->view = v;
            same("view " + std::to_string(v) + " at x " + std::to_string(p.x) + " z " + std::to_string(p.z));
        }
    }
    game->view = 2;
    game->x = 2, game->z = -8;
    for (const float yaw : {0.f, 90.f, 180.f, 300.f}) {
        game->yaw = yaw;
        game->pitch = yaw / 60;
        same("view 2, yaw " + std::to_string(yaw));
    }
    // Beyond the last row, looking back at the field's far end.
    game->z = -52, game->yaw = 90, game->pitch = -1;
    same("view 2 behind the last row");
    game->z = -8, game->yaw = 300, game->pitch = 0;
    for (int light = 1; light < 4; ++light) {
        game->options.lightMode = light;
        same("light " + std::to_string(light + 1));
    }
    game->options.lightMode = 0;
    game->options.flatMode = true;
    same("flat");
    game->options.flatMode = false;
    for (const bool textures : {true, false}) {
        game->options.textures = textures;
        game->options.wireframe = true;
        for (int v = 0; v < 3; ++v) {
            game->view = v;
            same(std::string("wireframe, view ") + std::to_string(v) + (textures ? "" : ", textures off"));
        }
        game->options.wireframe = false;
        if (!textures) same("textures off");
    }
    EXPECT_EQ(scenes, 12 + 5 + 3 + 1 + 7);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(RoosterwayGL, FlatModeSelectsFlatShading) {
    auto game = makeGame();
    game->drawPlaying();
    GLint model = 0;
    glGetIntegerv(GL_SHADE_MODEL, &model);
    EXPECT_EQ(model, GL_SMOOTH);
    game->options.flatMode = true;
    game->drawPlaying();
    glGetIntegerv(GL_SHADE_MODEL, &model);
    EXPECT_EQ(model, GL_FLAT);
    EXPECT_FALSE(game->world->smoothShading);
}

TEST_F(RoosterwayGL, WireframeDrawsTheFarSideEdgesToo) {
    auto game = makeGame();
    const ModelLibrary& models = *game->world->models;
    const unsigned list = models.entries.at("chicken").displayList;
    const auto drawn = [&](auto draw) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        setupLights(0);
        glTranslatef(0, -0.3f, -1.6f);
        glRotatef(30, 0, 1, 0);
        draw();
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        return countWhere({0, 0, width, height}, [](Color c) { return !isBlack(c); });
    };
    // Every polygon of the chicken as lines, front and back faces alike.
    const int allEdges = drawn([&] {
        glDisable(GL_CULL_FACE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glCallList(list);
    });
    const int frontOnly = drawn([&] {
        glEnable(GL_CULL_FACE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glCallList(list);
    });
    ASSERT_GT(allEdges, frontOnly) << "the far side adds edges";
    glEnable(GL_CULL_FACE);
    EXPECT_EQ(drawn([&] { drawModel(models, "chicken", GL_LINE); }), allEdges);
    // Solid drawing still skips the faces turned away.
    drawModel(models, "chicken", GL_FILL);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The HUD is text over the scene: no render switch, light or view may hide it.
TEST_F(RoosterwayGL, HudReadableUnderEverySwitchLightAndView) {
    auto game = makeGame();
    game->screen.mainState = StatePlaying;
    // White letters on a dark ground, whatever is drawn behind.
    const auto isDark = [](Color c) { return c.r + c.g + c.b < 300; };
    const auto hudShows = [&](const std::string& what) {
        playFrame(*game, 16);
        for (const Rect line : {Rect{40, 25, 120, 40}, Rect{40, 65, 120, 40}}) {
            EXPECT_GT(countWhere(line, isWhite), 300) << what << ", line at " << line.y;
            EXPECT_GT(countWhere(line, isDark), 1500) << what << ", line at " << line.y;
        }
    };
    hudShows("plain");
    game->options.textures = false;
    hudShows("textures off");
    game->options.wireframe = true;
    hudShows("textures off, wireframe");
    game->options.textures = true;
    hudShows("wireframe");
    game->options.wireframe = false;
    game->options.flatMode = true;
    hudShows("flat");
    for (int light = 0; light < 4; ++light) {
        game->options.lightMode = light;
        hudShows("light " + std::to_string(light + 1));
    }
    for (int view = 0; view < 3; ++view) {
        game->view = view;
        hudShows("view " + std::to_string(view));
    }
}

// Whatever option word a player clicks, at any of its drawn pixels, selects
// what the word says.
TEST_F(RoosterwayGL, EveryDrawnOptionWordSelectsItself) {
    auto game = makeGame();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
    drawText(*game->font25, kOptionsTexts[2].text, float(kOptionsTexts[2].x), float(kOptionsTexts[2].y));
    drawText(*game->font25, kOptionsTexts[3].text, float(kOptionsTexts[3].x), float(kOptionsTexts[3].y));
    const hoptest::Image img = readFramebuffer();
    const auto ink = [&](int x, int y) { return img.pixel(x, y).r > 90; };

    // Lines of ink from top to bottom, then the words within each line split
    // at the widest gaps.
    std::vector<std::pair<int, int>> bands;
    for (int y = 0; y < height; ++y) {
        bool any = false;
        for (int x = 0; x < width && !any; ++x) any = ink(x, y);
        if (!any) continue;
        if (!bands.empty() && bands.back().second >= y - 3)
            bands.back().second = y;
        else
            bands.push_back({y, y});
    }
    // LENTO NORMAL / ON OFF / ON OFF / Facetado Interpolado / 1 2 3 4 / VOLVER
    const std::vector<std::vector<int>> boxesPerLine = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {8, 9, 10, 11}, {12}};
    ASSERT_EQ(bands.size(), boxesPerLine.size());
    struct Word {
        int box, x1, x2, y1, y2;
    };
    std::vector<Word> words;
    for (std::size_t line = 0; line < bands.size(); ++line) {
        const auto [top, bottom] = bands[line];
        std::vector<int> columns;
        for (int x = 0; x < width; ++x)
            for (int y = top; y <= bottom; ++y)
                if (ink(x, y)) {
                    columns.push_back(x);
                    break;
                }
        std::vector<std::pair<int, int>> gaps;  // (width, index of the column after it)
        for (std::size_t i = 1; i < columns.size(); ++i) gaps.push_back({columns[i] - columns[i - 1], int(i)});
        std::sort(gaps.rbegin(), gaps.rend());
        const std::size_t count = boxesPerLine[line].size();
        std::vector<int> cuts;
        for (std::size_t i = 0; i + 1 < count; ++i) cuts.push_back(gaps[i].second);
        std::sort(cuts.begin(), cuts.end());
        cuts.push_back(int(columns.size()));
        int from = 0;
        for (std::size_t w = 0; w < count; ++w) {
            words.push_back({boxesPerLine[line][w], columns[std::size_t(from)], columns[std::size_t(cuts[w] - 1)], top,
                             bottom});
            from = cuts[w];
        }
    }
    int clicks = 0;
    for (const Word& word : words) {
        const int box = word.box;
        for (int y = word.y1; y <= word.y2; ++y)
            for (int x = word.x1; x <= word.x2; ++x) {
                if (!ink(x, y)) continue;
                // Start from the other choice, so the click must change it.
                Options options;
                ScreenState screen;
                screen.subScreen = ScreenOptions;
                const int setting = box < 8 ? box / 2 : 4;
                if (box < 8)
                    applyOptionBox(box ^ 1, screen, options);
                else if (box < 12)
                    options.lightMode = (box - 8 + 1) % 4;
                testing::internal::CaptureStdout();
                menuClick(screen, options, x, y);
                testing::internal::GetCapturedStdout();
                ++clicks;
                const bool chosen =
                    box == 12 ? screen.subScreen == ScreenMain : highlightedBox(options, setting) == box;
                if (!chosen) {
                    ADD_FAILURE() << "box " << box << " (ink x " << word.x1 << ".." << word.x2 << ", y " << word.y1
                                  << ".." << word.y2 << ") not chosen at " << x << ", " << y;
                    y = word.y2;  // one failure per word
                    break;
                }
            }
    }
    EXPECT_GT(clicks, 1000);
}

// Without vsync (Xvfb has none) the loop sleeps out each frame's period
// while it draws: it does not spin a core.
TEST_F(RoosterwayGL, TheLoopSleepsOutEachFrame) {
    auto game = makeGame();
    std::uint32_t now = 1000, slept = 0;
    int frames = 0;
    const auto ticks = [&] {
        now += 1;  // every look at the clock costs a millisecond
        if (now > 3000) game->screen.quitRequested = true;
        return now;
    };
    const auto delay = [&](std::uint32_t ms) {
        slept += ms;
        now += ms;
    };
    game->screen.mainState = StatePlaying;
    const std::uint32_t start = now;
    runLoop(*game, gl().window(), [&] { ++frames; return ticks(); }, delay);
    const std::uint32_t elapsed = now - start;
    EXPECT_GT(elapsed, 1900u);
    EXPECT_GT(slept, elapsed * 8 / 10) << "slept " << slept << " of " << elapsed << " ms";
    // Two clock reads per frame: at most one frame per period.
    EXPECT_LE(frames / 2, int(elapsed / kFramePeriodMs) + 2);
}

// A still screen is drawn when it changes (for a few paced frames), then
// not at all: the loop waits for events. A click during the wait is acted
// on and drawn in the very next frame; pointer motion draws nothing.
TEST_F(RoosterwayGL, StillScreensAreDrawnOnlyWhenTheyChange) {
    auto game = makeGame();
    std::uint32_t now = 1000;
    std::string steps;  // 'd' a drawn (paced) frame, 'w' a wait for events
    const auto push = [](SDL_Event e) { SDL_PushEvent(&e); };
    const auto delay = [&](std::uint32_t ms) {
        steps += 'd', now += ms;
        if (steps.size() > 200) game->screen.quitRequested = true;  // it never waits
    };
    const auto wait = [&](std::uint32_t ms) {
        steps += 'w', now += ms;
        const std::size_t waits = std::size_t(std::count(steps.begin(), steps.end(), 'w'));
        if (waits % 5 == 0) push(rwtest::motion(7, 3));
        if (waits == 20) push(rwtest::click(600, 400));  // OPCIONES
        if (waits == 40) push(SDL_Event{SDL_QUIT});
    };
    testing::internal::CaptureStdout();
    runLoop(*game, gl().window(), [&] { return ++now; }, delay, wait);
    testing::internal::GetCapturedStdout();
    const std::string burst(std::size_t(Juego::kRedrawFrames), 'd'), still(20, 'w');
    EXPECT_EQ(steps, burst + still + burst + still);
    EXPECT_EQ(game->screen.subScreen, ScreenOptions);
}

// The staged font cut short still opens, but its glyphs past the cut are
// blank: the reader refuses it rather than give screens without text.
TEST(FontReaderOnTheStagedFont, ACutFontIsRefused) {
    std::ifstream good(kFontPath, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(good)), {});
    ASSERT_GT(bytes.size(), 1000u);
    for (std::size_t keep : {bytes.size() / 2, bytes.size() / 4, bytes.size() * 3 / 4}) {
        std::istringstream in(bytes.substr(0, keep));
        EXPECT_THROW(renderGlyphs(in, 25), std::runtime_error) << keep << " of " << bytes.size() << " bytes";
    }
    std::istringstream whole(bytes);
    EXPECT_EQ(renderGlyphs(whole, 25).size(), 128u);
}

// A mouse moving over the field does not cut the frame's sleep short: every
// look at the clock leaves a motion event waiting, as a moving pointer does.
// The clock the loop sees stands still while a frame is drawn (however slow
// the machine) and runs while it sleeps: each frame asks for a whole period
// of sleep and must get it.
TEST_F(RoosterwayGL, MouseMotionKeepsTheFrameCap) {
    auto game = makeGame();
    game->screen.mainState = StatePlaying;
    constexpr int kFrames = 20;
    std::uint32_t slept = 0, frameEnd = 0;
    int reads = 0;  // one at the start, then two a frame: its start and its end
    const auto ticks = [&] {
        SDL_Event motion = hoptest::motionEvent(3, 1, 600, 300);
        SDL_PushEvent(&motion);
        const std::uint32_t real = SDL_GetTicks();
        if (reads % 2 == 1 && reads > 1) slept += real - frameEnd;
        if (reads % 2 == 0) frameEnd = real;
        if (++reads > 2 * kFrames) game->screen.quitRequested = true;
        return 1000 + slept;
    };
    runLoop(*game, gl().window(), ticks);
    // A millisecond of rounding in each period.
    EXPECT_GE(slept, std::uint32_t(kFrames - 1) * (kFramePeriodMs - 1));
    // What came in meanwhile waits for the next frame.
    SDL_Event left;
    EXPECT_EQ(SDL_PeepEvents(&left, 1, SDL_PEEKEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION), 1);
}

namespace {

// The chicken's or a model's outline seen from straight above, in field units.
struct Footprint {
    int pixels = 0;
    float x = 0, z = 0;  // centre
};

class RoosterwayField : public RoosterwayGL {
protected:
    static constexpr float kSpan = 6;  // field units across the picture
    // Draws the scene from straight above (x to the right, -z up) around
    // (cx, cz) with the chicken at `pose`.
    void drawFromAbove(const GameWorld& world, const ChickenPose& pose, float cx, float cz) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        const float h = kSpan * float(height) / float(width);
        glOrtho(-kSpan / 2, kSpan / 2, -h / 2, h / 2, 1, 50);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(cx, 20, cz, cx, 0, cz, 0, 0, -1);
        drawScene(world, pose, false);
        setupGL(width, height);
        glLoadIdentity();
    }
    // Where `with` differs from `without`, as field coordinates.
    Footprint difference(const hoptest::Image& with, const hoptest::Image& without, float cx, float cz) {
        Footprint f;
        double sx = 0, sy = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (!hoptest::near(with.pixel(x, y), without.pixel(x, y), 6)) {
                    ++f.pixels;
                    sx += x + 0.5;
                    sy += y + 0.5;
                }
        if (f.pixels == 0) return f;
        const float unit = float(width) / kSpan;  // pixels per field unit
        f.x = cx + (float(sx / f.pixels) - float(width) / 2) / unit;
        f.z = cz + (float(sy / f.pixels) - float(height) / 2) / unit;
        return f;
    }
    // The outline of the world's only tree, boulder or car, around (cx, cz).
    Footprint modelFootprint(GameWorld& world, float cx, float cz) {
        const ChickenPose away{100, 0, 0, 180, 1};
        drawFromAbove(world, away, cx, cz);
        const hoptest::Image with = readFramebuffer();
        const auto obstacles = world.obstacleList;
        const auto cars = world.carList;
        world.obstacleList.clear();
        world.carList.clear();
        drawFromAbove(world, away, cx, cz);
        world.obstacleList = obstacles;
        world.carList = cars;
        return difference(with, readFramebuffer(), cx, cz);
    }
    // The chicken's outline when it stands at (x, z) by the rules.
    Footprint chickenFootprint(Juego& game, float x, float z, float cx, float cz) {
        GameWorld& world = *game.world;
        const auto obstacles = world.obstacleList;
        const auto cars = world.carList;
        world.obstacleList.clear();
        world.carList.clear();
        const float sx = game.x, sz = game.z;
        game.x = x, game.z = z;
        const ChickenPose pose{game.x, game.height, game.z, game.hop.facing, 1};
        drawFromAbove(world, pose, cx, cz);
        game.x = sx, game.z = sz;
        const hoptest::Image with = readFramebuffer();
        drawFromAbove(world, {100, 0, 0, 180, 1}, cx, cz);
        world.obstacleList = obstacles;
        world.carList = cars;
        return difference(with, readFramebuffer(), cx, cz);
    }
};

}  // namespace

// Every car, tree and boulder is drawn where it hits or blocks: the chicken
// drawn at the middle of the places where the rules hit or stop it stands on
// the model's outline, in the hop views and in free movement alike.
TEST_F(RoosterwayField, ModelsAreDrawnWhereTheyCollide) {
    auto game = makeGame();
    game->screen.mainState = StatePlaying;
    GameWorld& world = *game->world;
    const auto onModel = [&](const Footprint& chicken, const Footprint& model, const std::string& what) {
        ASSERT_GT(model.pixels, 500) << what;
        ASSERT_GT(chicken.pixels, 500) << what;
        EXPECT_NEAR(chicken.x, model.x, 0.15f) << what;
        EXPECT_NEAR(chicken.z, model.z, 0.15f) << what;
    };
    // Cars: each model, both ways, on different rows; x half-way between
    // whole columns, where the hop views' two squares centre on the car.
    const struct {
        const char* key;
        float x, row, speed;
    } cars[] = {{"blue_car", 16.5f, 1, 2}, {"taxi", 19.5f, 2, -4}, {"police_car", 14.5f, 3, 6},
                {"green_car", 17.5f, 4, -2}, {"orange_car", 18.5f, 5, 4}, {"purple_car", 15.5f, 6, -6}};
    for (const auto& c : cars) {
        world.obstacleList.clear();
        world.carList = {CarRecord{"Auto", c.key, c.x, c.row, c.speed}};
        const float cx = c.x - 17, cz = -c.row;
        const Footprint car = modelFootprint(world, cx, cz);
        for (int view : {0, 2}) {
            // The middle of the chicken positions the car hits, on a grid
            // finer than a square.
            game->view = view;
            double sx = 0, sz = 0;
            int hits = 0;
            for (float x = cx - 3; x <= cx + 3; x += 0.05f)
                for (float z = cz - 1.5f; z <= cz + 1.5f; z += 0.05f) {
                    game->x = x, game->z = z;
                    game->lives = 3, game->armed = true, game->hitLastFrame = false;
                    game->update(0, false, false);
                    if (game->hitThisFrame) ++hits, sx += x, sz += z;
                }
            ASSERT_GT(hits, 100) << c.key << ", view " << view;
            const std::string what = std::string(c.key) + ", view " + std::to_string(view);
            onModel(chickenFootprint(*game, float(sx / hits), float(sz / hits), cx, cz), car, what);
        }
    }
    // Trees and boulders: the squares a hop cannot reach and the places
    // free movement cannot step into.
    world.carList.clear();
    game->view = 2;
    game->yaw = 270;  // walking straight ahead, toward -z
    int column = 14;
    for (const char* key : kObstacleKeys) {
        const int row = 2 + column % 3;
        world.obstacleList = {ObstacleRecord{"ArbolRoca", key, column, row}};
        const float cx = float(column - 17), cz = -float(row);
        const Footprint model = modelFootprint(world, cx, cz);
        double hx = 0, hz = 0, fx = 0, fz = 0;
        int hopBlocked = 0, freeBlocked = 0;
        for (float x = cx - 1.5f; x <= cx + 1.5f; x += 0.05f)
            for (float z = cz - 1.5f; z <= cz + 1.5f; z += 0.05f) {
                if (game->hop.blocked(x, z, 0, 0)) ++hopBlocked, hx += x, hz += z;
                // A short step ahead that would end at (x, z).
                game->x = x, game->z = z + 0.03f;
                game->hitLastFrame = false;
                game->update(10, true, false);
                if (game->z == z + 0.03f) ++freeBlocked, fx += x, fz += z;
            }
        ASSERT_GT(hopBlocked, 100) << key;
        ASSERT_GT(freeBlocked, 100) << key;
        onModel(chickenFootprint(*game, float(hx / hopBlocked), float(hz / hopBlocked), cx, cz), model,
                std::string(key) + ", hops");
        onModel(chickenFootprint(*game, float(fx / freeBlocked), float(fz / freeBlocked), cx, cz), model,
                std::string(key) + ", free movement");
        column += 1;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// With textures off the field is drawn plain (lit white), but the chicken
// and every vehicle keep the colours of their faces: drawn alone, each looks
// as it does textured, and in play the chicken's red comb shows on the
// white field.
TEST_F(RoosterwayGL, TexturesOffKeepsTheChickenAndCarsInTheirColours) {
    testing::internal::CaptureStdout();
    auto textured = loadModelLibrary(true);
    auto plain = loadModelLibrary(false);
    testing::internal::GetCapturedStdout();
    // Under the overhead light alone nothing is lit past white, where a
    // texel's colour would be lost.
    const auto drawAlone = [&](const ModelLibrary& library, const std::string& key) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        setupLights(3);
        glTranslatef(0, -0.6f, key == "chicken" ? -2.f : -5.f);
        glRotatef(30, 1, 0, 0);
        glRotatef(40, 0, 1, 0);
        drawModel(library, key, GL_FILL);
        return readFramebuffer();
    };
    for (const ModelFiles& f : kModelTable) {
        const hoptest::Image withTexture = drawAlone(*textured, f.key), without = drawAlone(*plain, f.key);
        int model = 0, unlike = 0, coloured = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                if (isBlack(withTexture.pixel(x, y))) continue;
                ++model;
                unlike += !hoptest::near(withTexture.pixel(x, y), without.pixel(x, y), 24);
                const Color c = without.pixel(x, y);
                coloured += std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}) > 12;
            }
        ASSERT_GT(model, 1000) << f.key;
        if (keepsColoursUntextured(f.key))
            EXPECT_LT(unlike, model / 50) << f.key << ": " << unlike << " of " << model << " pixels";
        else
            EXPECT_EQ(coloured, 0) << f.key << " is drawn plain";
    }
    // The material colours stay with those models: what is drawn after them
    // is plain again, and the current colour is white.
    const hoptest::Image treeBefore = drawAlone(*plain, "tree1");
    drawAlone(*plain, "taxi");
    EXPECT_EQ(drawAlone(*plain, "tree1").countDiff(treeBefore), 0);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.f);

    auto game = makeGame();
    game->screen.mainState = StatePlaying;
    game->options.textures = false;
    playFrame(*game, 16);
    EXPECT_GT(countWhere({540, 420, 200, 260}, [](Color c) { return c.r > 150 && c.g < 90 && c.b < 90; }), 200)
        << "the comb";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Every file the game reads deleted, emptied, cut in half, replaced by
// random bytes, by a folder or by a named pipe: its reader says which file
// and never blocks; the game, meeting a folder or a pipe, stops with that
// message. Only a model cut at a line end may still read as a smaller model.
TEST_F(RoosterwayGL, EveryBrokenFileIsNamed) {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const std::filesystem::path here(cwd);
    const auto dir = std::filesystem::temp_directory_path() / ("roosterway-broken-" + std::to_string(getpid()));
    std::vector<const char*> files;
    for (const ModelFiles& f : kModelTable)
        for (const char* path : {f.model, f.texture})
            if (std::find_if(files.begin(), files.end(), [&](const char* p) { return std::strcmp(p, path) == 0; }) ==
                files.end())
                files.push_back(path);
    files.push_back(kFontPath);
    ASSERT_EQ(files.size(), 16u + 18u + 1u);
    const auto said = [](const std::function<void()>& read) {
        testing::internal::CaptureStdout();
        std::string message = "(no error)";
        try {
            read();
        } catch (const std::exception& e) {
            message = e.what();
        }
        return testing::internal::GetCapturedStdout() + message;
    };
    using hoptest::Break;
    std::mt19937 random(11);
    for (const char* file : files) {
        const std::string name = file;
        const bool model = name.size() > 4 && name.substr(name.size() - 4) == ".obj";
        for (Break how : {hoptest::Deleted, hoptest::Empty, hoptest::Half, hoptest::Garbage, hoptest::Folder,
                          hoptest::Pipe}) {
            hoptest::stageBroken(here, dir, files, file, how, random);
            ASSERT_EQ(chdir(dir.c_str()), 0);
            const std::string message = said([&] {
                if (model)
                    releaseScene(importModelFile(name));
                else if (name == kFontPath)
                    renderGlyphsFile(name, 25);
                else
                    decodeImageFile(name);
            });
            ASSERT_EQ(chdir(cwd), 0);
            if (model && how == hoptest::Half && message == "(no error)") continue;
            EXPECT_NE(message.find(name), std::string::npos) << name << " broken " << int(how) << ": " << message;
        }
    }
    // The whole game, as it starts.
    for (const char* file : {"vehicles/taxi.obj", "chicken.png", kFontPath})
        for (Break how : {hoptest::Folder, hoptest::Pipe}) {
            hoptest::stageBroken(here, dir, files, file, how, random);
            ASSERT_EQ(chdir(dir.c_str()), 0);
            const std::string message = said([] { Juego game; });
            ASSERT_EQ(chdir(cwd), 0);
            EXPECT_NE(message.find(std::string("no es un archivo")), std::string::npos) << file << ": " << message;
            EXPECT_NE(message.find(file), std::string::npos) << file << ": " << message;
        }
    std::filesystem::remove_all(dir);
}

namespace {

// Where a field point shows in window pixels (origin bottom-left) through
// the matrices the last frame was drawn with.
struct Projector {
    GLdouble model[16], projection[16];
    GLint viewport[4];
    Projector() {
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
    }
    std::pair<double, double> operator()(double x, double y, double z) const {
        GLdouble wx = 0, wy = 0, wz = 0;
        gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
        return {wx, wy};
    }
};

}  // namespace

// Left and Right hop toward the screen's left and right and Up away from
// the player, as the player sees the field in each hop view; in view 2 the
// mouse turns the view the way it moves, and Up walks where the view looks.
TEST_F(RoosterwayGL, ArrowsAndMouseGoTheWayTheScreenShows) {
    auto game = makeGame();
    game->screen.mainState = StatePlaying;
    game->world->obstacleList.clear();
    game->world->carList.clear();
    for (int view : {0, 1}) {
        const struct {
            SDL_Keycode key;
            int right, up;  // the expected sign of the screen motion
        } moves[] = {{SDLK_LEFT, -1, 0}, {SDLK_RIGHT, 1, 0}, {SDLK_UP, 0, 1}, {SDLK_DOWN, 0, -1}};
        for (const auto& m : moves) {
            game->view = view;
            game->x = 0, game->z = -5;
            game->drawPlaying();
            const Projector seen;  // the camera before the hop
            const auto [x0, y0] = seen(game->x, 0.5, game->z);
            game->handleEvent(rwtest::key(m.key, true));
            game->handleEvent(rwtest::key(m.key, false));
            for (int i = 0; i < 40; ++i) game->update(16, false, false);
            ASSERT_FALSE(game->hop.hopping);
            const auto [x1, y1] = seen(game->x, 0.5, game->z);
            const std::string what = "view " + std::to_string(view) + ", key " + SDL_GetKeyName(m.key);
            if (m.right) {
                EXPECT_GT((x1 - x0) * m.right, 20) << what;
                EXPECT_LT(std::fabs(y1 - y0), std::fabs(x1 - x0)) << what;
            } else {
                EXPECT_GT((y1 - y0) * m.up, 5) << what;
            }
        }
    }
    // View 2, facing along the field and turned a little either way.
    game->view = 2;
    for (int turn : {1, -1}) {
        for (float start : {270.f, 250.f}) {
            game->x = 0, game->z = -5, game->yaw = start, game->pitch = 0;
            game->drawPlaying();
            const Projector before;
            const float aheadX = game->x, aheadZ = game->z - 6;
            const double ahead0 = before(aheadX, 0.3, aheadZ).first;
            const double chicken0 = before(game->x, 0.5, game->z).first;
            game->handleEvent(rwtest::motion(150 * turn, 0));
            game->update(16, false, false);
            game->drawPlaying();
            const Projector after;
            const std::string what = "mouse " + std::string(turn > 0 ? "right" : "left") + " from yaw " +
                                     std::to_string(start);
            // The view turns toward the mouse: what was ahead goes the other way.
            EXPECT_LT((after(aheadX, 0.3, aheadZ).first - ahead0) * turn, -20) << what;
            // Walking on goes toward the side the mouse went, as first seen.
            for (int i = 0; i < 10; ++i) game->update(100, true, false);
            EXPECT_GT((before(game->x, 0.5, game->z).first - chicken0) * turn, 20) << what;
        }
    }
    // Up walks away from the view-2 camera, Down toward it.
    for (const bool up : {true, false}) {
        game->x = 0, game->z = -5, game->yaw = 300;
        game->drawPlaying();
        const Projector seen;
        const auto [x0, y0] = seen(game->x, 0.5, game->z);
        (void)x0;
        for (int i = 0; i < 5; ++i) game->update(100, up, !up);
        EXPECT_GT((seen(game->x, 0.5, game->z).second - y0) * (up ? 1 : -1), 5) << (up ? "Up" : "Down");
    }
}

// A controller's d-pad and left stick (leant past its dead zone) hop toward
// the screen's left and right in the view play starts with, through the
// game's own frame and pads, as the arrows do.
TEST_F(RoosterwayGL, AControllerHopsTowardTheScreensLeftAndRight) {
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    auto game = makeGame();
    hop::Pads pads(padTable());
    game->pads = &pads;
    game->screen.mainState = StatePlaying;
    game->world->obstacleList.clear();
    game->world->carList.clear();
    ASSERT_EQ(game->view, 0);
    hoptest::LocalPad pad;
    for (int i = 0; i < 3; ++i) playFrame(*game, 16);
    ASSERT_EQ(pads.count(), 1);
    const auto ways = hoptest::sideways(pad);
    for (const auto& w : ways) {
        game->x = 0, game->z = -5;
        game->world->carList.clear();
        playFrame(*game, 16);
        const Projector seen;  // the camera before the hop
        const auto [x0, y0] = seen(game->x, 0.5, game->z);
        w.lean(true);
        playFrame(*game, 16);
        playFrame(*game, 16);
        w.lean(false);
        for (int i = 0; i < 40; ++i) playFrame(*game, 16);
        ASSERT_EQ(game->screen.mainState, StatePlaying) << w.what;
        ASSERT_FALSE(game->hop.hopping) << w.what;
        const auto [x1, y1] = seen(game->x, 0.5, game->z);
        EXPECT_GT((x1 - x0) * w.right, 20) << w.what;
        EXPECT_LT(std::fabs(y1 - y0), std::fabs(x1 - x0)) << w.what;
    }

    // Pulled out with the stick leant: SDL centres it just before it reports
    // the removal; the run pauses to the menu before that release can hop.
    game->x = 0, game->z = -5;
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    for (int i = 0; i < 3; ++i) playFrame(*game, 16);
    ASSERT_EQ(game->screen.mainState, StatePlaying);
    pad.unplug();
    for (int i = 0; i < 40; ++i) playFrame(*game, 16);
    EXPECT_EQ(game->screen.mainState, StateMenu);
    EXPECT_EQ(pads.count(), 0);
    EXPECT_EQ(game->x, 0) << "a hop on unplugging";
    EXPECT_EQ(game->z, -5);
    EXPECT_FALSE(game->hop.hopping);
}

// A long frame (a stall, a loaded machine) goes through the game's own
// frame in short steps: a car cannot jump over the chicken, and a hop lands
// on its square and no further.
TEST_F(RoosterwayGL, ALongFrameIsPlayedInShortSteps) {
    auto game = makeGame();
    game->screen.mainState = StatePlaying;
    game->world->obstacleList.clear();
    for (const std::uint32_t ms : {700u, 2000u}) {
        // The chicken's square on row 1 is covered while the car's x lies in
        // [16, 18): in one step of the whole frame the car would be past it.
        game->world->carList = {CarRecord{"Auto", "taxi", 19, 1, -6}};
        game->x = 0, game->z = -1, game->lives = 3, game->armed = true, game->hitLastFrame = false;
        playFrame(*game, ms);
        EXPECT_EQ(game->lives, 2) << ms << " ms";
        EXPECT_LT(game->world->carList[0].x, 16.f) << "the car has passed";
    }
    game->world->carList.clear();
    game->x = 0, game->z = -1;
    playFrame(*game, 16);
    SDL_Event up = rwtest::key(SDLK_UP, false);
    SDL_PushEvent(&up);
    playFrame(*game, 2000);
    EXPECT_FALSE(game->hop.hopping);
    EXPECT_EQ(game->z, -2.f);
    EXPECT_EQ(game->height, 0.f);
}

// The HUD's dark box holds its lines with a margin, whatever the score and
// the lives: every pixel of ink lies inside it.
TEST_F(RoosterwayGL, TheHudBoxHoldsEveryScore) {
    auto game = makeGame();
    for (int lives = 0; lives <= Juego::kStartLives; ++lives)
        for (int score = 0; score <= Juego::kWinScore + 1; score += (score < 12 ? 1 : 13)) {
            glClearColor(0, 1, 0, 1);  // bright green: the box darkens it, the ink whitens it
            glClear(GL_COLOR_BUFFER_BIT);
            game->drawHud(score, lives);
            const hoptest::Image img = readRect({0, 0, 420, 130});
            int inkRight = 0, boxRight = 0, inkBottom = 0, boxBottom = 0, ink = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const Color c = img.pixel(x, y);
                    if (c.r > 120 && c.b > 120)
                        ++ink, inkRight = std::max(inkRight, x), inkBottom = std::max(inkBottom, y);
                    if (c.r < 40 && c.g < 140) boxRight = std::max(boxRight, x), boxBottom = std::max(boxBottom, y);
                }
            ASSERT_GT(ink, 300) << score;
            EXPECT_GE(boxRight - inkRight, 4) << "score " << score << ", lives " << lives;
            EXPECT_GE(boxBottom - inkBottom, 4) << "score " << score << ", lives " << lives;
        }
    glClearColor(0, 0, 0, 1);
}
