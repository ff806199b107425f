// The game's files and drawing in an offscreen context, run from the stage
// folder with the generated files. Set ORBITDASH_SHOTS to a folder to keep
// the frames the tests look at.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <random>
#include <sstream>

#include "app.h"
#include "hoptest/broken.h"
#include "hoptest/events.h"
#include "hoptest/gl.h"
#include "level.h"
#include "objloader/objloader.h"
#include "render.h"
#include "support.h"
#include "textures.h"

using namespace orbitdash;
using hoptest::Color;
using hoptest::Rect;
using orbitdash_test::FixedRandom;

namespace {

class OrbitdashGL : public hoptest::GLTest {
protected:
    OrbitdashGL() {
        width = 640;
        height = 480;
    }
    void key(App& app, SDL_Keycode k) {
        app.handleEvent(hoptest::keyEvent(k, true));
        app.handleEvent(hoptest::keyEvent(k, false));
    }
    // `n` frames of 1/60 s each.
    void frames(App& app, int n = 1) {
        for (int i = 0; i < n; ++i) {
            now += 17;
            app.frame(now);
        }
    }
    void shot(const std::string& name) {
        if (const char* dir = std::getenv("ORBITDASH_SHOTS")) savePNG(std::string(dir) + "/" + name + ".png");
    }
    std::uint32_t now = 1000;
};

bool isWhite(Color c) { return c.r > 200 && c.g > 200 && c.b > 200; }
// Lit white or grey: not red, not the dark blue of space.
bool isPale(Color c) { return c.g > 90 && c.b > 90 && c.r < c.g + 60; }
bool isRed(Color c) { return c.r > 120 && c.g < 40 && c.b < 40; }

int count(const hoptest::Image& img, Rect r, bool (*pred)(Color)) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) n += pred(img.pixel(x, y));
    return n;
}

// A text line drawn with its lower edge `y` pixels above the bottom, `size` tall.
Rect textBand(int x, int y, int w, int size) { return {x, 480 - y - size, w, size}; }

// Where a point of the course shows in the 640 x 480 picture (x from the
// left, y from the top), through the camera the game draws with.
struct Spot {
    int x = -1, y = -1;
    bool ahead = false;  // in front of the camera
};
Spot project(App& app, Vec3 p) {
    app.renderer().setCamera(app.game(), 640, 480);
    GLdouble mv[16], pr[16];
    GLint vp[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, vp);
    GLdouble wx = 0, wy = 0, wz = 0;
    gluProject(p.x, p.y, p.z, mv, pr, vp, &wx, &wy, &wz);
    return {int(std::lround(wx)), int(std::lround(480 - wy)), wz > 0 && wz < 1};
}

std::string slurp(const char* path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

}  // namespace

