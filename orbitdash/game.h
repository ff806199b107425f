// The rules of a game in progress: the state machine, the key table, the
// course with its astronaut, lives, points and time. No GL and no window:
// the program feeds it events and calls tick() once per 1/60 s of play;
// tests do the same with synthetic events.
#pragma once

#include <SDL2/SDL_keycode.h>

#include <cstdint>
#include <iosfwd>
#include <string>

#include "camera.h"
#include "course.h"
#include "random.h"
#include "settings.h"

namespace orbitdash {

// The start and the goal: 10 wide (one floor panel) and 5 deep, top at
// height 0. A jump that ends over the goal reaches it.
struct Platform {
    static constexpr float kHalfWidth = 5.0f, kHalf = 2.5f;
    Vec3 pos;
    bool goal = false;
    bool under(Vec3 p) const {
        return p.x > pos.x - kHalfWidth && p.x < pos.x + kHalfWidth && p.z > pos.z - kHalf && p.z < pos.z + kHalf;
    }
};

// Where a jump would end, for the ring that shows it.
struct JumpMark {
    Vec3 at;
    bool lands = false;  // on something that holds the astronaut up
};

class Game {
public:
    static constexpr int kLives = 3;
    static constexpr int kLevels = 3;
    static constexpr float kSink = 0.08f;      // per frame at Normal
    static constexpr float kFallLimit = -2.0f;

    // Loads level 1 from `prefix` + "1.txt"; messages about files go to `log`.
    Game(Random& random, std::ostream& log, std::string levelPrefix = "./niveles/nivel");

    // One frame of the world (at 60 frames per second): a requested level
    // load, sinking and falling, the items' motion and rules, the jump.
    void tick();
    // The millisecond clock, read at the top of each frame; keeps the
    // elapsed time (not in the menu or on the end screens).
    void setClock(std::uint32_t nowMs);
    // The key table. Letters by lower-case key code.
    void key(SDL_Keycode sym, bool down, bool repeat = false);
    void mouse(int dx, int dy) { camera.turn(dx, dy); }
    // Play stops in the menu, as with P; elsewhere nothing changes.
    void pause();

    // A jump along a quarter-turn count of the camera's back vector (see
    // Camera::direction); refused unless standing and not jumping.
    bool jump(int quarters);
    // Where a jump along `quarters` taken now would end; lands is false
    // when no jump can be taken.
    JumpMark jumpMark(int quarters) const;

    int state() const { return settings.state; }
    int menuOpenedFrom() const { return menuFrom_; }
    int elapsedSeconds() const { return int(elapsedMs / 1000); }

    Settings settings;
    Camera camera;
    Astronaut astronaut;
    Course course;
    Platform start, goal;
    int points = 0;
    int lives = kLives;
    int levelStartPoints = 0;
    std::uint32_t startMs = 0, elapsedMs = 0;
    int menuCursor = 0;  // 0 speed, 1 textures, 2 wireframe, 3 flat shading
    bool quit = false;
    int lifeLosses = 0;  // falls and hits so far, for whoever watches
    int goalsReached = 0;  // levels ended on their goal so far, likewise

private:
    void load();
    void requestLoad() { loadRequested_ = true; }
    void loseLife();
    void backToStart();
    void play();  // R: points back to the level's start, clock restarted
    void menuKey(SDL_Keycode sym);
    void jumpStep();

    Random* random_;
    std::ostream* log_;
    std::string prefix_;
    bool loadRequested_ = false;
    std::uint32_t now_ = 0, menuSince_ = 0;
    int menuFrom_ = kPlaying;
};

}  // namespace orbitdash
