// The game's drawing and its readers in an offscreen GL context, run from
// the game's stage folder with the generated files. Set MARSDASH_SHOTS to a
// folder to keep the frames the tests look at.
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <thread>
#include <vector>

#include "hoptest/gl.h"
#include "hoptest/localpad.h"
#include "juego.h"
#include "mapa.h"
#include "recursos.h"
#include "hoptest/broken.h"
#include "hoptest/events.h"

using namespace marsdash;
using hoptest::Color;
using hoptest::Rect;

namespace {

class MarsdashGL : public hoptest::GLTest {
protected:
    MarsdashGL() {
        width = Juego::kAncho;
        height = Juego::kAlto;
    }
    // One frame of the game's own, its clock read `ms` after the previous one.
    void frame(Juego& g, std::uint32_t ms = 16) { g.frame(g.ultimo + ms); }
    void shot(const std::string& name) {
        if (const char* dir = std::getenv("MARSDASH_SHOTS")) savePNG(std::string(dir) + "/" + name + ".png");
    }
};

}  // namespace

bool isWhite(Color c) { return c.r > 200 && c.g > 200 && c.b > 200; }
bool isPink(Color c) { return c.r > 150 && c.g < 140 && c.b > 70 && c.r > c.g + 60; }

int count(const hoptest::Image& img, Rect r, bool (*pred)(Color)) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) n += pred(img.pixel(x, y));
    return n;
}

// Rows of the HUD in top-left pixels: a text drawn at y (from the bottom)
// has its baseline there and rises about 15 pixels.
Rect textBand(int x, int y, int w) { return {x, 480 - y - 17, w, 20}; }