TEST_F(OrbitdashGL, EveryGeneratedFileReads) {
    for (const char* path : kModelPaths) {
        std::vector<objloader::Point> p, n;
        std::vector<objloader::TexCoord> t;
        std::ostringstream messages;
        ASSERT_TRUE(objloader::readObjModel(path, p, t, n, objloader::kLineDialect, messages)) << path;
        EXPECT_EQ(messages.str(), "") << path;
        EXPECT_GT(p.size(), 60u) << path;
        EXPECT_LT(p.size(), 3u * 6000u) << path << ": immediate mode on a software renderer";
        EXPECT_EQ(p.size(), t.size());
        EXPECT_EQ(p.size(), n.size());
    }
    for (const char* path : kTexturePaths) {
        Pixels px;
        std::string problem;
        EXPECT_TRUE(readImage(path, px, problem)) << path << ": " << problem;
        EXPECT_NE(uploadTexture(px), 0u) << path;
    }
    Pixels atlas;
    std::string problem;
    ASSERT_TRUE(readImage("./assets/miarf.png", atlas, problem));
    EXPECT_EQ(atlas.width, atlas.height);
    EXPECT_EQ(atlas.width % 16, 0) << "a 16 x 16 grid of cells";
    for (int level = 1; level <= 3; ++level) {
        std::ifstream f(levelPath(level), std::ios::binary);
        ASSERT_TRUE(f) << levelPath(level);
        FixedRandom random;
        EXPECT_EQ(readLevel(f, random).badLine, 0) << levelPath(level);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(OrbitdashGL, BadImagesAreRefused) {
    const std::string png = slurp("./assets/title.png"), jpg = slurp("./assets/aste2.jpg");
    ASSERT_GT(png.size(), 1000u);
    std::string noise(png.size(), '\0');
    unsigned x = 99;
    for (char& c : noise) c = char((x = x * 1103515245u + 12345u) >> 16);
    const struct {
        std::string bytes, name;
    } bad[] = {
        {"", "a.png"},
        {png.substr(0, png.size() / 2), "half.png"},
        {jpg.substr(0, jpg.size() / 2), "half.jpg"},
        {noise, "noise.png"},
        {noise, "noise.jpg"},
        {png, "wrong.jpg"},  // a PNG under a JPEG name
        {jpg, "title"},      // no type in the name
    };
    for (const auto& b : bad) {
        std::istringstream in(b.bytes);
        Pixels px;
        EXPECT_FALSE(readImage(in, b.name, px)) << b.name;
    }
    // A stream whose reads fail by throwing (as a file stream over a
    // folder does) is refused, not let through.
    struct Failing : std::streambuf {
        int_type underflow() override { throw std::ios_base::failure("read error"); }
    } failing;
    std::istream broken(&failing);
    Pixels px;
    EXPECT_FALSE(readImage(broken, "title.png", px));
    std::istringstream good(jpg);
    EXPECT_TRUE(readImage(good, "rock.jpg", px));
    EXPECT_EQ(px.bgra.size(), std::size_t(px.width) * std::size_t(px.height) * 4);
    EXPECT_EQ(uploadTexture(Pixels{}), 0u) << "an empty picture gives no texture";
}

TEST_F(OrbitdashGL, TitleHudMenuAndEndScreens) {
    FixedRandom random;
    std::ostringstream log;
    App app(random, log);
    ASSERT_TRUE(app.ready()) << log.str();
    EXPECT_EQ(log.str(), "");
    frames(app);
    shot("title");
    hoptest::Image img = readFramebuffer();
    // "Press R to start": 16 cells of 15 pixels from x = 200, 150 below the top.
    EXPECT_GT(count(img, textBand(200, 330, 240, 15), isWhite), 150);
    EXPECT_LT(count(img, textBand(0, 330, 195, 15), isWhite), 30) << "nothing left of x = 200 on that line";

    key(app, SDLK_r);
    frames(app, 3);
    shot("playing");
    img = readFramebuffer();
    EXPECT_EQ(app.game().state(), kPlaying);
    EXPECT_GT(count(img, textBand(0, 440, 160, 30), isWhite), 25) << "PUNTOS and 0";
    EXPECT_GT(count(img, textBand(160, 440, 160, 30), isWhite), 25) << "VIDAS and 3";
    EXPECT_LT(count(img, textBand(200, 330, 240, 15), isWhite), 40) << "the title has gone";
    const int hudText = count(img, {0, 0, 640, 50}, isWhite);
    auto sameHud = [&](const hoptest::Image& now) {
        const int n = count(now, {0, 0, 640, 50}, isWhite);
        return n > hudText * 8 / 10 && n < hudText * 12 / 10;
    };

    // Textures off: the course in plain red; wireframe: red lines. The HUD
    // reads the same under both.
    key(app, SDLK_t);
    frames(app);
    shot("textures_off");
    img = readFramebuffer();
    EXPECT_GT(count(img, {0, 60, 640, 420}, isRed), 20000);
    EXPECT_TRUE(sameHud(img)) << "HUD under textures off";
    key(app, SDLK_t);
    key(app, SDLK_y);
    key(app, SDLK_u);
    frames(app);
    shot("wireframe");
    img = readFramebuffer();
    const int wire = count(img, {0, 60, 640, 420}, isRed);
    EXPECT_GT(wire, 2000);
    EXPECT_LT(wire, 200000);
    EXPECT_TRUE(sameHud(img)) << "HUD under wireframe";
    key(app, SDLK_y);
    key(app, SDLK_u);

    // The menu.
    key(app, SDLK_p);
    key(app, SDLK_DOWN);
    frames(app);
    shot("menu");
    img = readFramebuffer();
    EXPECT_GT(count(img, textBand(110, 360, 420, 30), isWhite), 400) << "MENU PRINCIPAL";
    EXPECT_GT(count(img, textBand(230, 280, 180, 20), isWhite), 150) << "VELOCIDAD";
    EXPECT_GT(count(img, textBand(430, 280, 120, 20), isWhite), 80) << "Normal";
    EXPECT_LT(count(img, textBand(240, 230, 160, 20), isWhite), 40) << "TEXTURAS under the cursor, in its own colour";
    key(app, SDLK_p);

    // GAME OVER after three falls, with the HUD bar and the time.
    for (int fall = 0; fall < 3; ++fall) {
        app.game().astronaut.pos = {0, 0, -30};
        frames(app, 30);
    }
    ASSERT_EQ(app.game().state(), kGameOver);
    frames(app);
    shot("game_over");
    img = readFramebuffer();
    EXPECT_GT(count(img, textBand(95, 175, 450, 50), [](Color c) { return c.r > 200 && c.g > 150 && c.b < 120; }),
              2000)
        << "GAME OVER in large letters";
    EXPECT_GT(count(img, textBand(200, 225, 240, 15), isWhite), 150) << "Press R to start above it";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(OrbitdashGL, ModelsOnTheCourseAndALongFrame) {
    FixedRandom random;
    std::ostringstream log;
    App app(random, log);
    key(app, SDLK_r);
    frames(app, 2);
    // A ship right in front, the view from above.
    Game& g = app.game();
    for (auto& item : g.course.items)
        if (auto* ships = dynamic_cast<GroupSpaceShip*>(item.get())) {
            ships->ships[0].x = 0;
            g.astronaut.pos = {0, 0, ships->laneCentre(0) - 1.5f};
        }
    app.draw();
    shot("ship");
    const hoptest::Image withShip = readFramebuffer();
    for (auto& item : g.course.items)
        if (auto* ships = dynamic_cast<GroupSpaceShip*>(item.get())) ships->ships[0].x = 200;
    app.draw();
    EXPECT_GT(readFramebuffer().countDiff(withShip, {0, 60, 640, 420}, 30), 500) << "the ship shows";

    // A belt with its bottles.
    for (auto& item : g.course.items)
        if (auto* belt = dynamic_cast<AsteroidBelt*>(item.get())) {
            g.astronaut.pos = {0, 0, belt->z};
            break;
        }
    app.draw();
    shot("belt");

    // Two seconds without a frame: at most kMaxTicks world steps, so
    // nothing jumps ahead through anything.
    key(app, SDLK_r);
    frames(app, 2);
    g.jump(2);
    now += 2000;
    app.frame(now);
    EXPECT_EQ(app.ticksLastFrame, App::kMaxTicks);
    EXPECT_TRUE(g.astronaut.jumping) << "four steps of a 25-step jump";
    frames(app);
    EXPECT_LE(app.ticksLastFrame, 1) << "the backlog was dropped";
}

TEST_F(OrbitdashGL, EachLevelAndTheWinScreens) {
    FixedRandom random;
    std::ostringstream log;
    App app(random, log);
    Game& g = app.game();
    key(app, SDLK_r);
    for (int level = 1; level <= 3; ++level) {
        ASSERT_EQ(g.settings.level, level);
        frames(app, 2);
        key(app, SDLK_v);  // the view from above
        frames(app);
        shot("level" + std::to_string(level));
        key(app, SDLK_v);
        // Onto the goal from just before it.
        g.astronaut.pos = {0, 0, g.goal.pos.z - 2};
        frames(app, 2);
        ASSERT_TRUE(g.jump(2));
        frames(app, 30);
        const int expected = level < 3 ? kLevelDone : kAllDone;
        ASSERT_EQ(g.state(), expected);
        shot(level < 3 ? "level_done" : "all_done");
        const hoptest::Image img = readFramebuffer();
        // "NIVEL COMPLETADO" (16 x 30) or "FIN DEL JUEGO" (13 x 30), centred at y = 175.
        const int width = level < 3 ? 480 : 390;
        EXPECT_GT(count(img, textBand(320 - width / 2, 175, width, 30),
                        [](Color c) { return c.r > 200 && c.g > 150 && c.b < 120; }),
                  1000)
            << "level " << level;
        key(app, SDLK_r);
    }
    EXPECT_EQ(g.settings.level, 1);
    EXPECT_EQ(g.lives, 3);
}

TEST_F(OrbitdashGL, NoTwoDrawnSurfacesShareAPlane) {
    // Surfaces in one plane fight over their pixels: the one drawn first
    // wins where their depths tie, so the picture changes when the order of
    // drawing is turned round. Looked at along each level, close behind and
    // from above, with textures and in plain red.
    FixedRandom random;
    std::ostringstream log;
    App app(random, log);
    Game& g = app.game();
    key(app, SDLK_r);
    frames(app, 2);
    for (int level = 1; level <= 3; ++level) {
        g.settings.level = level;
        g.course = loadLevel(levelPath(level), random, log);
        g.goal.pos.z = g.course.end() + Platform::kHalf;
        std::vector<float> places = {0, g.goal.pos.z};
        for (const auto& item : g.course.items) places.push_back(item->z);
        int worst = 0;
        std::string where;
        for (float z : places)
            for (int view = 0; view < 2; ++view)
                for (bool textures : {true, false}) {
                    g.astronaut = Astronaut{};
                    g.astronaut.pos = {0, 0, z - 1.0f};
                    g.camera.view = view;
                    g.settings.textures = textures;
                    app.renderer().reverseOrder = false;
                    app.draw();
                    const hoptest::Image forward = readFramebuffer();
                    app.renderer().reverseOrder = true;
                    app.draw();
                    const hoptest::Image backward = readFramebuffer();
                    const int n = backward.countDiff(forward, {0, 60, 640, 420}, 8);
                    if (n > worst) {
                        worst = n;
                        where = "z " + std::to_string(z) + " view " + std::to_string(view) +
                                (textures ? " textured" : " red");
                        if (n > 10) shot("zfight_level" + std::to_string(level));
                    }
                }
        app.renderer().reverseOrder = false;
        EXPECT_LE(worst, 10) << "level " << level << ": pixels that change with the order of drawing, at " << where;
    }
}

TEST_F(OrbitdashGL, TheAstronautStaysDistinctWithoutTextures) {
    // In plain red (textures off) and in red lines (wireframe) the
    // astronaut is drawn pale, on the red start platform and on a red
    // asteroid alike.
    FixedRandom random;
    std::ostringstream log;
    App app(random, log);
    Game& g = app.game();
    key(app, SDLK_r);
    frames(app, 2);
    AsteroidBelt* belt = nullptr;
    std::size_t item = 0;
    for (; item < g.course.items.size() && !belt; ++item) belt = dynamic_cast<AsteroidBelt*>(g.course.items[item].get());
    ASSERT_TRUE(belt);
    --item;
    for (bool riding : {false, true})
        for (SDL_Keycode mode : {SDLK_t, SDLK_y}) {
            g.astronaut = Astronaut{};
            if (riding) {
                for (std::size_t k = 0; k < belt->asteroids.size(); ++k)
                    if (std::fabs(belt->worldX(belt->asteroids[k])) < 3 && belt->asteroids[k].z > 1) {
                        g.astronaut.rideItem = int(item);
                        g.astronaut.rideAsteroid = int(k);
                        break;
                    }
                ASSERT_GE(g.astronaut.rideItem, 0);
            }
            g.tick();
            key(app, mode);
            app.draw();
            shot(std::string(riding ? "riding" : "standing") + (mode == SDLK_t ? "_plain" : "_lines"));
            const hoptest::Image img = readFramebuffer();
            const Spot chest = project(app, {g.astronaut.pos.x, g.astronaut.pos.y + 0.55f, g.astronaut.pos.z});
            const Rect box{chest.x - 12, chest.y - 12, 24, 24};
            EXPECT_GT(count(img, box, isPale), mode == SDLK_t ? 200 : 20)
                << (riding ? "riding" : "standing") << (mode == SDLK_t ? ", textures off" : ", wireframe");
            if (mode == SDLK_t) {
                EXPECT_GT(count(img, {box.x - 30, box.y + 30, 84, 30}, isRed), 500) << "red under it";
            }
            key(app, mode);
        }
}

TEST_F(OrbitdashGL, EveryFileBrokenEveryWayIsNamed) {
    // Each file the game reads at start-up, deleted, empty, cut in half,
    // random bytes, a folder or a named pipe in its place (the rest linked
    // to the real ones): a texture or a model stops the game (not ready,
    // so the program ends with status 1) with the file named; the level
    // file gives an empty course, named. Nothing hangs or throws.
    namespace fs = std::filesystem;
    const fs::path source = fs::current_path();
    const fs::path dir = fs::temp_directory_path() / ("orbitdash_broken_" + std::to_string(::getpid()));
    std::vector<const char*> files(std::begin(kTexturePaths), std::end(kTexturePaths));
    files.insert(files.end(), std::begin(kModelPaths), std::end(kModelPaths));
    const std::string level = levelPath(1);
    files.push_back(level.c_str());
    std::mt19937 bytes(5);
    for (const char* file : files)
        for (hoptest::Break how : {hoptest::Deleted, hoptest::Empty, hoptest::Half, hoptest::Garbage,
                                   hoptest::Folder, hoptest::Pipe}) {
            hoptest::stageBroken(source, dir, files, file, how, bytes);
            fs::current_path(dir);
            FixedRandom random;
            std::ostringstream log;
            bool ready = false;
            {
                App app(random, log);
                ready = app.ready();
            }
            fs::current_path(source);
            const bool named = log.str().find(file) != std::string::npos;
            if (file == level) {
                EXPECT_TRUE(ready) << file << " broken " << int(how) << ": " << log.str();
                if (how != hoptest::Half && how != hoptest::Garbage) {
                    EXPECT_TRUE(named) << file << " broken " << int(how) << ": " << log.str();
                }
            } else {
                EXPECT_FALSE(ready) << file << " broken " << int(how);
                EXPECT_TRUE(named) << file << " broken " << int(how) << ": " << log.str();
            }
        }
    fs::remove_all(dir);
}

namespace {

// The camera the game draws with at one moment, kept to project points
// later (the camera follows the astronaut, so a jump's landing is seen
// through the camera of its take-off).
struct View {
    GLdouble mv[16], pr[16];
    GLint vp[4];
    explicit View(App& app) {
        app.renderer().setCamera(app.game(), 640, 480);
        glGetDoublev(GL_MODELVIEW_MATRIX, mv);
        glGetDoublev(GL_PROJECTION_MATRIX, pr);
        glGetIntegerv(GL_VIEWPORT, vp);
    }
    // Picture coordinates, y from the top.
    void at(Vec3 p, double& x, double& y) const {
        GLdouble wx = 0, wy = 0, wz = 0;
        gluProject(p.x, p.y, p.z, mv, pr, vp, &wx, &wy, &wz);
        x = wx;
        y = 480 - wy;
    }
};

}  // namespace

TEST_F(OrbitdashGL, KeysJumpAndTheMouseTurnsTowardsTheScreenSides) {
    // Left/A lands to the left on the screen, Right/D to the right, Up/W up
    // the screen and Down/S down it, as seen at take-off; the mouse moved
    // right turns the view right (what lies ahead moves left), moved down
    // tilts it down (what lies ahead moves up). From the starting camera
    // and after every kind of view change: quarter turns (X), the mouse at
    // headings where both components of the view are large, heights (Z),
    // the view from above (V), distance (N, M).
    FixedRandom random;
    std::ostringstream log;
    App app(random, log);
    Game& g = app.game();
    g.course = Course{};  // the start platform alone: every jump lands on it
    key(app, SDLK_r);
    frames(app, 2);
    struct Change {
        const char* name;
        std::function<void()> apply;
    };
    const std::vector<Change> changes = {
        {"start", [] {}},
        {"X", [&] { key(app, SDLK_x); }},
        {"X X", [&] { key(app, SDLK_x); }},
        {"X X X", [&] { key(app, SDLK_x); }},
        {"mouse right 140", [&] { g.mouse(140, 0); }},
        {"mouse left 520", [&] { g.mouse(-520, 0); }},
        {"Z", [&] { key(app, SDLK_z); }},
        {"V", [&] { key(app, SDLK_v); }},
        {"V, M M M", [&] { key(app, SDLK_m); key(app, SDLK_m); key(app, SDLK_m); }},
        {"V, N", [&] { key(app, SDLK_v); key(app, SDLK_n); }},
    };
    const struct {
        SDL_Keycode key;
        int sx, sy;  // expected sign of the move on screen (x right, y down)
    } jumps[] = {{SDLK_a, -1, 0}, {SDLK_LEFT, -1, 0}, {SDLK_d, 1, 0}, {SDLK_RIGHT, 1, 0},
                 {SDLK_w, 0, -1}, {SDLK_UP, 0, -1},   {SDLK_s, 0, 1},  {SDLK_DOWN, 0, 1}};
    for (const Change& change : changes) {
        change.apply();
        for (const auto& j : jumps) {
            g.astronaut = Astronaut{};
            frames(app, 1);
            ASSERT_TRUE(g.astronaut.standing);
            const View view(app);
            double x0, y0, x1, y1;
            view.at(g.astronaut.pos, x0, y0);
            app.handleEvent(hoptest::keyEvent(j.key, true));
            app.handleEvent(hoptest::keyEvent(j.key, false));
            ASSERT_TRUE(g.astronaut.jumping) << change.name;
            frames(app, 30);
            ASSERT_TRUE(g.astronaut.standing) << change.name;
            view.at(g.astronaut.pos, x1, y1);
            const double dx = x1 - x0, dy = y1 - y0;
            const std::string what = std::string(SDL_GetKeyName(j.key)) + " after " + change.name;
            if (j.sx) {
                EXPECT_GT(dx * j.sx, 20) << what << ": moved " << dx << ", " << dy;
                EXPECT_GT(std::fabs(dx), 2 * std::fabs(dy)) << what << ": mostly across the screen";
            } else {
                EXPECT_GT(dy * j.sy, 5) << what << ": moved " << dx << ", " << dy;
                EXPECT_LT(std::fabs(dx), 5) << what << ": straight up or down the screen";
            }
        }
        // The mouse, with the astronaut at the start: a point ahead of it,
        // seen before and after.
        g.astronaut = Astronaut{};
        frames(app, 1);
        float ax, az;
        g.camera.direction(2, ax, az);
        const Vec3 ahead{3 * ax, 0, 3 * az};
        double x0, y0, x1, y1;
        View(app).at(ahead, x0, y0);
        g.mouse(40, 0);
        View(app).at(ahead, x1, y1);
        EXPECT_LT(x1, x0 - 5) << "mouse right after " << change.name;
        g.mouse(-40, 0);
        if (g.camera.view == 0) {  // the view from above keeps its height
            View(app).at(ahead, x0, y0);
            g.mouse(0, 20);
            View(app).at(ahead, x1, y1);
            EXPECT_LT(y1, y0 - 2) << "mouse down after " << change.name;
            g.mouse(0, -20);
        }
    }
}

TEST_F(OrbitdashGL, ThingsAreDrawnWhereTheyHoldOrHit) {
    // Each thing is taken out of the picture (or moved far off) and the
    // pixels that change are looked at: those at its hit box or carrying
    // window change, those where it is not stay the same. Ships at both
    // ends of their run and in both directions, asteroids, floors and
    // their windows, the goal platform; and the ring where the jump ends.
    FixedRandom random;
    std::ostringstream log;
    App app(random, log);
    Game& g = app.game();
    key(app, SDLK_r);
    frames(app, 2);
    auto changedAt = [&](const hoptest::Image& a, const hoptest::Image& b, double x, double y) {
        return b.countDiff(a, {int(x) - 4, int(y) - 4, 9, 9}, 30);
    };
    auto look = [&](Vec3 astronaut) {
        g.astronaut = Astronaut{};
        g.astronaut.pos = astronaut;
        app.draw();
        return readFramebuffer();
    };

    // Ships: the hit box is 1 long (x) and 2.5 deep (z) in half scale,
    // centred on the ship; seen from beside its lane.
    for (auto& item : g.course.items)
        if (auto* group = dynamic_cast<GroupSpaceShip*>(item.get())) {
            for (float shipX : {-12.0f, 9.0f})
                for (int direction : {1, -1}) {
                    GroupSpaceShip::Ship& ship = group->ships[0];
                    ship.x = shipX;
                    ship.direction = direction;
                    const Vec3 stand{0, 0, group->laneCentre(0) - 4};
                    const hoptest::Image with = look(stand);
                    const View view(app);
                    ship.x = 400;
                    const hoptest::Image without = look(stand);
                    double x, y, mx, my;
                    view.at({shipX / 2, 0.5f, group->laneCentre(0)}, x, y);
                    view.at({-shipX / 2, 0.5f, group->laneCentre(0)}, mx, my);
                    EXPECT_GT(changedAt(with, without, x, y), 20) << "ship at " << shipX << " going " << direction;
                    EXPECT_EQ(changedAt(with, without, mx, my), 0) << "nothing at " << -shipX;
                    // The astronaut there is hit; beside the drawn ship it is not.
                    ship.x = shipX;
                    Astronaut a;
                    a.pos = {shipX / 2, 0, group->laneCentre(0)};
                    EXPECT_TRUE(group->touch(a, 0).hit);
                    a.pos.x = -shipX / 2;
                    EXPECT_FALSE(group->touch(a, 0).hit);
                }
            break;
        }

    // Asteroids: one of the first row ahead of the astronaut, at its centre
    // and beside it; and the landing ring on the asteroid a jump comes down
    // on.
    for (std::size_t index = 0; index < g.course.items.size(); ++index)
        if (auto* belt = dynamic_cast<AsteroidBelt*>(g.course.items[index].get())) {
            belt->offset = 37.3f;  // well into its run
            std::size_t k = 0;
            while (k < belt->asteroids.size() && (belt->asteroids[k].z != 0 || belt->worldX(belt->asteroids[k]) < 0)) ++k;
            ASSERT_LT(k, belt->asteroids.size());
            Asteroid& rock = belt->asteroids[k];
            const Vec3 stand{belt->worldX(rock), 0, belt->z - 2};
            const Vec3 centre{belt->worldX(rock), -0.5f, belt->worldZ(rock)};
            const hoptest::Image with = look(stand);
            const View view(app);
            rock.x += 500;
            const hoptest::Image without = look(stand);
            rock.x -= 500;
            double x, y, bx, by;
            view.at(centre, x, y);
            view.at({centre.x + rock.radius + 0.3f, centre.y, centre.z - rock.radius - 0.3f}, bx, by);
            EXPECT_GT(changedAt(with, without, x, y), 30) << "asteroid";
            EXPECT_EQ(changedAt(with, without, bx, by), 0) << "beside the asteroid";

            g.astronaut = Astronaut{};
            g.astronaut.rideItem = int(index);
            g.astronaut.rideAsteroid = int(k);
            g.tick();
            for (int wait = 0; wait < 600 && !g.jumpMark(2).lands; ++wait) g.tick();
            const JumpMark mark = g.jumpMark(2);
            ASSERT_TRUE(mark.lands);
            app.draw();
            const hoptest::Image ring = readFramebuffer();
            const View ringView(app);
            int seen = 0;
            for (int step = 0; step < 8; ++step) {
                const float a = float(step) * Camera::kPi / 4, r = (Renderer::kRingInner + Renderer::kRingOuter) / 2;
                double rx, ry;
                ringView.at({mark.at.x + r * std::cos(a), mark.at.y + 0.02f, mark.at.z + r * std::sin(a)}, rx, ry);
                const Color c = ring.pixel(int(std::lround(rx)), int(std::lround(ry)));
                seen += c.b > 150 && c.g > 150 && c.r + 60 < c.b;
            }
            EXPECT_GE(seen, 6) << "the ring round where the jump lands";
            break;
        }

    // A floor between two empty belts (its whole window drawn), seen from
    // above: just inside each corner of the window that carries, the panels
    // show; just outside it, across and along, they do not.
    {
        const Course level = g.course;
        g.course = Course{};
        g.course.add(std::make_unique<AsteroidBelt>(0, 1000, random));
        g.course.add(std::make_unique<Suelo>(2, false, random));
        g.course.add(std::make_unique<AsteroidBelt>(0, 1000, random));
        auto& floor = static_cast<Suelo&>(*g.course.items[1]);
        key(app, SDLK_v);
        const float half = Suelo::kPanelWidth / 2 * float(floor.panels);
        const Vec3 stand{0, 0, floor.centre()};
        const hoptest::Image with = look(stand);
        const View view(app);
        floor.panels = 0;
        const hoptest::Image without = look(stand);
        floor.panels = 2;
        for (float sx : {-1.0f, 1.0f})
            for (float sz : {-1.0f, 1.0f}) {
                const float z = sz < 0 ? floor.centre() - Suelo::kBack : floor.centre() + Suelo::kFront;
                const Vec3 in{sx * (half - 0.3f), 0, z - sz * 0.3f}, across{sx * (half + 0.5f), 0, in.z},
                    along{in.x, 0, z + sz * 0.5f};
                double x, y;
                view.at(in, x, y);
                EXPECT_GT(changedAt(with, without, x, y), 20) << "floor corner " << sx << " " << sz;
                EXPECT_TRUE(floor.carries(in.x, in.z));
                for (Vec3 out : {across, along}) {
                    view.at(out, x, y);
                    EXPECT_EQ(changedAt(with, without, x, y), 0) << "beside the floor " << out.x << " " << out.z;
                    EXPECT_FALSE(floor.carries(out.x, out.z));
                }
            }
        g.course = level;
    }

    // The goal platform, at the corners of where a landing reaches it, from
    // above.
    {
        const Vec3 stand{0, 0, g.goal.pos.z - 6};
        const hoptest::Image with = look(stand);
        const View view(app);
        const Vec3 goal = g.goal.pos;
        g.goal.pos.x += 300;
        const hoptest::Image without = look(stand);
        g.goal.pos = goal;
        for (float sx : {-1.0f, 1.0f})
            for (float sz : {-1.0f, 1.0f}) {
                double x, y;
                view.at({goal.x + sx * (Platform::kHalfWidth - 0.3f), 0, goal.z + sz * (Platform::kHalf - 0.3f)}, x, y);
                EXPECT_GT(changedAt(with, without, x, y), 20) << "goal corner " << sx << " " << sz;
            }
    }
}

TEST_F(OrbitdashGL, CullingLeavesThePictureAsItWas) {
    // What is left out as outside the view must not have shown: the picture
    // with culling is the picture without it, along every level, behind and
    // from above, near and far, turned a quarter and by the mouse, with the
    // ships and the belts where they are at that moment.
    FixedRandom random;
    std::ostringstream log;
    App app(random, log);
    Game& g = app.game();
    key(app, SDLK_r);
    frames(app, 2);
    int culled = 0, worst = 0;
    std::string where;
    for (int level = 1; level <= 3; ++level) {
        g.settings.level = level;
        g.course = loadLevel(levelPath(level), random, log);
        g.goal.pos.z = g.course.end() + Platform::kHalf;
        std::vector<float> places = {0};
        for (const auto& item : g.course.items) places.push_back(item->z + 1.0f);
        std::mt19937 shuffle{unsigned(level)};
        for (std::size_t p = 0; p < places.size(); ++p) {
            // The ships and the belts somewhere else at each place, the
            // ships mostly near the middle where the view's edges cross them.
            for (auto& item : g.course.items)
                if (auto* ships = dynamic_cast<GroupSpaceShip*>(item.get())) {
                    for (auto& ship : ships->ships)
                        ship.x = std::uniform_real_distribution<float>(-30, 30)(shuffle);
                } else if (auto* belt = dynamic_cast<AsteroidBelt*>(item.get())) {
                    belt->offset = std::uniform_real_distribution<float>(0, 100)(shuffle);
                }
            g.astronaut = Astronaut{};
            g.astronaut.pos = {0, 0, places[p]};
            g.camera = Camera{};
            // A different camera at each place, cycling through them all.
            g.camera.view = int(p % 2);
            if (p % 3 == 1) g.camera.distance = Camera::kMaxDistance;
            for (std::size_t q = 0; q < p % 4; ++q) g.camera.cycleQuarter();
            if (p % 5 == 2) g.mouse(90, 0);
            app.renderer().cull = false;
            app.draw();
            const hoptest::Image all = readFramebuffer();
            app.renderer().cull = true;
            app.draw();
            culled += app.renderer().culled;
            const int n = readFramebuffer().countDiff(all, {0, 0, 640, 480}, 0);
            if (n > worst) {
                worst = n;
                where = "level " + std::to_string(level) + " z " + std::to_string(places[p]);
                shot("culled_wrong");
            }
        }
    }
    EXPECT_EQ(worst, 0) << "pixels lost to culling, worst at " << where;
    EXPECT_GT(culled, 100) << "culling leaves out what lies behind the camera and to its sides";
}

TEST_F(OrbitdashGL, StillScreensStopDrawingAndAKeyActsAtOnce) {
    // The title and the menu are drawn for a few frames after each change,
    // then the loop waits for events without drawing; a key on a still
    // screen is handled in the turn it comes in and shown in the next.
    FixedRandom random;
    std::ostringstream log;
    App app(random, log);
    hop::Pads pads(App::padTable());
    app.clock = [&] { return now += 17; };
    auto draws = [&](int turns) {
        int n = 0;
        for (int i = 0; i < turns; ++i) n += app.turn(pads, 0);
        return n;
    };
    auto push = [](SDL_Keycode k) {
        for (bool down : {true, false}) {
            SDL_Event e = hoptest::keyEvent(k, down);
            SDL_PushEvent(&e);
        }
    };
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
    EXPECT_EQ(draws(3 * App::kSettleFrames), App::kSettleFrames) << "the title";
    EXPECT_EQ(draws(30), 0);

    push(SDLK_p);
    EXPECT_FALSE(app.turn(pads, 0));
    EXPECT_EQ(app.game().state(), kMenu) << "handled in the turn it came";
    EXPECT_TRUE(app.turn(pads, 0)) << "and drawn in the next";
    EXPECT_GT(count(readFramebuffer(), textBand(110, 360, 420, 30), isWhite), 400) << "MENU PRINCIPAL";
    EXPECT_EQ(draws(3 * App::kSettleFrames), App::kSettleFrames - 1) << "the menu over the title";

    // Play draws every turn; its menu is still again.
    push(SDLK_p);
    push(SDLK_r);
    draws(1);
    EXPECT_EQ(app.game().state(), kPlaying);
    EXPECT_EQ(draws(100), 100) << "play";
    push(SDLK_p);
    draws(1);
    ASSERT_EQ(app.game().state(), kMenu);
    EXPECT_EQ(draws(3 * App::kSettleFrames), App::kSettleFrames) << "the menu over play";
    EXPECT_EQ(draws(30), 0);
    // A window shown again is drawn again.
    SDL_Event shown{};
    shown.type = SDL_WINDOWEVENT;
    shown.window.event = SDL_WINDOWEVENT_EXPOSED;
    SDL_PushEvent(&shown);
    EXPECT_GT(draws(3), 0) << "exposed";
}

TEST_F(OrbitdashGL, BestsAreKeptAtEachGoalAndShownAfterARestart) {
    // Points are banked on reaching a goal: the game's best and the level's
    // own are kept there, a worse run leaves them, and the next start shows
    // the best on the title and on the level's end screen.
    const std::string folder = ::testing::TempDir() + "orbitdash_bests_" + std::to_string(::getpid());
    std::filesystem::remove_all(folder);
    const char* was = std::getenv("HOPGAMES_DATA_DIR");
    const std::string saved = was ? was : "";
    setenv("HOPGAMES_DATA_DIR", folder.c_str(), 1);
    FixedRandom random;
    std::ostringstream log;
    const Rect titleRecord = textBand(170, 290, 300, 15);
    const Rect levelRecord = textBand(100, 90 - 22, 440, 15);  // RECORD NIVEL 1 n, under RECORD n
    auto yellow = [](Color c) { return c.r > 200 && c.g > 150 && c.b < 120; };
    // Onto the goal of the level being played with `gained` points since its start.
    auto finish = [&](App& app, int gained) {
        Game& g = app.game();
        g.astronaut = Astronaut{};
        g.astronaut.pos = {0, 0, g.goal.pos.z - 2};
        frames(app, 2);
        g.points = g.levelStartPoints + gained;
        ASSERT_TRUE(g.jump(2));
        frames(app, 30);
        ASSERT_EQ(g.state(), kLevelDone);
    };
    {
        App app(random, log);
        frames(app);
        EXPECT_LT(count(readFramebuffer(), titleRecord, yellow), 20) << "no best yet";
        key(app, SDLK_r);
        finish(app, 6);
        EXPECT_EQ(app.records().best("best"), 6);
        EXPECT_EQ(app.records().best("level-1"), 6);
    }
    {
        App app(random, log);
        EXPECT_EQ(app.bests().best, 6) << "read at start-up";
        frames(app);
        EXPECT_GT(count(readFramebuffer(), titleRecord, yellow), 100) << "RECORD 6 on the title";
        key(app, SDLK_r);
        finish(app, 3);
        EXPECT_GT(count(readFramebuffer(), levelRecord, yellow), 100) << "RECORD NIVEL 1 6";
        EXPECT_EQ(app.records().best("level-1"), 6) << "3 is worse";
        key(app, SDLK_r);  // level 2, with the 3 points of level 1 banked
        finish(app, 2);
        EXPECT_EQ(app.records().best("level-2"), 2);
        EXPECT_EQ(app.records().best("best"), 6) << "5 in all is worse";
    }
    {
        App app(random, log);
        EXPECT_EQ(app.bests().best, 6);
        EXPECT_EQ(app.bests().level[0], 6);
        EXPECT_EQ(app.bests().level[1], 2);
        EXPECT_FALSE(app.bests().level[2]);
    }
    EXPECT_EQ(log.str(), "");
    if (was) setenv("HOPGAMES_DATA_DIR", saved.c_str(), 1);
    else unsetenv("HOPGAMES_DATA_DIR");
    std::filesystem::remove_all(folder);
}
