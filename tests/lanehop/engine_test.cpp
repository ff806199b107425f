// The scene engine without a GL context: math records, frame pacing, the
// scene's order and deferred deletion, directive files, fonts and the camera.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <fstream>
#include <cmath>
#include <iterator>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "camera.h"
#include "directed.h"
#include "drawing.h"
#include "fontmanager.h"
#include "framepacer.h"
#include "glwindow.h"
#include "mainloop.h"
#include "math/color.h"
#include "math/vector3.h"
#include "renderer.h"
#include "scene.h"
#include "texturemanager.h"

using hop::Camera;
using hop::Color;
using hop::FramePacer;
using hop::Vector3;

namespace {

void expectNear(const Vector3& a, const Vector3& b, float eps = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

TEST(Vector3, Arithmetic) {
    const Vector3 a(1, 2, 3), b(4, -5, 6);
    EXPECT_EQ(a + b, Vector3(5, -3, 9));
    EXPECT_EQ(a - b, Vector3(-3, 7, -3));
    EXPECT_EQ(a * 2.f, Vector3(2, 4, 6));
    EXPECT_EQ(2.f * a, Vector3(2, 4, 6));
    EXPECT_EQ(a / 2.f, Vector3(0.5f, 1, 1.5f));
    EXPECT_EQ(a * b, Vector3(4, -10, 18));
    EXPECT_EQ(-a, Vector3(-1, -2, -3));
    Vector3 c = a;
    c += b;
    c -= Vector3(1, 1, 1);
    EXPECT_EQ(c, Vector3(4, -4, 8));
    EXPECT_FLOAT_EQ(a.dot(b), 4 - 10 + 18);
    EXPECT_EQ(Vector3(1, 0, 0).cross(Vector3(0, 1, 0)), Vector3(0, 0, 1));
    EXPECT_EQ(a.cross(b), Vector3(2 * 6 - 3 * -5, 3 * 4 - 1 * 6, 1 * -5 - 2 * 4));
    EXPECT_FLOAT_EQ(Vector3(3, 4, 0).length(), 5);
    EXPECT_FLOAT_EQ(Vector3(3, 4, 0).length_squared(), 25);
    EXPECT_FLOAT_EQ(Vector3(1, 1, 1).distance_to(Vector3(1, 4, 5)), 5);
}

TEST(Vector3, NormalizeAnglesRotationMirror) {
    expectNear(Vector3(0, 3, 4).normalize(), Vector3(0, 0.6f, 0.8f));
    const Vector3 zero = Vector3().normalize();
    EXPECT_EQ(zero, Vector3(0, 0, 0));
    EXPECT_FALSE(std::isnan(zero.x));
    EXPECT_NEAR(Vector3(1, 0, 0).angle_to(Vector3(0, 2, 0)), 1.5707963f, 1e-5f);
    EXPECT_NEAR(Vector3(1, 1, 0).angle_to(Vector3(2, 2, 0)), 0, 1e-3f);
    EXPECT_FLOAT_EQ(Vector3().angle_to(Vector3(1, 0, 0)), 0);
    // A quarter turn about +Y takes +X to -Z.
    expectNear(Vector3(1, 0, 0).rotate(Vector3(0, 1, 0), 1.5707963f), Vector3(0, 0, -1));
    expectNear(Vector3(1, 2, 3).rotate(Vector3(0, 0, 1), 0), Vector3(1, 2, 3));
    // Mirror about the Y axis keeps Y and flips the rest.
    expectNear(Vector3(1, 2, 3).symmetric(Vector3(0, 5, 0)), Vector3(-1, 2, -3));
}

TEST(Color, ScalesColourNotAlpha) {
    EXPECT_EQ(Color(), Color(0, 0, 0, 1));
    EXPECT_EQ(Color(0.1f, 0.2f, 0.3f).a, 1);
    const Color c = Color(0.8f, 0.4f, 0.2f, 0.5f) * 0.5f;
    EXPECT_FLOAT_EQ(c.r, 0.4f);
    EXPECT_FLOAT_EQ(c.g, 0.2f);
    EXPECT_FLOAT_EQ(c.b, 0.1f);
    EXPECT_FLOAT_EQ(c.a, 0.5f);
    EXPECT_EQ(2.f * Color(0.1f, 0.1f, 0.1f, 0.3f), Color(0.2f, 0.2f, 0.2f, 0.3f));
    // With textures off the plain colour is drawn a quarter darker.
    const Color off = hop::defaultColor(Color(0.8f, 0.8f, 0.8f, 1), Color(0.4f, 0.4f, 0.4f, 1), false);
    EXPECT_FLOAT_EQ(off.r, 0.6f);
    EXPECT_FLOAT_EQ(off.a, 1);
    EXPECT_EQ(hop::defaultColor(Color(0.8f, 0.8f, 0.8f), Color(0.4f, 0.4f, 0.4f), true), Color(0.4f, 0.4f, 0.4f));
}

TEST(CuboidFaces, SelectsFacesByExtent) {
    const hop::CuboidFaces flat = hop::cuboidFaces(Vector3(1, 0, 1));
    EXPECT_TRUE(flat.top);
    EXPECT_FALSE(flat.bottom || flat.front || flat.back || flat.left || flat.right);
    const hop::CuboidFaces full = hop::cuboidFaces(Vector3(1, -2, 1));
    EXPECT_TRUE(full.top && full.bottom && full.front && full.back && full.left && full.right);
    const hop::CuboidFaces panel = hop::cuboidFaces(Vector3(3, 2, 0));  // a HUD rectangle
    EXPECT_TRUE(panel.front);
    EXPECT_FALSE(panel.back || panel.top || panel.bottom || panel.left || panel.right);
    const hop::CuboidFaces none = hop::cuboidFaces(Vector3(1, 0, 0));
    EXPECT_FALSE(none.front || none.back || none.top || none.bottom || none.left || none.right);
}

// The window of a CPU rasteriser is made without a multisample buffer; a
// GPU's keeps its samples.
TEST(Renderer, SoftwareRenderersAreKnownByName) {
    for (const char* soft : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Mesa X11 swrast",
                             "Software Rasterizer", "SVGA3D; build: RELEASE; LLVM; software"})
        EXPECT_TRUE(hop::isSoftwareRenderer(soft)) << soft;
    for (const char* hard : {"NVIDIA GeForce RTX 3060/PCIe/SSE2", "Mesa Intel(R) UHD Graphics 620 (KBL GT2)",
                             "AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)",
                             "virgl", ""})
        EXPECT_FALSE(hop::isSoftwareRenderer(hard)) << hard;
}

// SDL's drivers that show nothing stop the game unless SDL_VIDEODRIVER
// asked for them (tests and benchmarks do), in any case, among other names.
TEST(Renderer, HeadlessDriversOnlyWhenAskedFor) {
    EXPECT_EQ(hop::unaskedHeadlessDriver("offscreen", nullptr), "offscreen");
    EXPECT_EQ(hop::unaskedHeadlessDriver("dummy", ""), "dummy");
    EXPECT_EQ(hop::unaskedHeadlessDriver("offscreen", "x11"), "offscreen");
    EXPECT_EQ(hop::unaskedHeadlessDriver("dummy", "offscreen,x11"), "dummy");
    EXPECT_EQ(hop::unaskedHeadlessDriver("offscreen", "dummyoffscreen"), "offscreen");
    EXPECT_EQ(hop::unaskedHeadlessDriver("offscreen", "offscreen"), "");
    EXPECT_EQ(hop::unaskedHeadlessDriver("offscreen", "OffScreen"), "");
    EXPECT_EQ(hop::unaskedHeadlessDriver("dummy", "wayland,DUMMY"), "");
    EXPECT_EQ(hop::unaskedHeadlessDriver("x11", nullptr), "");
    EXPECT_EQ(hop::unaskedHeadlessDriver("wayland", "dummy"), "");
}

// --- frame pacing -------------------------------------------------------

constexpr std::int64_t kMs = 1000000;

TEST(FramePacer, FramesComeOnePeriodApartAndSleepTheRest) {
    FramePacer p;
    p.start(0);
    FramePacer::Pass a = p.pass(5 * kMs);
    EXPECT_FALSE(a.produce);
    EXPECT_EQ(a.sleepNs, FramePacer::kPeriodNs - 5 * kMs);
    // The pass after the sleep finds the period over and makes the frame.
    FramePacer::Pass b = p.pass(FramePacer::kPeriodNs + 100);
    EXPECT_TRUE(b.produce);
    EXPECT_EQ(b.sleepNs, 0);
    EXPECT_EQ(b.elapsedNs, FramePacer::kPeriodNs + 100);
    // A slow frame: no sleep, delta is the real time.
    FramePacer::Pass c = p.pass(FramePacer::kPeriodNs + 100 + 40 * kMs);
    EXPECT_TRUE(c.produce);
    EXPECT_EQ(c.elapsedNs, 40 * kMs);
    EXPECT_EQ(FramePacer::kPeriodNs, 16666666);
}

TEST(FramePacer, CountsFramesPerWholeSecond) {
    FramePacer p;
    p.start(0);
    std::int64_t now = 0;
    int frames = 0;
    // A simulated run of the loop: a clock that advances by the sleep asked for.
    while (now < 2500 * kMs) {
        const FramePacer::Pass pass = p.pass(now);
        if (now < 1000 * kMs) {
            EXPECT_EQ(p.fps(), 0) << "no figure during the first second";
        }
        frames += pass.produce;
        now += pass.sleepNs > 0 ? pass.sleepNs : 1 * kMs;
    }
    EXPECT_NEAR(frames, 150, 2);
    EXPECT_NEAR(p.fps(), 60, 1);
}

TEST(FramePacer, DeltaScaledAndZeroWhilePaused) {
    EXPECT_FLOAT_EQ(FramePacer::frameDelta(20 * kMs, 1.0, false), 0.02f);
    EXPECT_FLOAT_EQ(FramePacer::frameDelta(20 * kMs, 2.0, false), 0.04f);
    EXPECT_FLOAT_EQ(FramePacer::frameDelta(20 * kMs, 2.0, true), 0.f);
}

// The loop itself with an invented clock: it sleeps out each period, hands
// the scene the real time between frames times the speed factor, and zero
// while paused.
TEST(MainLoop, RunPacesFramesAndScalesDelta) {
    struct Counting : hop::Scene {
        std::vector<float> deltas;
        void tick(float delta) override {
            deltas.push_back(delta);
            if (deltas.size() == 6) hop::MainLoop::getInstance()->quit();
        }
    };
    hop::MainLoop* ml = hop::MainLoop::getInstance();
    std::int64_t now = 1000 * kMs;
    std::int64_t slept = 0;
    ml->clock = [&] { return now += 2 * kMs; };  // every look at the clock costs 2 ms
    ml->sleep = [&](std::int64_t ns) {
        slept += ns;
        now += ns;
    };
    ml->setShowFPS(false);
    ml->setPause(false);
    ml->setGameSpeedMult(1.5);
    auto* scene = new Counting();
    ml->run(scene);
    ASSERT_EQ(scene->deltas.size(), 6u);
    for (float d : scene->deltas) {
        EXPECT_GE(d, 1.5f * 1.f / 60 - 1e-4f);
        EXPECT_LT(d, 1.5f * 0.0187f) << "about one period, times 1.5";
    }
    EXPECT_GT(slept, 5 * 12 * kMs) << "the loop sleeps instead of spinning";
    ml->setPause(true);
    ml->setGameSpeedMult(1);
    scene->deltas.clear();
    ml->waitEvent = [&](int) {  // paused, the loop waits after one frame
        ml->quit();
        return false;
    };
    ml->run(scene);
    EXPECT_FALSE(scene->deltas.empty());
    for (float d : scene->deltas) EXPECT_EQ(d, 0.f);
    ml->setScene(nullptr);
    delete scene;
    ml->clock = [] { return std::int64_t(0); };
}

// Paused, nothing moves: the loop draws the picture once, then waits for
// events without drawing; an event is handled before the frame that shows
// it, and one that came while a frame was drawn brings another frame.
TEST(MainLoop, PausedLoopDrawsOnlyAfterEvents) {
    struct Counting : hop::Scene {
        int draws = 0, ticks = 0, keys = 0, keysShown = -1;
        void draw() override {
            if (++draws == 1) SDL_PushEvent(&key);  // comes while the first frame is drawn
            keysShown = keys;
        }
        void tick(float) override { ++ticks; }
        void input(SDL_Event e, float) override { keys += e.type == SDL_KEYDOWN; }
        SDL_Event key{};
    };
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    hop::MainLoop* ml = hop::MainLoop::getInstance();
    const std::int64_t start = 1000 * kMs;
    std::int64_t now = start, waited = 0;
    auto* scene = new Counting();
    scene->key.type = SDL_KEYDOWN;
    bool pushed = false;
    ml->clock = [&] { return now += 1 * kMs; };
    ml->sleep = [&](std::int64_t ns) {
        now += ns;
        if (now - start > 4000 * kMs) ml->quit();  // a loop that never waits
    };
    ml->waitEvent = [&](int ms) {
        now += ms * kMs;
        waited += ms * kMs;
        if (!pushed && now - start > 2000 * kMs) {
            SDL_PushEvent(&scene->key);  // a key two seconds later
            pushed = true;
        }
        if (now - start > 4000 * kMs) ml->quit();
        return SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_TRUE;
    };
    ml->setShowFPS(false);
    ml->setPause(true);
    ml->run(scene);
    EXPECT_EQ(scene->draws, 3) << "the first picture, the key of the first frame, the later key";
    EXPECT_EQ(scene->keysShown, 2) << "each key is handled before the frame that shows it";
    EXPECT_EQ(scene->ticks, scene->draws) << "a drawn frame ticks once, by 0";
    EXPECT_GT(waited, (now - start) * 9 / 10) << "the loop waits for events instead of drawing";
    // Running, every period is a frame.
    ml->setPause(false);
    scene->draws = 0;
    now = start;
    ml->sleep = [&](std::int64_t ns) {
        now += ns;
        if (now - start > 2000 * kMs) ml->quit();
    };
    ml->run(scene);
    EXPECT_GE(scene->draws, 2 * 55);
    ml->setScene(nullptr);
    delete scene;
    ml->setPause(true);
    ml->clock = [] { return std::int64_t(0); };
    ml->sleep = [](std::int64_t) {};
    ml->waitEvent = [](int) { return false; };
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

// --- scene --------------------------------------------------------------

struct Probe : hop::Object {
    Probe(std::vector<std::string>& log, std::string name, int* alive) : log(log), name(std::move(name)), alive(alive) {
        ++*alive;
    }
    ~Probe() override { --*alive; }
    void tick(float delta) override {
        log.push_back(name + " tick " + std::to_string(delta));
        if (onTick) onTick(this);
    }
    void input(SDL_Event, float) override { log.push_back(name + " input"); }
    std::vector<std::string>& log;
    std::string name;
    int* alive;
    std::function<void(Probe*)> onTick;
};

struct ProbeScene : hop::Scene {
    explicit ProbeScene(std::vector<std::string>& log) : log(log) {}
    void tick(float) override { log.push_back("scene tick"); }
    void input(SDL_Event, float) override { log.push_back("scene input"); }
    std::vector<std::string>& log;
};

struct ProbeCamera : Camera {
    explicit ProbeCamera(std::vector<std::string>& log) : log(log) {}
    void tick(float) override { log.push_back("camera tick"); }
    void input(SDL_Event, float) override { log.push_back("camera input"); }
    std::vector<std::string>& log;
};

TEST(Scene, TickAndInputOrderFollowTheObjectSet) {
    std::vector<std::string> log;
    int alive = 0;
    {
        ProbeScene scene(log);
        scene.setCamera(new ProbeCamera(log));
        auto* a = new Probe(log, "a", &alive);
        auto* b = new Probe(log, "b", &alive);
        scene.loadObject(a);
        scene.loadObject(b);
        scene.loadObject(a);  // already there: nothing happens
        EXPECT_EQ(scene.getObjects().size(), 2u);
        const std::string first = a < b ? "a" : "b", second = a < b ? "b" : "a";
        scene.tickBase(0.5f);
        EXPECT_EQ(log, (std::vector<std::string>{"scene tick", first + " tick 0.500000", second + " tick 0.500000",
                                                 "camera tick"}));
        log.clear();
        scene.inputBase(SDL_Event{}, 0);
        EXPECT_EQ(log, (std::vector<std::string>{"camera input", "scene input", first + " input", second + " input"}));
    }
    EXPECT_EQ(alive, 0) << "the scene deletes its objects";
}

TEST(Scene, QueuedObjectsLiveUntilTheEndOfTheTick) {
    std::vector<std::string> log;
    int alive = 0;
    hop::Scene scene;
    auto* a = new Probe(log, "a", &alive);
    auto* b = new Probe(log, "b", &alive);
    scene.loadObject(a);
    scene.loadObject(b);
    // Each queues itself, and the first also queues the other: still ticked
    // in this walk, deleted once each afterwards.
    a->onTick = [&](Probe* self) {
        scene.queueFreeObject(self);
        scene.queueFreeObject(b);
    };
    b->onTick = [&](Probe* self) { scene.queueFreeObject(self); };
    scene.tickBase(0.1f);
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(alive, 0);
    EXPECT_TRUE(scene.getObjects().empty());

    auto* c = new Probe(log, "c", &alive);
    scene.loadObject(c);
    scene.freeObject(c);  // at once
    EXPECT_EQ(alive, 0);
    EXPECT_TRUE(scene.getObjects().empty());
}

TEST(Scene, ObjectsAddedDuringTheWalkStayInTheScene) {
    std::vector<std::string> log;
    int alive = 0;
    hop::Scene scene;
    auto* spawner = new Probe(log, "s", &alive);
    int spawned = 0;
    spawner->onTick = [&](Probe*) {
        if (spawned++ < 3) scene.loadObject(new Probe(log, "child", &alive));
    };
    scene.loadObject(spawner);
    scene.tickBase(0.f);
    scene.tickBase(0.f);
    EXPECT_EQ(scene.getObjects().size(), 3u);
    EXPECT_EQ(alive, 3);
}

// --- directives ---------------------------------------------------------

TEST(Directed, ParsesDirectivesAndReportsBadLines) {
    hop::Directed d("../no/such/file.txt");  // a missing file: an empty model
    EXPECT_TRUE(d.getDirectives().empty());
    std::istringstream in("P GL_QUADS\r\nC 1 0 0\nN 0 0 1\nV 0 0 0\nV 1 0 0\nV 1 1 0\nV 0 1 0\n\nV 1 2\nP GL_LINES\nP\nX 1 2 3");
    std::ostringstream log;
    d.parse(in, log);
    EXPECT_EQ(d.getPrimitive(), GLenum(GL_QUADS));
    ASSERT_EQ(d.getDirectives().size(), 7u);
    EXPECT_EQ(d.getDirectives()[0].first, 'C');
    EXPECT_EQ(d.getDirectives()[5].second, Vector3(0, 1, 0));
    EXPECT_EQ(d.getDirectives()[6].first, 'X');  // kept, skipped when drawn
    EXPECT_EQ(log.str(), "mode error\nxyz error\nprimitive error\nprimitive error\n");
}

// F5 reloads the same file, however often it is pressed.
TEST(Directed, F5ReloadsTheSameFile) {
    const std::string file = ::testing::TempDir() + "lanehop_directed.txt";
    {
        std::ofstream out(file);
        out << "P GL_QUADS\nV 0 0 0\n";
    }
    hop::Directed d("x" + file);  // the first character is dropped: "x/tmp/..." opens "/tmp/..."
    ASSERT_EQ(d.getDirectives().size(), 1u);
    EXPECT_EQ(d.getPrimitive(), GLenum(GL_QUADS));
    SDL_Event f5{};
    f5.type = SDL_KEYDOWN;
    f5.key.keysym.sym = SDLK_F5;
    for (int n = 2; n <= 4; ++n) {
        {
            std::ofstream out(file, std::ios::app);
            out << "V 1 1 1\n";
        }
        d.inputBase(f5, 0.016f);
        EXPECT_EQ(d.getDirectives().size(), std::size_t(n)) << "reload " << n - 1;
    }
    std::remove(file.c_str());
}

TEST(Directed, NumbersReadTheSameUnderADecimalCommaLocale) {
    std::locale old = std::locale::global(std::locale());
    try {
        std::locale::global(std::locale("de_DE.UTF-8"));
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "no de_DE.UTF-8 locale";
    }
    hop::Directed d("../none");
    std::istringstream in("V 0.5 1.25 -2.5");
    std::ostringstream log;
    d.parse(in, log);
    std::locale::global(old);
    ASSERT_EQ(d.getDirectives().size(), 1u);
    EXPECT_EQ(d.getDirectives()[0].second, Vector3(0.5f, 1.25f, -2.5f));
}

// --- fonts --------------------------------------------------------------

TEST(FontManager, KeysByNameAndSizeAndLoadsOnce) {
    auto* fm = hop::FontManager::getInstance();
    fm->clear();
    EXPECT_EQ(hop::FontManager::key("cartoon", 72), "cartoon72");
    EXPECT_EQ(hop::FontManager::pathOf("cartoon"), "./resources/fonts/cartoon.ttf");
    fm->loadFont("cartoon", 72);
    FTFont* first = fm->getFont("cartoon", 72);
    fm->loadFont("cartoon", 72);
    EXPECT_EQ(fm->getFont("cartoon", 72), first) << "cached, not reloaded";
    fm->loadFont("cartoon", 40);
    EXPECT_EQ(fm->size(), 2u);
    EXPECT_NE(fm->getFont("cartoon", 40), first);
    EXPECT_THROW(fm->getFont("cartoon", 41), std::out_of_range);
    EXPECT_THROW(fm->loadFont("nosuchfont", 12), hop::FontError);
    EXPECT_FALSE(fm->hasFont("nosuchfont", 12));
    fm->clear();
}

// The font with its glyph outlines zeroed: the file is whole, its glyphs blank.
std::string blankGlyphs(std::string font) {
    const auto be32 = [&](std::size_t at) {
        return std::size_t(std::uint8_t(font[at])) << 24 | std::size_t(std::uint8_t(font[at + 1])) << 16 |
               std::size_t(std::uint8_t(font[at + 2])) << 8 | std::uint8_t(font[at + 3]);
    };
    const int tables = std::uint8_t(font[4]) << 8 | std::uint8_t(font[5]);
    for (int t = 0; t < tables; ++t) {
        const std::size_t record = 12 + 16 * std::size_t(t);
        if (font.compare(record, 4, "glyf") == 0) std::fill_n(font.begin() + long(be32(record + 8)), be32(record + 12), '\0');
    }
    return font;
}

// A font file that is empty, cut short or garbage is refused with its path
// and the reason, at load time: never a game without text and no word.
TEST(FontManager, BrokenFontFilesAreRefusedByName) {
    auto* fm = hop::FontManager::getInstance();
    fm->clear();
    std::ifstream good(hop::FontManager::pathOf("cartoon"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(good)), {});
    ASSERT_GT(bytes.size(), 1000u);
    std::string garbage(bytes.size(), '\0');
    unsigned v = 12345;
    for (char& c : garbage) c = char((v = v * 1103515245u + 12345u) >> 24);
    const struct {
        const char* name;
        std::string content, reason;
    } cases[] = {
        {"broken_empty", "", "el archivo está vacío"},
        {"broken_half", bytes.substr(0, bytes.size() / 2), ""},
        {"broken_quarter", bytes.substr(0, bytes.size() / 4), ""},
        // Cut late, every letter and digit still draws: the table directory
        // tells.
        {"broken_tail", bytes.substr(0, bytes.size() * 15 / 16), "archivo incompleto"},
        {"broken_glyphs", blankGlyphs(bytes), "no dibuja el carácter '0'"},
        {"broken_garbage", garbage, "no es una fuente legible"},
    };
    for (const auto& c : cases) {
        const std::string path = hop::FontManager::pathOf(c.name);
        std::ofstream(path, std::ios::binary) << c.content;
        try {
            fm->loadFont(c.name, 24);
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const hop::FontError& e) {
            const std::string msg = e.what();
            EXPECT_NE(msg.find("No se pudo cargar la fuente " + path + ": "), std::string::npos) << msg;
            EXPECT_NE(msg.find(c.reason), std::string::npos) << msg;
        }
        EXPECT_FALSE(fm->hasFont(c.name, 24));
        std::remove(path.c_str());
    }
    fm->clear();
}

// A picture cut short decodes with its lower part blank and no error: the
// decoder's complaint is enough to refuse it, by name.
TEST(Images, CutOrGarbagePicturesAreRefusedByName) {
    for (const std::string source : {"./resources/textures/grass.jpg", "./resources/textures/water.png"}) {
        std::ifstream good(source, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(good)), {});
        ASSERT_GT(bytes.size(), 1000u) << source;
        EXPECT_GT(hop::loadImage(source).width, 0);
        const std::string ext = source.substr(source.size() - 4);
        for (const std::string& content : {bytes.substr(0, bytes.size() / 2), bytes.substr(0, bytes.size() * 3 / 4),
                                           std::string(bytes.size(), '\x5a'), std::string()}) {
            const std::string path = ::testing::TempDir() + "lanehop_cut" + ext;
            std::ofstream(path, std::ios::binary) << content;
            try {
                hop::loadImage(path);
                ADD_FAILURE() << source << ", " << content.size() << " bytes accepted";
            } catch (const hop::TextureError& e) {
                EXPECT_NE(std::string(e.what()).find("No se pudo leer la imagen " + path), std::string::npos)
                    << e.what();
            }
            std::remove(path.c_str());
        }
    }
}

// --- camera -------------------------------------------------------------

Camera gameCamera() {
    Camera c;
    c.setFovy(45);
    c.setAspect(1.7777778f);
    c.setZNear(0.001f);
    c.setZFar(225);
    c.setUp(Vector3(0, 1, 0));
    c.setCenter(Vector3(7.5f, 0, 0), false, false);
    c.setPosition(Vector3(7.5f, 2, 6), false, false);
    return c;
}

float pitchOf(const Camera& c) {
    Vector3 n = c.getViewVector().normalize();
    if (c.getMouseMode() == Camera::THIRD_PERSON) n = -n;
    return std::asin(n.y);
}

TEST(Camera, ThirdPersonOrbitStaysAboveTheHorizonAndBelowTheVertical) {
    Camera c = gameCamera();
    const float d = c.getDistance();
    c.rotateView(0, 1000);  // mouse down: the eye would go under the target
    EXPECT_NEAR(pitchOf(c), 0.01f, 1e-4f);
    EXPECT_NEAR(c.getDistance(), d, 1e-4f);
    EXPECT_EQ(c.getCenter(), Vector3(7.5f, 0, 0)) << "orbit about the target";
    c.rotateView(0, -1000);
    EXPECT_NEAR(pitchOf(c), 1.4707963f, 1e-4f);
}

TEST(Camera, FirstPersonTurnsAboutTheEye) {
    Camera c = gameCamera();
    c.setMouseMode(Camera::FIRST_PERSON);
    const Vector3 eye = c.getPosition();
    c.rotateView(3, 0);
    EXPECT_EQ(c.getPosition(), eye);
    c.rotateView(0, 1000);
    EXPECT_NEAR(pitchOf(c), -1.4707963f, 1e-4f);
}

TEST(Camera, DistanceLimitsPerProjection) {
    Camera c = gameCamera();
    c.setDistance(0.2f);
    EXPECT_NEAR(c.getDistance(), 1, 1e-4f);
    c.setDistance(100);
    EXPECT_NEAR(c.getDistance(), 8, 1e-4f);
    EXPECT_EQ(c.getCenter(), Vector3(7.5f, 0, 0)) << "third person moves the eye";
    c.setMode(Camera::ORTHOGONAL);
    c.setDistance(100);
    EXPECT_NEAR(c.getDistance(), 45, 1e-3f);
    c.setMode(Camera::PERSPECTIVE);
    EXPECT_NEAR(c.getDistance(), 8, 1e-4f) << "switching re-applies the limits";
    c.setMouseMode(Camera::FIRST_PERSON);
    const Vector3 eye = c.getPosition();
    c.setDistance(3);
    EXPECT_EQ(c.getPosition(), eye) << "first person moves the target";
    EXPECT_NEAR(c.getDistance(), 3, 1e-4f);
}

TEST(Camera, ModesInterplay) {
    Camera c = gameCamera();
    c.setMouseMode(Camera::FIRST_PERSON);
    c.setMode(Camera::ORTHOGONAL);
    EXPECT_EQ(c.getMouseMode(), Camera::THIRD_PERSON);
    c.setMouseMode(Camera::FIRST_PERSON);
    EXPECT_EQ(c.getMode(), Camera::PERSPECTIVE);
    // The view key cycles FIRST_PERSON -> NONE -> THIRD_PERSON -> FIRST_PERSON.
    c.toggleMouseMode();
    EXPECT_EQ(c.getMouseMode(), Camera::NONE);
    c.toggleMouseMode();
    EXPECT_EQ(c.getMouseMode(), Camera::THIRD_PERSON);
    c.toggleMouseMode();
    EXPECT_EQ(c.getMouseMode(), Camera::FIRST_PERSON);
    c.toggleMode();
    EXPECT_EQ(c.getMode(), Camera::ORTHOGONAL);
    c.toggleMode();
    EXPECT_EQ(c.getMode(), Camera::PERSPECTIVE);
}

TEST(Camera, FollowsAndMovesPoints) {
    Camera c = gameCamera();
    hop::Object target;
    target.setPosition(Vector3(1, 0, -3));
    c.setFollowing(&target);
    c.setFollowOffset(Vector3(0, 0.33f, 0));
    const Vector3 view = c.getViewVector();
    c.tick(0.016f);
    expectNear(c.getCenter(), Vector3(1, 0.33f, -3));
    expectNear(c.getViewVector(), view);  // the eye moved along
    c.setMouseMode(Camera::FIRST_PERSON);
    c.tick(0.016f);
    expectNear(c.getPosition(), Vector3(1, 0.33f, -3));
    c.setPosition(Vector3(1, 1, 1), true, false);
    expectNear(c.getPosition(), Vector3(2, 1.33f, -2));
    // Orientation: looking straight down -Z has yaw -pi/2, so the second
    // component is 0 and the player model is not turned.
    Camera flat;
    flat.setCenter(Vector3(0, 0, -1), false, false);
    EXPECT_NEAR(flat.getOrientation().y, 0, 1e-5f);
    EXPECT_NEAR(flat.getOrientation().x, 0, 1e-5f);
}

TEST(Camera, MouseLookStopsWhilePaused) {
    Camera c = gameCamera();
    EXPECT_FALSE(c.wantsRelativeMouse(0));
    EXPECT_TRUE(c.wantsRelativeMouse(0.016f));
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.xrel = 50;
    e.motion.yrel = 20;
    const Vector3 eye = c.getPosition();
    c.input(e, 0);
    EXPECT_EQ(c.getPosition(), eye);
    c.input(e, 0.016f);
    EXPECT_NE(c.getPosition(), eye);
    c.setMouseMode(Camera::NONE);
    EXPECT_FALSE(c.wantsRelativeMouse(0.016f));
}

}  // namespace
