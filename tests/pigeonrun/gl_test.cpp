// The game's drawing in an offscreen context, run from the game's folder
// (stage/pigeonrun/juego) with the generated files. Set PIGEONRUN_SHOTS to a
// folder to keep the frames the tests look at.
#include <GL/gl.h>
#include <GL/glu.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "assets.h"
#include "game.h"
#include "hoptest/broken.h"
#include "hoptest/events.h"
#include "hoptest/gl.h"

using namespace pigeonrun;
using hoptest::Color;
using hoptest::Image;
using hoptest::Rect;

namespace fs = std::filesystem;

namespace {

using Point = std::array<double, 2>;

class PigeonrunGL : public hoptest::GLTest {
protected:
    PigeonrunGL() {
        width = Game::kWidth;
        height = Game::kHeight;
    }
    void shot(const std::string& name) {
        if (const char* dir = std::getenv("PIGEONRUN_SHOTS")) savePNG(std::string(dir) + "/" + name + ".png");
    }
    // The game's own frames, 1/60 s apart on a clock of the test's: each
    // runs a world pass, draws, then handles the queued SDL events.
    void frames(Game& g, int n = 1) {
        for (int i = 0; i < n; ++i) {
            clock_ += kPassMs;
            g.frame(clock_);
        }
    }
    // An event queued now is handled at the end of the next frame.
    void queue(SDL_Event e) { SDL_PushEvent(&e); }
    // A key pressed and released, handled at the end of the next frame.
    void tap(Game& g, SDL_Keycode k) {
        for (bool down : {true, false}) queue(hoptest::keyEvent(k, down));
        frames(g);
    }
    // Starts play; the frame after draws it.
    void play(Game& g) {
        tap(g, SDLK_RETURN);
        frames(g);
    }
    // The picture of the world as it is, without a pass.
    Image drawn(Game& g) {
        g.draw();
        return readFramebuffer();
    }
    double clock_ = 0;
    int white(Rect r) { return countNear({255, 255, 255}, 20, r); }
    int yellow(Rect r) { return countNear({255, 255, 0}, 30, r); }
    int sky(Rect r) { return countNear({77, 128, 255}, 6, r); }
};

// Overlay places in window pixels (top-left origin).
const Rect kScoreBand{0, 9, 640, 33};
const Rect kCoinBand{0, 46, 597, 33};
const Rect kCoinIcon{598, 47, 32, 32};
const Rect kLogo{70, 212, 500, 56};
const Rect kPressEnter{195, 289, 250, 16};
const Rect kPause{256, 176, 128, 128};
Rect digitAt(int fromRight) { return Rect{597 - 27 * fromRight, 9, 33, 33}; }

// The scene's camera as the last drawing left it.
struct Camera {
    double model[16], proj[16];
    int view[4];
    static Camera current() {
        Camera c;
        glGetDoublev(GL_MODELVIEW_MATRIX, c.model);
        glGetDoublev(GL_PROJECTION_MATRIX, c.proj);
        glGetIntegerv(GL_VIEWPORT, c.view);
        return c;
    }
    // Window pixel of a world point, from the top-left corner.
    Point pixel(double x, double y, double z) const {
        double wx = 0, wy = 0, wz = 0;
        gluProject(x, y, z, model, proj, view, &wx, &wy, &wz);
        return {wx, view[3] - wy};
    }
    // The eye in world coordinates (the free view's camera is all in the
    // model-view matrix).
    std::array<double, 3> eye() const {
        std::array<double, 3> e{};
        for (int i = 0; i < 3; ++i)
            e[std::size_t(i)] = -(model[i * 4] * model[12] + model[i * 4 + 1] * model[13] + model[i * 4 + 2] * model[14]);
        return e;
    }
};

// Pixels that differ by more than `tolerance` in some channel.
std::vector<Point> changed(const Image& a, const Image& b, int tolerance = 24) {
    std::vector<Point> out;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const Color p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(p.r - q.r) > tolerance || std::abs(p.g - q.g) > tolerance || std::abs(p.b - q.b) > tolerance)
                out.push_back({double(x), double(y)});
        }
    return out;
}

