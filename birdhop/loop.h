// The running program: the assets, the game, the camera, the panel and the
// HUD, and the steps of one frame. app.cpp owns one and calls frame() until
// quit; tests call the steps with synthetic events and fixed frame times.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "camera.h"
#include "game.h"
#include "hopcommon/pads.h"
#include "hopcommon/records.h"
#include "model.h"
#include "panel.h"
#include "text.h"

union SDL_Event;
struct SDL_Window;

namespace birdhop {

constexpr int kWidth = 640, kHeight = 480;

// The files the game reads, relative to its working folder.
namespace paths {
constexpr const char* kGrass = "../resources/textura_pasto.jpg";
constexpr const char* kRoadDir = "../resources";
constexpr const char* kBirdObj = "../resources/12248_Bird_v1_L2.obj";
constexpr const char* kBirdTexture = "../resources/12248_Bird_v1_diff.jpg";
constexpr const char* kCarObj = "../resources/10603_slot_car_blue_SG_v1_iterations-2.obj";
constexpr const char* kCarTexture = "../resources/10603_slot_car_blue_SG_v1_diffuse.jpg";
constexpr const char* kTreeObj = "../resources/lowpolytree.obj";
constexpr const char* kTreeTexture = "../resources/10446_Palm_Tree_v1_Diffuse.jpg";
constexpr const char* kSkybox = "../resources/skybox_texture.jpg";
constexpr const char* kGui = "../resources/GUI_texture.png";
}  // namespace paths

// The perspective projection, clear colour and depth test of start-up.
void setupGL();

// The pause screen's light line: the direction's x, y and z with two
// decimals, each after a space.
std::string lightDirectionText(const Vec3d& direction);

class BirdLoop {
public:
    // Loads every file in start-up order (throws AssetError naming the file),
    // then builds the world. `window` may be null (no mouse warping).
    BirdLoop(SDL_Window* window, std::uint32_t seed, std::ostream& out);
    ~BirdLoop();
    BirdLoop(const BirdLoop&) = delete;
    BirdLoop& operator=(const BirdLoop&) = delete;

    // One whole frame with SDL's clock, mouse, controllers and events; the
    // caller swaps and paces.
    void frame();
    // True while the screen shows nothing that moves (the pause panel) and
    // nothing has changed since the last frame drawn: the caller then waits
    // for an event rather than drawing the same picture again. Every event
    // (a key, the pointer, the window shown again) is a change, and the
    // frame after it is drawn too (the scene is drawn before the events).
    bool still() const;
    // Sleeps until an event is pending (true: it is left for the next
    // frame to handle) or `ms` have passed (false).
    bool waitForEvent(int ms) const;
    // The run so far as a best result, kept when better than the saved one:
    // called when a run ends (a squash, Space, quitting) and on a level up.
    void saveBest();
    // The best shown on the HUD: the saved one, or this run's when further.
    long long shownBest() const;

    // The steps of a frame. begin(): dance words, mouse look, the 3D view,
    // `ms` of world (0 while paused, 500 for a frame over 2 s) and its
    // drawing. Then every pending event through handleEvent(), then drawHud().
    void begin(double ms, int mouseX, int mouseY);
    void handleEvent(const SDL_Event& event);
    void drawHud();

    BirdGame& game() { return *game_; }
    const BirdGame& game() const { return *game_; }

    // Rows whose ground was drawn in the last frame: those of p-20 .. p+19
    // in view.
    int rowsDrawn() const { return rowsDrawn_; }
    // Trees and cars drawn in the last frame (those in view).
    int bodiesDrawn() const { return int(trees_.size() + cars_.size()); }
    // Projection x model-view of the last frame's camera (column-major).
    const double* clip() const { return clip_; }
    // Whether the window has the keyboard focus: only then is the pointer
    // the game's to warp, and its offset a turn of the head.
    bool focused() const { return focused_; }
    unsigned grassTexture() const { return grass_; }

    BirdCamera camera;
    std::vector<PanelCell> panel;
    int panelFocus = -1;  // the panel cell the arrows and Return choose; -1 none yet
    // The right stick, each axis -1 .. 1 (right and down positive): turns
    // the head as the pointer's offset from the centre does.
    double stickX = 0, stickY = 0;
    bool quit = false;
    bool click = false;  // a mouse button went down this frame
    int mouseX = kWidth / 2, mouseY = kHeight / 2;

private:
    void draw3D(double dx, double dy);
    void drawWorld();
    void togglePause();
    void panelKey(SDL_Keycode key);

    SDL_Window* window_;
    std::uint64_t counter_ = 0;  // performance counter at the previous frame
    double clip_[16] = {};       // projection x model-view of this frame's camera
    int rowsDrawn_ = 0;
    double groundZ_ = 0;
    // This frame's rows in view and bodies in view, by kind (reused).
    std::vector<const Street*> roads_, forests_;
    std::vector<const Body*> trees_, cars_;
    int quietFrames_ = 2;        // frames whose mouse offset is ignored (start, resume)
    bool redSky_ = false;        // the frame after a squash clears red
    bool focused_ = true;        // no window (tests): as if focused
    int redraw_ = 2;             // frames still to draw on a still screen
    unsigned grass_ = 0, road_ = 0, gui_ = 0;
    BirdModel birdModel_, carModel_, treeModel_;
    std::unique_ptr<TextRenderer> text_;
    std::unique_ptr<BirdGame> game_;
    std::unique_ptr<hop::Records> records_;
    std::unique_ptr<hop::Pads> pads_;
};

// What each control of a game controller means here.
hop::PadTable padTable();

}  // namespace birdhop
