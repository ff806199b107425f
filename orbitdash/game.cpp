#include "game.h"

#include <cmath>

#include "level.h"

namespace orbitdash {

Game::Game(Random& random, std::ostream& log, std::string levelPrefix)
    : random_(&random), log_(&log), prefix_(std::move(levelPrefix)) {
    load();
}

void Game::load() {
    course = loadLevel(levelPath(settings.level, prefix_), *random_, *log_);
    goal.goal = true;
    goal.pos = {0, 0, course.end() + Platform::kHalf};
    levelStartPoints = points;
    backToStart();
    loadRequested_ = false;
}

void Game::backToStart() {
    astronaut = Astronaut{};
}

void Game::setClock(std::uint32_t nowMs) {
    now_ = nowMs;
    if (settings.state == kPlaying || settings.state == kTitle) elapsedMs = nowMs - startMs;
}

void Game::loseLife() {
    ++lifeLosses;
    backToStart();
    lives = lives > 0 ? lives - 1 : 0;
    points = levelStartPoints;
    if (lives <= 0) {
        // Game over: the next R plays level 1 afresh.
        settings.state = kGameOver;
        settings.level = 1;
        points = 0;
        requestLoad();
    }
}

void Game::tick() {
    if (loadRequested_) load();
    Astronaut& a = astronaut;
    a.standing = false;
    const bool playing = settings.state == kPlaying;

    if (playing && !a.jumping) {
        a.pos.y -= settings.speed * kSink;
        if (a.pos.y < kFallLimit) loseLife();
    }

    // The items move in every state but the menu (and the title, where the
    // course is not shown); while playing they also carry, feed or hit.
    bool hit = false;
    if (settings.state != kTitle)
        for (std::size_t i = 0; i < course.items.size(); ++i) {
            LevelItem& item = *course.items[i];
            item.advance(settings);
            if (settings.state != kPlaying) continue;
            const Touch t = item.touch(a, int(i));
            points += t.points;
            hit = hit || t.hit;
        }
    if (!playing) return;
    if (hit) {
        loseLife();
        return;
    }
    for (const Platform* p : {&start, &goal})
        if (p->under(a.pos)) holdUp(a);

    if (a.jumping) jumpStep();
}

void Game::jumpStep() {
    Astronaut& a = astronaut;
    if (!a.stepJump(settings.speed)) return;
    a.jumping = false;
    a.t = 0;
    a.stopRiding();
    if (!goal.under(a.pos)) return;
    settings.state = settings.level >= kLevels ? kAllDone : kLevelDone;
    ++goalsReached;
}

void Game::pause() {
    if (settings.state == kPlaying) key(SDLK_p, true);
}

bool Game::jump(int quarters) {
    Astronaut& a = astronaut;
    if (settings.state != kPlaying || !a.standing || a.jumping) return false;
    camera.direction(quarters, a.dirX, a.dirZ);
    a.heading = std::atan2(a.dirX, a.dirZ) * 180.0f / Camera::kPi;
    a.from = a.pos;
    a.t = 0;
    a.jumping = true;
    a.standing = false;
    // The asteroid it leaves stays remembered, so the way down does not land
    // on it again; riding ends with the take-off.
    return true;
}

JumpMark Game::jumpMark(int quarters) const {
    JumpMark m;
    m.at = astronaut.pos;
    if (settings.state != kPlaying || astronaut.jumping || !astronaut.standing) return m;
    // The jump played out in a copy of the game: the belts go on moving
    // meanwhile, so an asteroid under the ring now is the one the jump
    // comes down on.
    Game ahead = *this;
    ahead.jump(quarters);
    const int lives = ahead.lives;
    Vec3 last = ahead.astronaut.pos;
    for (int frame = 0; frame < 1000 && ahead.astronaut.jumping && ahead.lives == lives; ++frame) {
        last = ahead.astronaut.pos;
        ahead.tick();
    }
    if (ahead.lives != lives) {
        m.at = last;  // hit on the way
        return m;
    }
    const Astronaut& a = ahead.astronaut;
    if (a.rideItem >= 0) {
        // On an asteroid: the ring sits on it as it is now.
        const auto& belt = static_cast<const AsteroidBelt&>(*course.items[std::size_t(a.rideItem)]);
        const Asteroid& rock = belt.asteroids[std::size_t(a.rideAsteroid)];
        m.at = {belt.worldX(rock), AsteroidBelt::kStandHeight, belt.worldZ(rock)};
        m.lands = true;
        return m;
    }
    m.at = a.pos;
    if (ahead.settings.state != kPlaying) {
        m.lands = true;  // on the goal
        return m;
    }
    ahead.tick();
    m.lands = ahead.astronaut.standing && ahead.lives == lives;
    if (m.lands) {
        m.at.y = ahead.astronaut.pos.y;
        return m;
    }
    // Over a belt, a fall is marked where it comes down among its
    // asteroids: one that drifts under the ring would catch the jump.
    for (std::size_t i = 0; i < course.items.size(); ++i) {
        const auto* belt = dynamic_cast<const AsteroidBelt*>(course.items[i].get());
        if (!belt || m.at.z < belt->z || m.at.z >= belt->z + belt->depth()) continue;
        const auto& later = static_cast<const AsteroidBelt&>(*ahead.course.items[i]);
        float drift = later.offset - belt->offset;
        if (drift < 0) drift += 100.0f;  // started over on the way
        m.at.x -= drift;
    }
    return m;
}

void Game::play() {
    points = levelStartPoints;
    startMs = now_;
    elapsedMs = 0;
    settings.state = kPlaying;
}

void Game::menuKey(SDL_Keycode sym) {
    const bool left = sym == SDLK_a || sym == SDLK_LEFT;
    switch (sym) {
        case SDLK_w:
        case SDLK_UP: menuCursor = (menuCursor + 3) % 4; return;
        case SDLK_s:
        case SDLK_DOWN: menuCursor = (menuCursor + 1) % 4; return;
        case SDLK_a:
        case SDLK_LEFT:
        case SDLK_d:
        case SDLK_RIGHT: break;
        default: return;
    }
    switch (menuCursor) {
        case 0:
            if (left) settings.speed = settings.speed > kNormal ? kNormal : kSlow;
            else settings.speed = settings.speed < kNormal ? kNormal : kFast;
            break;
        case 1: settings.textures = !settings.textures; break;
        case 2: settings.wireframe = !settings.wireframe; break;
        default: settings.flat = !settings.flat; break;
    }
}

void Game::key(SDL_Keycode sym, bool down, bool repeat) {
    if (sym == SDLK_q) {
        if (down) quit = true;
        return;
    }
    if (!down) {
        // Space and R act on release.
        if (sym == SDLK_SPACE && settings.state != kMenu) jump(2);
        if (sym != SDLK_r) return;
        // In the menu R does what it does on the screen the menu was opened
        // from.
        const int from = settings.state == kMenu ? menuFrom_ : settings.state;
        switch (from) {
            case kLevelDone:
                settings.level += 1;
                load();
                break;
            case kAllDone:
                settings.level = 1;
                points = 0;
                load();
                break;
            default:
                // Title, playing, game over: the astronaut back at the
                // start, so no jump or ride carries over.
                backToStart();
                break;
        }
        // A new game from level 1 (after GAME OVER or FIN DEL JUEGO) has
        // its three lives again.
        if (from == kGameOver || from == kAllDone) lives = kLives;
        play();
        return;
    }
    if (repeat) return;

    switch (sym) {
        case SDLK_t: settings.textures = !settings.textures; return;
        case SDLK_y: settings.wireframe = !settings.wireframe; return;
        case SDLK_u: settings.flat = !settings.flat; return;
        case SDLK_v: camera.switchView(); return;
        case SDLK_n: camera.closer(); return;
        case SDLK_m: camera.farther(); return;
        case SDLK_z: camera.cycleHeight(); return;
        case SDLK_x: camera.cycleQuarter(); return;
        case SDLK_p:
            // The menu goes back to where it was opened: play resumes
            // without the time spent in it; the title and the end screens
            // stay what they were.
            if (settings.state == kMenu) {
                settings.state = menuFrom_;
                if (menuFrom_ == kPlaying) startMs += now_ - menuSince_;
            } else {
                menuFrom_ = settings.state;
                settings.state = kMenu;
                menuSince_ = now_;
            }
            return;
        default: break;
    }
    if (settings.state == kMenu) {
        menuKey(sym);
        return;
    }
    switch (sym) {
        case SDLK_w:
        case SDLK_UP: jump(2); break;
        case SDLK_s:
        case SDLK_DOWN: jump(0); break;
        case SDLK_d:
        case SDLK_RIGHT: jump(1); break;
        case SDLK_a:
        case SDLK_LEFT: jump(3); break;
        default: break;
    }
}

}  // namespace orbitdash