Point centroid(const std::vector<Point>& points) {
    Point c{0, 0};
    for (const Point& p : points) c[0] += p[0] / double(points.size()), c[1] += p[1] / double(points.size());
    return c;
}

// Convex hull of points (counter-clockwise on screen with y down reads
// clockwise; only the turn's consistency matters).
std::vector<Point> hull(std::vector<Point> p) {
    std::sort(p.begin(), p.end());
    auto cross = [](const Point& o, const Point& a, const Point& b) {
        return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
    };
    std::vector<Point> h(2 * p.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < p.size(); h[k++] = p[i++])
        while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    for (std::size_t i = p.size() - 1, t = k + 1; i > 0; h[k++] = p[--i])
        while (k >= t && cross(h[k - 2], h[k - 1], p[i - 1]) <= 0) --k;
    h.resize(k - 1);
    return h;
}

// Whether `q` lies inside the hull or within `margin` pixels of it.
bool inside(const std::vector<Point>& h, const Point& q, double margin) {
    for (std::size_t i = 0; i < h.size(); ++i) {
        const Point& a = h[i];
        const Point& b = h[(i + 1) % h.size()];
        const double len = std::hypot(b[0] - a[0], b[1] - a[1]);
        if (((b[0] - a[0]) * (q[1] - a[1]) - (b[1] - a[1]) * (q[0] - a[0])) / len < -margin) return false;
    }
    return true;
}

// A copy of the game's folder (Objetos beside juego) whose files a test
// may change; the working folder is the copy's juego/ while it lives.
class StageCopy {
public:
    StageCopy()
        : dir_(fs::temp_directory_path() / ("pigeonrun_gl_" + std::to_string(getpid()))), cwd_(fs::current_path()) {
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "juego");
        fs::copy(cwd_.parent_path() / "Objetos", dir_ / "Objetos");
        fs::current_path(dir_ / "juego");
    }
    ~StageCopy() {
        fs::current_path(cwd_);
        fs::remove_all(dir_);
    }
    const fs::path& dir() const { return dir_; }
    const fs::path& original() const { return cwd_; }

private:
    fs::path dir_, cwd_;
};

// A model of one block, all of one material.
std::string block(std::array<double, 3> lo, std::array<double, 3> hi, const char* material) {
    std::ostringstream o;
    o << "usemtl " << material << "\nvt 0 0\n";
    for (int i = 0; i < 8; ++i) o << "v " << (i & 1 ? hi : lo)[0] << " " << (i & 2 ? hi : lo)[1] << " " << (i & 4 ? hi : lo)[2] << "\n";
    o << "vn 1 0 0\nvn -1 0 0\nvn 0 1 0\nvn 0 -1 0\nvn 0 0 1\nvn 0 0 -1\n";
    // Two triangles per face: corners by bit (x 1, y 2, z 4), then the normal.
    const int faces[6][5] = {{1, 3, 7, 5, 1}, {0, 4, 6, 2, 2}, {2, 6, 7, 3, 3}, {0, 1, 5, 4, 4}, {4, 5, 7, 6, 5}, {0, 2, 3, 1, 6}};
    for (const auto& f : faces)
        for (int t : {0, 1}) {
            o << "f";
            for (int c : {f[0], f[1 + t], f[2 + t]}) o << " " << c + 1 << "/1/" << f[4];
            o << "\n";
        }
    return o.str();
}

// A pigeon that is one block standing ahead of its feet (+z): where the
// block is drawn is where the pigeon faces.
std::string markerPigeon() { return block({-2, 0, 4}, {2, 4, 8}, "orange"); }

double area(const std::vector<Point>& h) {
    double a = 0;
    for (std::size_t i = 0; i < h.size(); ++i)
        a += h[i][0] * h[(i + 1) % h.size()][1] - h[(i + 1) % h.size()][0] * h[i][1];
    return std::fabs(a) / 2;
}

}  // namespace

