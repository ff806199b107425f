// The game's state codes and the settings every item reads while it moves
// and draws.
#pragma once

namespace orbitdash {

enum State : int {
    kTitle = 0,
    kPlaying = 1,
    kMenu = 2,
    kGameOver = 3,
    kLevelDone = 4,
    kAllDone = 5,
};

constexpr float kSlow = 0.5f, kNormal = 1.0f, kFast = 2.0f;

struct Settings {
    int state = kTitle;
    int level = 1;
    float speed = kNormal;  // per-frame steps are scaled by it
    bool textures = true;
    bool wireframe = false;
    bool flat = true;

    // Items move in every state but the menu (the course stays visible under
    // the end screens).
    bool frozen() const { return state == kMenu; }
};

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

}  // namespace orbitdash