TEST_F(MarsdashGL, EveryGeneratedFileReadsWithTheGameReaders) {
    struct Obj {
        const char* path;
        bool groups;
    };
    for (const Obj& o : {Obj{"modelos/astronaut1.obj", false}, {"modelos/ship1.obj", true},
                         {"modelos/cristal1.obj", true}, {"modelos/Diamante.obj", false},
                         {"modelos/meteorito.obj", false}, {"modelos/nave1.obj", false},
                         {"modelos/nave2.obj", false}}) {
        Modelo m;
        ASSERT_TRUE(leerModelo(o.path, o.groups, m)) << o.path;
        EXPECT_GT(m.caras(), 20u) << o.path;
        EXPECT_LT(m.caras(), 5000u) << o.path << ": immediate mode on a software renderer";
        if (o.groups) {
            EXPECT_GE(m.grupos.size(), 3u) << o.path;
            std::size_t faces = 0;
            for (int g : m.grupos) faces += std::size_t(g);
            EXPECT_EQ(faces, m.caras()) << o.path;
        }
        m.draw();
    }
    for (const char* png : {"modelos/astronaut1.png", "modelos/diamante.png", "modelos/nave1.png",
                            "modelos/nave2.png"}) {
        Textura t(png);
        EXPECT_TRUE(t.valida()) << png;
        EXPECT_NE(t.id(), 0u) << png;
    }
    Fuente f("modelos/font.ttf");
    EXPECT_TRUE(f.valida());
    EXPECT_GT(f.ancho("CRUZA MARTE PARA VOLVER A CASA"), 300);
    EXPECT_LT(f.ancho("CRUZA MARTE PARA VOLVER A CASA"), 560) << "fits the window from x = 50";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(MarsdashGL, TitlePauseAndTheHudOverTheScene) {
    std::srand(7);
    Juego g;
    frame(g);
    shot("title");
    hoptest::Image img = readFramebuffer();
    EXPECT_GT(count(img, textBand(50, 300, 420), isWhite), 400) << "CRUZA MARTE PARA VOLVER A CASA";
    EXPECT_GT(count(img, textBand(120, 100, 150), isWhite), 150) << "Q PARA SALIR";
    EXPECT_GT(count(img, textBand(20, 440, 110), isWhite), 100) << "1 DE 100";
    EXPECT_GT(count(img, {4, 50, 39, 31}, isPink), 300) << "the diamond icon";
    EXPECT_EQ(count(img, textBand(200, 420, 200), isWhite), 0);

    g.handleEvent(hoptest::keyEvent(SDLK_i));
    for (int i = 0; i < 10; ++i) frame(g);
    img = readFramebuffer();
    EXPECT_LT(count(img, textBand(50, 300, 420), isWhite), 40) << "the title has gone";
    shot("play");

    // Wireframe: the HUD is still filled.
    g.handleEvent(hoptest::keyEvent(SDLK_y));
    g.handleEvent(hoptest::keyEvent(SDLK_p));
    frame(g);
    img = readFramebuffer();
    shot("pause_wireframe");
    EXPECT_GT(count(img, textBand(200, 420, 200), isWhite), 250) << "JUEGO PAUSADO";
    EXPECT_GT(count(img, textBand(100, 120, 330), isWhite), 300) << "U FACETADO E INTERPOLADO";
    EXPECT_GT(count(img, {4, 50, 39, 31}, isPink), 300);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // A window of another size (full screen) stretches the overlay: the
    // texts keep their places in it beside the icon. At half the size (the
    // viewport in the framebuffer's bottom-left quarter) the progress line
    // sits at (10, 220) of the viewport, the icon's corner at (2, 25) from
    // its top.
    SDL_Event size{};
    size.type = SDL_WINDOWEVENT;
    size.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    size.window.data1 = 320;
    size.window.data2 = 240;
    g.handleEvent(size);
    g.handleEvent(hoptest::keyEvent(SDLK_p));
    frame(g);
    img = readFramebuffer();
    shot("half_window");
    EXPECT_GT(count(img, {10, 480 - 220 - 17, 60, 20}, isWhite), 40) << "progress line in the overlay's place";
    EXPECT_GT(count(img, {2, 240 + 25, 19, 15}, isPink), 60) << "the icon beside it";
    EXPECT_EQ(count(img, {0, 0, 640, 240}, isWhite), 0) << "nothing outside the viewport";
    EXPECT_EQ(count(img, {320, 240, 320, 240}, isWhite), 0);
}

// The title and the pause are still: after their frame the loop may wait
// for an event. Woken, the game handles the events before the frame that
// shows them, and play resumed after a long wait does not jump ahead.
TEST_F(MarsdashGL, StillScreensWaitAndResumeWithoutAJump) {
    Juego g;
    frame(g);
    EXPECT_TRUE(g.quieto()) << "the title after its first frame";
    SDL_Event key = hoptest::keyEvent(SDLK_i);
    SDL_PushEvent(&key);
    g.despertar(g.ultimo + 5000);
    EXPECT_FALSE(g.titulo) << "handled on waking";
    EXPECT_FALSE(g.quieto());
    frame(g);
    EXPECT_FALSE(g.quieto()) << "playing";
    g.handleEvent(hoptest::keyEvent(SDLK_p));
    frame(g);
    EXPECT_TRUE(g.quieto()) << "paused";
    const std::uint32_t t = g.ultimo + 60000;  // a minute on the pause
    key = hoptest::keyEvent(SDLK_p);
    SDL_PushEvent(&key);
    g.despertar(t);
    g.frame(t + 16);
    EXPECT_NEAR(g.elapsed, 0.016f, 0.001f) << "the minute paused is not played";
}

TEST_F(MarsdashGL, ViewsProjectionsAndSwitches) {
    std::srand(9);
    Juego g;
    g.handleEvent(hoptest::keyEvent(SDLK_i));
    frame(g);
    float p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    EXPECT_FLOAT_EQ(p[0], 2.0f / 80);
    EXPECT_FLOAT_EQ(p[10], -2.0f / 160);
    g.handleEvent(hoptest::keyEvent(SDLK_v));
    frame(g);
    shot("follow");
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    EXPECT_FLOAT_EQ(p[0], 2.0f / 60);
    EXPECT_FLOAT_EQ(p[10], -2.0f / 150);
    EXPECT_GT(countNear({0, 0, 0}, 2), 0);
    g.handleEvent(hoptest::keyEvent(SDLK_v));
    frame(g);
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    EXPECT_FLOAT_EQ(p[0], 2.0f / 80) << "back to the +-40 box";
    float clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0] + clear[1] + clear[2], 0.0f);

    // Every switch draws something different, and comes back.
    g.handleEvent(hoptest::keyEvent(SDLK_p));  // a still world: only the switch changes the picture
    frame(g);
    const hoptest::Image base = readFramebuffer();
    struct Switch {
        SDL_Keycode on;
        std::vector<SDL_Keycode> back;
    };
    // Flat faces look the same flat or smooth: U shows in the GL state only.
    GLint shade = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(shade, GL_SMOOTH);
    g.handleEvent(hoptest::keyEvent(SDLK_u));
    frame(g);
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(shade, GL_FLAT);
    g.handleEvent(hoptest::keyEvent(SDLK_u));
    frame(g);
    for (const Switch& sw : {Switch{SDLK_t, {SDLK_t}}, {SDLK_s, {SDLK_s, SDLK_s}},
                             {SDLK_d, {SDLK_a}}, {SDLK_y, {SDLK_y}}}) {
        g.handleEvent(hoptest::keyEvent(sw.on));
        frame(g);
        EXPECT_GT(readFramebuffer().countDiff(base, {0, 90, 640, 390}, 6), 50) << SDL_GetKeyName(sw.on);
        shot(std::string("switch_") + SDL_GetKeyName(sw.on));
        for (SDL_Keycode k : sw.back) g.handleEvent(hoptest::keyEvent(k));
        frame(g);
    }
    EXPECT_EQ(readFramebuffer().countDiff(base, {0, 90, 640, 390}, 2), 0) << "every switch restored";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(MarsdashGL, DeathMeteorDiamondsAndTheRescue) {
    std::srand(21);
    Juego g;
    g.handleEvent(hoptest::keyEvent(SDLK_1));
    g.handleEvent(hoptest::keyEvent(SDLK_i));
    frame(g);
    // Stand still: the meteor falls and bursts; the lost texts show.
    for (int i = 0; i < 340; ++i) {
        frame(g, 20);
        if (i % 10 == 0 && g.meteorito->cayendo()) shot("falling" + std::to_string(i));
    }
    EXPECT_TRUE(g.muerto);
    EXPECT_TRUE(g.meteorito->estallo());
    hoptest::Image img = readFramebuffer();
    shot("meteor");
    EXPECT_GT(count(img, textBand(50, 300, 440), isWhite), 400) << "HOUSTON TENEMOS UN PROBLEMA";

    // A fresh 10-row map walked to the goal with the rows cleared.
    g.handleEvent(hoptest::keyEvent(SDLK_r));
    frame(g);
    for (int f = 2; f < g.mapa->filas(); ++f) g.mapa->segmentos[std::size_t(f)] = std::make_unique<Libre>(f);
    auto d = std::make_unique<Diamante>();
    d->fila = 3;
    d->columna = 10;
    g.mapa->fila(3)->diamante = std::move(d);
    for (int i = 0; i < 2000 && !g.ganado(); ++i) {
        if (!g.astronauta->saltando) {
            g.handleEvent(hoptest::keyEvent(SDLK_UP));
            g.handleEvent(hoptest::keyEvent(SDLK_UP, false));
        }
        frame(g, 16);
        if (g.astronauta->diamantes == 1 && g.mapa->fila(3)->diamante->rafaga && i % 5 == 0) shot("sparkle");
    }
    ASSERT_TRUE(g.ganado());
    EXPECT_EQ(g.astronauta->diamantes, 1);
    for (int i = 0; i < 300; ++i) frame(g, 16);
    EXPECT_TRUE(g.rescate->despegando);
    EXPECT_GT(g.rescate->altura, 5);
    img = readFramebuffer();
    shot("won");
    EXPECT_GT(count(img, textBand(100, 300, 260), isWhite), 300) << "VOLVEMOS A CASA";
    EXPECT_GT(count(img, textBand(20, 440, 110), isWhite), 80) << "9 DE 10";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(MarsdashGL, SkippingFarRowsNeverChangesThePicture) {
    std::srand(4);
    Juego g;
    g.handleEvent(hoptest::keyEvent(SDLK_0));
    g.handleEvent(hoptest::keyEvent(SDLK_i));
    frame(g);
    g.astronauta->z = 20.0f * 250;  // mid-map, rows on every side
    g.astronauta->fila = 250;
    g.camara->desplazZ = g.camara->objetivoZ = -20.0f - 8 * 249;
    g.handleEvent(hoptest::keyEvent(SDLK_p));  // a still world
    for (int view = 0; view < 6; ++view) {
        if (view == 4) g.handleEvent(hoptest::keyEvent(SDLK_v));
        g.arrastre = 45.0f * float(view);
        g.radioVista = 1e9f;
        frame(g);
        const hoptest::Image all = readFramebuffer();
        EXPECT_EQ(g.filasDibujadas, 500);
        g.radioVista = 90.0f;
        frame(g);
        EXPECT_LT(g.filasDibujadas, 30);
        EXPECT_EQ(readFramebuffer().countDiff(all, {}, 0), 0) << "view " << view;
    }
    shot("midmap_follow");
}

TEST_F(MarsdashGL, MissingFilesDrawNothingButDoNotStopTheGame) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(std::filesystem::temp_directory_path().c_str()), 0);
    testing::internal::CaptureStdout();
    {
        Juego g;
        g.handleEvent(hoptest::keyEvent(SDLK_i));
        frame(g);
        frame(g);
        EXPECT_FALSE(g.muerto);
        EXPECT_LT(readFramebuffer().countNear({0, 0, 0}, 2), 640 * 480) << "the ground is drawn";
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ROMPIO\n");
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Watches a named pipe for a reader: opening its write end without blocking
// succeeds only while something has it open for reading. The open wakes that
// reader (it reads nothing), so a faulty game cannot hang the test.
class PipeWatch {
public:
    explicit PipeWatch(std::string path) : path_(std::move(path)), thread_([this] { watch(); }) {}
    ~PipeWatch() {
        stop_ = true;
        thread_.join();
    }
    bool opened() const { return opened_; }

private:
    void watch() {
        while (!stop_) {
            const int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                opened_ = true;
                close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    std::string path_;
    std::atomic<bool> stop_{false}, opened_{false};
    std::thread thread_;
};

// Every file the game reads, gone, empty, cut in half, garbage, a folder or
// a named pipe: named with what is wrong, and a pipe is never opened (it
// would block the game).
TEST_F(MarsdashGL, EveryBrokenFileIsNamed) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const std::filesystem::path here(cwd);
    const auto dir = std::filesystem::temp_directory_path() / "marsdash-broken";
    const char* const files[] = {"modelos/astronaut1.obj", "modelos/astronaut1.png", "modelos/ship1.obj",
                                 "modelos/cristal1.obj",   "modelos/Diamante.obj",   "modelos/diamante.png",
                                 "modelos/meteorito.obj",  "modelos/nave1.obj",      "modelos/nave1.png",
                                 "modelos/nave2.obj",      "modelos/nave2.png",      "modelos/font.ttf"};
    using hoptest::Break;
    using hoptest::Deleted, hoptest::Empty, hoptest::Half, hoptest::Garbage, hoptest::Folder, hoptest::Pipe;
    std::mt19937 random(8);
    for (const char* file : files)
        for (Break how : {Deleted, Empty, Half, Garbage, Folder, Pipe}) {
            hoptest::stageBroken(here, dir, {std::begin(files), std::end(files)}, file, how, random);
            std::optional<PipeWatch> watch;
            if (how == Pipe) watch.emplace((dir / file).string());

            ASSERT_EQ(chdir(dir.c_str()), 0);
            testing::internal::CaptureStderr();
            testing::internal::CaptureStdout();
            std::string thrown;
            try {
                Juego g;
                g.handleEvent(hoptest::keyEvent(SDLK_i));
                frame(g);
                frame(g);
            } catch (const ErrorFuente& e) {
                thrown = e.what();
            }
            const std::string said = testing::internal::GetCapturedStderr() + thrown;
            testing::internal::GetCapturedStdout();
            ASSERT_EQ(chdir(cwd), 0);
            // A model cut at a line end is a smaller model: nothing to say.
            const bool mayBeWhole = how == Half && std::string(file).find(".obj") != std::string::npos;
            if (!mayBeWhole || !said.empty()) {
                EXPECT_NE(said.find(std::string(file) + ": "), std::string::npos)
                    << file << " broken " << int(how) << ": " << said;
            }
            if (how == Folder || how == Pipe) {
                EXPECT_NE(said.find(std::string(file) + (how == Folder ? ": is a folder" : ": is not a regular file")),
                          std::string::npos)
                    << file << ": " << said;
            }
            if (watch) {
                EXPECT_FALSE(watch->opened()) << file << ": the pipe was opened";
            }
            watch.reset();
            glGetError();
        }
    std::filesystem::remove_all(dir);
}

TEST_F(MarsdashGL, TextStaysReadableUnderEveryRenderSwitch) {
    std::srand(12);
    Juego g;
    g.handleEvent(hoptest::keyEvent(SDLK_i));
    frame(g);
    g.handleEvent(hoptest::keyEvent(SDLK_p));
    frame(g);
    const Rect title = textBand(200, 420, 200), help = textBand(100, 120, 330);
    hoptest::Image img = readFramebuffer();
    const int titleBase = count(img, title, isWhite), helpBase = count(img, help, isWhite);
    ASSERT_GT(titleBase, 250);
    // Textures off, flat shading, every light colour and angle, wireframe,
    // the follow view: each on top of the ones before.
    const std::vector<SDL_Keycode> keys = {SDLK_t, SDLK_u, SDLK_s, SDLK_s, SDLK_s, SDLK_d, SDLK_d,
                                           SDLK_d, SDLK_y, SDLK_v, SDLK_a, SDLK_s};
    for (SDL_Keycode k : keys) {
        g.handleEvent(hoptest::keyEvent(k));
        frame(g);
        img = readFramebuffer();
        EXPECT_GE(count(img, title, isWhite), titleBase * 9 / 10) << "JUEGO PAUSADO after " << SDL_GetKeyName(k);
        EXPECT_GE(count(img, help, isWhite), helpBase * 9 / 10) << "U FACETADO after " << SDL_GetKeyName(k);
        EXPECT_GT(count(img, {4, 50, 39, 31}, isPink), 250) << "the icon after " << SDL_GetKeyName(k);
    }
    shot("switches_text");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

namespace {

// The matrices the last frame left: the scene's view (the HUD restores them).
struct View {
    GLdouble model[16], projection[16];
    GLint viewport[4];
    static View current() {
        View v;
        glGetDoublev(GL_MODELVIEW_MATRIX, v.model);
        glGetDoublev(GL_PROJECTION_MATRIX, v.projection);
        glGetIntegerv(GL_VIEWPORT, v.viewport);
        return v;
    }
    // Window pixels, origin top-left like readPixel.
    std::pair<float, float> project(float x, float y, float z) const {
        GLdouble wx = 0, wy = 0, wz = 0;
        gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
        return {float(wx), float(viewport[3]) - float(wy)};
    }
};

SDL_Event drag(int xrel) {
    SDL_Event e = hoptest::motionEvent(xrel, 0);
    e.motion.state = SDL_BUTTON_LMASK;
    return e;
}

// A fresh 50-row map playing, every row clear free ground but the wall.
void clearField(Juego& g) {
    g.handleEvent(hoptest::keyEvent(SDLK_2));
    g.handleEvent(hoptest::keyEvent(SDLK_i));
    g.frame(g.ultimo + 16);
    for (int f = 1; f < g.mapa->filas(); ++f) g.mapa->segmentos[std::size_t(f)] = std::make_unique<Libre>(f);
}

}  // namespace

// The arrows hop toward the screen's left and right as the player sees it
// (projected through the frame's own matrices), in the starting view, after
// dragging it round and after the follow view; in the follow view Up hops up
// the screen, and a drag to the right turns the heading to the right.
TEST_F(MarsdashGL, ArrowsHopTowardTheScreensLeftAndRight) {
    std::srand(4);
    Juego g;
    clearField(g);
    // Where on screen the astronaut lands after a hop with `key`, seen from
    // the view before it (the view scrolls after it).
    const auto hop = [&](SDL_Keycode key) {
        frame(g);
        const View v = View::current();
        const Astronauta& a = *g.astronauta;
        const auto from = v.project(a.worldX(), 1, a.worldZ());
        g.astronauta->ocioso = 0;  // no meteor while the views are tried
        g.handleEvent(hoptest::keyEvent(key));
        g.handleEvent(hoptest::keyEvent(key, false));
        for (int i = 0; i < 40; ++i) frame(g);
        const auto to = v.project(a.worldX(), 1, a.worldZ());
        return std::pair{to.first - from.first, to.second - from.second};
    };
    const auto sides = [&](const std::string& view) {
        EXPECT_LT(hop(SDLK_LEFT).first, -10) << view << ": Left";
        EXPECT_GT(hop(SDLK_RIGHT).first, 10) << view << ": Right";
        hop(SDLK_UP);  // a new row: no meteor
    };
    sides("start");
    // The board dragged round by 45 degrees at a time, both ways.
    for (int turn = 0; turn < 8; ++turn) {
        for (int i = 0; i < 9; ++i) g.handleEvent(drag(10));
        sides("dragged right " + std::to_string(45 * (turn + 1)));
    }
    for (int turn = 0; turn < 4; ++turn) {
        for (int i = 0; i < 18; ++i) g.handleEvent(drag(-10));
        sides("dragged left " + std::to_string(90 * (turn + 1)));
    }
    g.handleEvent(hoptest::keyEvent(SDLK_v));
    EXPECT_LT(hop(SDLK_UP).second, -15) << "follow view: Up goes up the screen";
    frame(g);
    const View before = View::current();
    const Astronauta& a = *g.astronauta;
    const auto from = before.project(a.worldX(), 1, a.worldZ());
    for (int i = 0; i < 9; ++i) g.handleEvent(drag(10));
    EXPECT_LT(hop(SDLK_UP).second, -15) << "follow view, turned: Up goes up the screen";
    EXPECT_GT(before.project(a.worldX(), 1, a.worldZ()).first - from.first, 15) << "a drag right turns right";
    g.handleEvent(hoptest::keyEvent(SDLK_v));
    sides("back from the follow view");
    EXPECT_FALSE(g.muerto);
}

// A controller's d-pad and left stick (leant past its dead zone) hop toward
// the screen's left and right from the starting view, through the game's
// own frame and pads, as the arrows do.
TEST_F(MarsdashGL, AControllerHopsTowardTheScreensLeftAndRight) {
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    std::srand(4);
    Juego g;
    hop::Pads mandos(Juego::tablaMandos());
    g.mandos = &mandos;
    clearField(g);
    hoptest::LocalPad pad;
    for (int i = 0; i < 3; ++i) frame(g);
    ASSERT_EQ(mandos.count(), 1);
    // How far across the screen the astronaut lands after `lean` is held
    // and let go, seen from the view before the hop.
    const auto hop = [&](const std::function<void(bool)>& lean) {
        frame(g);
        const View v = View::current();
        const Astronauta& a = *g.astronauta;
        const auto from = v.project(a.worldX(), 1, a.worldZ());
        g.astronauta->ocioso = 0;
        lean(true);
        frame(g);
        frame(g);
        lean(false);
        for (int i = 0; i < 40; ++i) frame(g);
        return v.project(a.worldX(), 1, a.worldZ()).first - from.first;
    };
    const auto button = [&](SDL_GameControllerButton b) { return [&pad, b](bool down) { pad.button(b, down); }; };
    const auto ways = hoptest::sideways(pad);
    for (const auto& w : ways) {
        EXPECT_GT(hop(w.lean) * float(w.right), 10) << w.what;
        hop(button(SDL_CONTROLLER_BUTTON_DPAD_UP));  // a new row: no meteor
    }
    EXPECT_FALSE(g.muerto);
    EXPECT_FALSE(g.pausa);

    // Pulled out with the stick leant: SDL centres it just before it reports
    // the removal; the run pauses and that release neither hops nor leaves
    // the astronaut crouching.
    frame(g);
    const Astronauta& a = *g.astronauta;
    const float x = a.worldX(), z = a.worldZ();
    g.astronauta->ocioso = 0;
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    for (int i = 0; i < 3; ++i) frame(g);
    ASSERT_TRUE(g.astronauta->agachado) << "the stick holds Left";
    pad.unplug();
    for (int i = 0; i < 5; ++i) frame(g);
    EXPECT_TRUE(g.pausa);
    EXPECT_EQ(mandos.count(), 0);
    // Resumed from the keyboard: the astronaut stands where it was.
    g.handleEvent(hoptest::keyEvent(SDLK_p));
    g.astronauta->ocioso = 0;
    for (int i = 0; i < 40; ++i) frame(g);
    ASSERT_FALSE(g.pausa);
    EXPECT_EQ(a.worldX(), x) << "a hop on unplugging";
    EXPECT_EQ(a.worldZ(), z) << "a hop on unplugging";
    EXPECT_FALSE(g.astronauta->agachado);
}

// Each thing is drawn where it collides: over a ship's probe window the
// picture shows the ship, and beyond the window it does not; the crystal
// that blocks a cell stands on it; the astronaut stands on its point.
TEST_F(MarsdashGL, ThingsAreDrawnWhereTheyCollide) {
    std::srand(6);
    Juego g;
    clearField(g);
    // Nothing moves in two frames but what the test moves.
    const auto still = [&] {
        frame(g);
        return readFramebuffer();
    };
    // Ships on rows 3 and 4, one each way, over x 84; a crystal on row 2,
    // column 12; the astronaut at the start, x 84 on row 1.
    for (bool masX : {true, false}) {
        const int row = masX ? 3 : 4;
        auto c = std::make_unique<Calle>(row);
        c->nave.velocidad = 0;
        c->nave.x = 84;
        c->nave.haciaMasX = masX;
        c->nave.colores.assign(8, {0.1f, 0.9f, 0.9f});
        g.mapa->segmentos[std::size_t(row)] = std::move(c);
    }
    static_cast<Libre*>(g.mapa->fila(2))->cristales.push_back({12, 0});
    ASSERT_EQ(g.mapa->probar(2, 12 * kCelda + 1), 2);
    const hoptest::Image with = still();
    shot("collide_with");
    const View v = View::current();
    const float ax = g.astronauta->worldX(), az = g.astronauta->worldZ();
    for (int row : {3, 4}) static_cast<Calle*>(g.mapa->fila(row))->nave.x = 1000;
    static_cast<Libre*>(g.mapa->fila(2))->cristales.clear();
    g.astronauta->x = 2000;
    const hoptest::Image without = still();
    shot("collide_without");
    const auto shows = [&](float x, float y, float z) {
        const auto [px, py] = v.project(x, y, z);
        const Color p = with.pixel(int(px), int(py)), q = without.pixel(int(px), int(py));
        return std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 60;
    };
    for (int row : {3, 4}) {
        const float z = centroFila(row);
        // The astronaut at x is hit while a ship moving towards +x is within
        // [x - 2, x + 18]: its hull spans x - 18 .. x + 2 (the other way
        // round towards -x).
        const bool masX = row == 3;
        const float lo = masX ? 84 - 18 : 84 - 2, hi = masX ? 84 + 2 : 84 + 18;
        for (float x : {lo + 3, (lo + hi) / 2, hi - 3}) EXPECT_TRUE(shows(x, 2, z)) << "row " << row << " x " << x;
        for (float x : {lo - 5, hi + 5}) EXPECT_FALSE(shows(x, 2, z)) << "row " << row << " beyond the window, x " << x;
    }
    EXPECT_TRUE(shows(12 * kCelda + 4, 2, centroFila(2))) << "the crystal on its cell";
    EXPECT_FALSE(shows(13 * kCelda + 4, 2, centroFila(2))) << "nothing on the next cell";
    EXPECT_TRUE(shows(ax, 2, az)) << "the astronaut at its point";
    EXPECT_FALSE(shows(ax + 6, 2, az)) << "beside the astronaut";
}