TEST_F(PigeonrunGL, EveryStateShowsItsOverlayReadableUnderEverySwitch) {
    std::ostringstream console;
    Game g(true, [] { return 0; }, &console);
    g.draw();
    shot("title");
    EXPECT_GT(countNear({255, 214, 64}, 40, kLogo), 1500) << "the yellow title";
    EXPECT_GT(white(kPressEnter), 150) << "PRESIONE ENTER";
    EXPECT_GT(sky(Rect{0, 0, 640, 150}), 90000) << "nothing but sky above";

    play(g);
    shot("playing");
    // Score 0: one white digit at the right edge; no coin digits beyond one.
    EXPECT_GT(white(digitAt(0)), 60);
    EXPECT_EQ(white(Rect{0, 9, 590, 33}), 0);
    EXPECT_GT(yellow(Rect{560, 46, 37, 33}), 60) << "coins 0 in yellow";
    EXPECT_EQ(yellow(Rect{0, 46, 555, 33}), 0);
    EXPECT_GT(countNear({255, 206, 20}, 30, kCoinIcon), 200) << "the coin icon";
    // The scene: the pigeon at the centre, grass around it.
    EXPECT_LT(sky(Rect{0, 0, 640, 480}), 1000);
    EXPECT_GT(countNear({110, 120, 60}, 60, Rect{0, 300, 640, 180}), 5000) << "grass";

    // Score 105: three digits 27 pixels apart ending at the right edge.
    g.world.status.score = 105;
    g.world.status.coins = 12;
    g.draw();
    shot("score105");
    for (int i = 0; i < 3; ++i) EXPECT_GT(white(Rect{digitAt(i).x + 6, 9, 21, 33}), 20) << "digit " << i;
    EXPECT_EQ(white(Rect{0, 9, 540, 33}), 0);
    EXPECT_GT(yellow(Rect{536, 46, 30, 33}), 20) << "the coins' tens";
    const int scoreWhite = white(kScoreBand), coinYellow = yellow(kCoinBand);

    // Textures off, wireframe, flat: the overlay reads the same.
    tap(g, SDLK_t);
    tap(g, SDLK_w);
    tap(g, SDLK_s);
    frames(g);
    shot("switches");
    EXPECT_NEAR(white(kScoreBand), scoreWhite, scoreWhite / 20);
    EXPECT_NEAR(yellow(kCoinBand), coinYellow, coinYellow / 20);
    EXPECT_GT(countNear({255, 206, 20}, 30, kCoinIcon), 200);
    // ... while the ground is drawn untextured and in lines: sky shows through.
    EXPECT_GT(sky(Rect{0, 100, 640, 380}), 20000);

    tap(g, SDLK_p);
    frames(g);
    shot("paused");
    EXPECT_GT(white(kPause), 1500) << "the pause bars";
    EXPECT_EQ(white(kScoreBand), 0) << "no score while paused";

    tap(g, SDLK_p);
    g.world.status.state = StateGameOver;
    g.draw();
    shot("gameover");
    EXPECT_GT(countNear({255, 90, 70}, 40, kLogo), 1500) << "FIN DEL JUEGO";
    EXPECT_GT(white(kPressEnter), 150);
    EXPECT_GT(sky(Rect{0, 0, 640, 150}), 90000) << "no scene after the game";
}

TEST_F(PigeonrunGL, BothViewsDrawThePigeonTheCarsAndTheGround) {
    std::ostringstream console;
    Game g(true, [] { return 3; }, &console);
    play(g);
    // The fixed view: the pigeon in the middle, grass all round, no sky.
    const Rect middle{270, 190, 100, 100};
    EXPECT_GT(countNear({100, 100, 100}, 60, middle), 400) << "grey pigeon";
    EXPECT_LT(sky(Rect{0, 0, 640, 480}), 1000);

    // A hop forward carries the world: the picture changes under the pigeon.
    const hoptest::Image before = readFramebuffer();
    tap(g, SDLK_UP);
    frames(g, 6);
    shot("fixed_hop");
    EXPECT_GT(readFramebuffer().countDiff(before, Rect{0, 60, 640, 420}, 30), 5000);

    // The free view: sky above the horizon (fogged far ground), ground below.
    tap(g, SDLK_v);
    frames(g);
    shot("free");
    {
        // The far ground fades into the sky colour at the top.
        const Image top = readRect(Rect{0, 0, 640, 10});
        int blue = 0;
        for (int y = 0; y < top.height(); ++y)
            for (int x = 0; x < top.width(); ++x) {
                const Color c = top.pixel(x, y);
                blue += c.b > c.r + 80 && c.b > c.g + 40;
            }
        EXPECT_GT(blue, 3000);
    }
    EXPECT_LT(sky(Rect{0, 400, 640, 80}), 100);
    // Zooming out as far as it goes changes the whole picture.
    const hoptest::Image nearView = readFramebuffer();
    for (int i = 0; i < 40; ++i) g.handleEvent(hoptest::wheelEvent(-1));
    EXPECT_EQ(g.camera.distance, ViewCamera::kMaxDistance);
    frames(g);
    shot("free_far");
    EXPECT_GT(readFramebuffer().countDiff(nearView, Rect{0, 100, 640, 380}, 30), 40000);

    // Back to the fixed view: no fog there.
    tap(g, SDLK_v);
    frames(g);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_LT(sky(Rect{0, 0, 640, 480}), 1000);
}

TEST_F(PigeonrunGL, LeftAndRightTurnAndHopTowardTheScreensLeftAndRightFromEveryCamera) {
    StageCopy stage;
    std::ofstream(AssetPaths::kPigeon) << markerPigeon();
    std::ostringstream console;
    Game g(true, [] { return 0; }, &console);
    play(g);
    g.world.car1.position.x = g.world.car2.position.x = 1000;  // no traffic
    // Where the pigeon's nose is on screen, in pixels right of its feet:
    // the block's pixels against the same frame with the pigeon lifted away.
    auto nose = [&] {
        const Image with = drawn(g);
        const Camera camera = Camera::current();
        const double height = g.world.hopHeight;
        g.world.hopHeight = 1000;
        const Image without = drawn(g);
        g.world.hopHeight = height;
        const std::vector<Point> block = changed(with, without);
        EXPECT_GT(block.size(), 100u) << "the pigeon is drawn";
        return centroid(block)[0] - camera.pixel(0, height, 0)[0];
    };
    // How far right on screen the pigeon went since the world was at (x0, z0):
    // the ground its feet stood on, seen from its feet now.
    auto travel = [&](double x0, double z0) {
        g.draw();
        const Camera camera = Camera::current();
        return camera.pixel(0, 0, 0)[0] - camera.pixel(g.world.worldOffsetX - x0, 0, g.world.worldOffsetZ - z0)[0];
    };
    auto landed = [&] {
        for (int i = 0; i < 200 && g.world.pigeon.hopping; ++i) frames(g);
    };

    // Fixed view, from the start and after a round trip through the free
    // view: the pigeon turns and hops the arrow's way; paused mid-hop it
    // shows the model's own orientation.
    for (auto [key, side] : {std::pair{SDLK_LEFT, -1}, std::pair{SDLK_RIGHT, 1}}) {
        const double x0 = g.world.worldOffsetX, z0 = g.world.worldOffsetZ;
        tap(g, key);
        frames(g, 3);
        ASSERT_TRUE(g.world.pigeon.hopping);
        EXPECT_GT(side * nose(), 10) << (side < 0 ? "Left" : "Right");
        tap(g, SDLK_p);
        const Image paused = drawn(g);
        const double angle = g.world.pigeon.angle;
        g.world.pigeon.angle = 0;
        EXPECT_EQ(drawn(g).countDiff(paused), 0) << "paused mid-hop, the pigeon is not turned";
        g.world.pigeon.angle = angle;
        tap(g, SDLK_p);
        landed();
        EXPECT_GT(side * travel(x0, z0), 60) << (side < 0 ? "Left" : "Right");
        tap(g, SDLK_v);
        tap(g, SDLK_v);
    }

    // Free view: a held arrow turns the nose its way, and letting go hops
    // where the nose points: a quarter turn right, past forward to the left,
    // and back to forward.
    tap(g, SDLK_v);
    struct Turn {
        SDL_Keycode key;
        int passes, side, hopSide;
    };
    for (const Turn t : {Turn{SDLK_RIGHT, 60, 1, 1}, Turn{SDLK_LEFT, 120, -1, -1}, Turn{SDLK_RIGHT, 60, 1, 0}}) {
        const double before = nose(), x0 = g.world.worldOffsetX, z0 = g.world.worldOffsetZ;
        queue(hoptest::keyEvent(t.key, true));
        frames(g, t.passes);
        EXPECT_GT(t.side * (nose() - before), 10) << (t.side < 0 ? "Left" : "Right");
        queue(hoptest::keyEvent(t.key, false));
        frames(g);
        landed();
        if (t.hopSide) {
            EXPECT_GT(t.hopSide * nose(), 10) << (t.side < 0 ? "Left" : "Right");
            EXPECT_GT(t.hopSide * travel(x0, z0), 60) << (t.side < 0 ? "Left" : "Right");
        }
    }

    // The camera orbits: the cursor held in the left band swings the eye
    // toward the screen's left as the player saw it, staying above the
    // ground; from there Right still turns the nose toward screen right.
    g.draw();
    const Camera start = Camera::current();
    queue(hoptest::clickEvent(100, 240, true));
    frames(g, 31);  // 45 degrees
    queue(hoptest::clickEvent(100, 240, false));
    frames(g);
    g.draw();
    const auto eye = Camera::current().eye();
    EXPECT_LT(start.pixel(eye[0], eye[1], eye[2])[0], 320 - 100) << "the eye went left";
    EXPECT_GT(eye[1], 1);
    const double before = nose();
    queue(hoptest::keyEvent(SDLK_RIGHT, true));
    frames(g, 30);
    EXPECT_GT(nose() - before, 10);
    queue(hoptest::keyEvent(SDLK_RIGHT, false));
    frames(g);
    shot("orbited");
}

TEST_F(PigeonrunGL, CarsAndTheCoinAreDrawnWhereTheyHitAndAreTaken) {
    // A car that is one plain block, off the centre of its frame and smaller
    // than the game's: its outline on screen is its box's outline.
    StageCopy stage;
    std::ofstream(AssetPaths::kCar) << block({-1.5, 0, -4}, {1, 2, 6}, "phong2SG.003");
    std::ostringstream console;
    Game g(true, [] { return 0; }, &console);
    play(g);
    const double carTop = 2;
    for (bool fixedView : {true, false}) {
        if (!fixedView) {
            tap(g, SDLK_v);
            for (int i = 0; i < 40; ++i) g.handleEvent(hoptest::wheelEvent(-1));  // see the whole road
        }
        for (int which : {1, 2}) {
            Car& car = which == 1 ? g.world.car1 : g.world.car2;
            (which == 1 ? g.world.car2 : g.world.car1).position.x = 1000;
            g.world.coin.position = {1000, 0, 1000};
            // The lane 3 ahead of the pigeon, the car a little beside it (car 1
            // drives along -x, car 2 along +x): x from 2 to 12.
            car.position.x = which == 1 ? 3 : -3;
            car.drawZ = which == 1 ? -8 : 6;
            const Image with = drawn(g);
            shot(std::string("box_car") + std::to_string(which) + (fixedView ? "_fixed" : "_free"));
            const Camera camera = Camera::current();
            const float lane = car.position.x;
            car.position.x = 1000;
            const Image without = drawn(g);
            car.position.x = lane;
            const std::vector<Point> drawnCar = changed(with, without);
            ASSERT_GT(drawnCar.size(), 2000u) << "car " << which;

            // The hit box, found from the rule alone: where in the car's frame
            // the pigeon's feet would be hit, across through the car's middle
            // and along it.
            std::array<double, 2> across{1e9, -1e9}, along{1e9, -1e9};
            for (double s = -12; s <= 12; s += 0.02) {
                // The feet s from the car's middle: the car moved -s.
                Car c = car;
                c.position.x = float(-s);
                c.drawZ = 0;
                if (g.world.carHits(c)) across = {std::min(across[0], s), std::max(across[1], s)};
                c.position.x = 0;
                c.drawZ = float(-s);
                if (g.world.carHits(c)) along = {std::min(along[0], s), std::max(along[1], s)};
            }
            ASSERT_LT(across[0], across[1]) << "car " << which;
            // The car's frame is turned -90 degrees about y for car 1, +90
            // for car 2: frame (x, z) is world (-z, x) or (z, -x).
            auto world = [&](double x, double y, double z) {
                const double fx = car.position.x + x, fz = car.drawZ + z;
                return which == 1 ? camera.pixel(-fz, y, fx) : camera.pixel(fz, y, -fx);
            };
            std::vector<Point> corners;
            for (int i = 0; i < 8; ++i)
                corners.push_back(world(across[i & 1], i & 2 ? carTop : 0, along[(i >> 2) & 1]));
            for (const Point& c : corners) ASSERT_TRUE(c[0] > 0 && c[0] < 640 && c[1] > 0 && c[1] < 480) << "in view";
            const std::vector<Point> box = hull(corners);
            const auto outside = std::count_if(drawnCar.begin(), drawnCar.end(),
                                               [&](const Point& p) { return !inside(box, p, 1.5); });
            EXPECT_LT(outside, long(drawnCar.size() / 200)) << "car " << which << " drawn outside its hit box";
            // ... and fills it: the box reaches nowhere the car is not.
            EXPECT_NEAR(double(drawnCar.size()), area(box), area(box) * 0.03)
                << "car " << which << "'s hit box is not the car's outline";
            car.position.x = 1000;
        }

        // The coin: taken within its reach, drawn there.
        World probe = g.world;
        std::array<double, 2> reachX{1e9, -1e9}, reachZ{1e9, -1e9};
        for (double s = -3; s <= 3; s += 0.02)
            for (int axis : {0, 1}) {
                World w = probe;
                w.coin.position = {float(-w.worldOffsetX + (axis ? 0 : s)), 0, float(-w.worldOffsetZ + (axis ? s : 0))};
                w.stepCoin();
                if (w.status.coins == probe.status.coins) continue;
                auto& r = axis ? reachZ : reachX;
                r = {std::min(r[0], s), std::max(r[1], s)};
            }
        ASSERT_LT(reachX[0], reachX[1]);
        const double cx = -4 - g.world.worldOffsetX, cz = -3 - g.world.worldOffsetZ;  // beside the pigeon
        g.world.coin.position = {float(cx), 0, float(cz)};
        const Image with = drawn(g);
        const Camera camera = Camera::current();
        g.world.coin.position = {1000, 0, 1000};
        const Image without = drawn(g);
        const std::vector<Point> coin = changed(with, without);
        ASSERT_GT(coin.size(), 50u);
        std::vector<Point> corners;
        for (int i = 0; i < 8; ++i)
            corners.push_back(camera.pixel(-4 + reachX[i & 1], i & 2 ? 1.7 : 0, -3 + reachZ[(i >> 2) & 1]));
        const std::vector<Point> box = hull(corners);
        EXPECT_EQ(std::count_if(coin.begin(), coin.end(), [&](const Point& p) { return !inside(box, p, 2); }), 0)
            << "coin drawn outside its reach";
        const Point centre = camera.pixel(-4, 0.9, -3);
        EXPECT_NE(with.pixel(int(centre[0]), int(centre[1])), without.pixel(int(centre[0]), int(centre[1])));
    }
}

TEST_F(PigeonrunGL, ACarIsInSightFromTheStartOfItsSweep) {
    // Before it can reach the pigeon a car drives 20 passes from where its
    // sweep starts: beside the pigeon's next lane it is already seen there,
    // in the fixed view, and in the free view looking down its road (the
    // fog does not hide it).
    std::ostringstream console;
    Game g(true, [] { return 0; }, &console);
    play(g);
    for (bool fixedView : {true, false})
        for (int which : {1, 2}) {
            if (!fixedView) {
                // The eye swung round a quarter turn, to where the car comes
                // from: car 1 drives in from +x, car 2 from -x.
                if (g.camera.fixedView) tap(g, SDLK_v);
                g.camera.reset();
                g.camera.fixedView = false;
                queue(hoptest::clickEvent(which == 1 ? 600 : 20, 240, true));
                frames(g, 61);
                queue(hoptest::clickEvent(0, 0, false));
                frames(g);
            }
            Car& car = which == 1 ? g.world.car1 : g.world.car2;
            (which == 1 ? g.world.car2 : g.world.car1).position.x = 1000;
            // The lane next to a pigeon waiting on the grid (3.5 ahead).
            car.position.x = which == 1 ? 3.5f : -3.5f;
            car.drawZ = car.start.z;
            const Image with = drawn(g);
            shot(std::string("sweep_start_") + (fixedView ? "fixed_" : "free_") + std::to_string(which));
            const float lane = car.position.x;
            car.position.x = 1000;
            const Image without = drawn(g);
            car.position.x = lane;
            // Pixels in the car's own colours, not faded into the bluish fog.
            int seen = 0;
            for (const Point& p : changed(with, without, 60)) {
                const Color c = with.pixel(int(p[0]), int(p[1]));
                seen += c.r > c.b + 20;
            }
            EXPECT_GT(seen, 300) << "car " << which << (fixedView ? ", fixed view" : ", free view");
            car.position.x = 1000;
        }
}

TEST_F(PigeonrunGL, EachBrokenFileStopsTheGameNamingIt) {
    // The game's folder laid out again for each case, one file broken in
    // each way: deleted, empty, cut in half, garbage, a folder or a named
    // pipe in its place.
    const fs::path stage = fs::current_path().parent_path();
    const fs::path copy = fs::temp_directory_path() / ("pigeonrun_broken_" + std::to_string(getpid()));
    const fs::path cwd = fs::current_path();
    std::vector<std::string> paths = {AssetPaths::kPigeon,    AssetPaths::kCar,   AssetPaths::kCoin,
                                      AssetPaths::kCoinIcon,  AssetPaths::kLogo,  AssetPaths::kPause,
                                      AssetPaths::kGameOver,  AssetPaths::kPressEnter, AssetPaths::kGrass,
                                      AssetPaths::kRoad};
    for (int d = 0; d < 10; ++d) paths.push_back(AssetPaths::digit(d));
    std::vector<std::string> names;  // "Objetos/..." under the stage
    for (const std::string& p : paths) names.push_back(p.substr(3));
    std::vector<const char*> files;
    for (const std::string& n : names) files.push_back(n.c_str());
    std::mt19937 random(7);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        // Every way for the models, the images and the first and last
        // digits; a folder and a pipe for every file.
        const bool all = i < 11 || i == paths.size() - 1;
        for (hoptest::Break how : {hoptest::Deleted, hoptest::Empty, hoptest::Half, hoptest::Garbage, hoptest::Folder,
                                   hoptest::Pipe}) {
            if (!all && how != hoptest::Folder && how != hoptest::Pipe) continue;
            fs::current_path(cwd);
            hoptest::stageBroken(stage, copy, files, files[i], how, random);
            fs::create_directories(copy / "juego");
            fs::current_path(copy / "juego");
            // A reader that opens the pipe waits there for a writer: this one
            // lets it through, and says so.
            std::atomic<bool> done{false}, blocked{false};
            std::thread writer([&] {
                const std::string pipe = (copy / names[i]).string();
                while (how == hoptest::Pipe && !done) {
                    const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
                    if (fd >= 0) {
                        blocked = true;
                        ::close(fd);
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
            });
            std::string message;
            try {
                Game g(true);
            } catch (const std::exception& e) {
                message = e.what();
            }
            done = true;
            writer.join();
            const char* const kWays[] = {"deleted", "empty", "half", "garbage", "folder", "pipe"};
            const std::string what = paths[i] + " " + kWays[how];
            EXPECT_FALSE(blocked) << what << ": the game opened the pipe";
            // A model cut at a line end is still a model: only the others must fail.
            const bool mayRead = how == hoptest::Half && i < 3 && message.empty();
            if (!mayRead) {
                EXPECT_EQ(message.rfind(paths[i] + ": ", 0), 0u) << what << ": '" << message << "'";
            }
        }
    }
    fs::current_path(cwd);
    fs::remove_all(copy);
}
