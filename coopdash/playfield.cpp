#include "playfield.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace coopdash {

Playfield& Playfield::getInstance() {
    static Playfield field;
    return field;
}

Playfield::Playfield(RandomSource random) : random_(std::move(random)) {}

Playfield::~Playfield() = default;

int Playfield::rand() {
    const int r = random_ ? random_() : std::rand();
    return r < 0 ? -(r + 1) : r;  // the row rules take remainders of it
}

void Playfield::addObject(std::unique_ptr<Object> object) {
    object->displayList = displayLists[std::size_t(object->kind)];
    if (!object->textureName.empty()) object->texture = roadTexture;
    // Rows and what stands or runs on them live in separate lists.
    const bool row = object->kind == KindCalle || object->kind == KindVia || object->kind == KindPasto;
    (row ? rows : objects).push_back(std::move(object));
}

void Playfield::fillGrass(int z) {
    // Trees and coins only from row -2 on: the start is always clear.
    if (z >= kLastClearRow) return;
    for (int c = -kColumns; c <= kColumns; ++c) {
        if (rand() % 2 == 0) {
            addObject(std::make_unique<Arbol>(double(c), 0.0, double(z)));
        } else if (rand() % 10 == 0 && std::abs(c) < 5) {
            addObject(std::make_unique<Moneda>(double(c), 0.0, double(z)));
        }
    }
}

void Playfield::appendRow(int z) {
    const int r = rand();
    if (r % 2 == 0 || r % 3 == 0) {
        addObject(std::make_unique<Calle>(*this, double(z), rand()));
    } else if (r % 5 == 0) {
        addObject(std::make_unique<Via>(*this, double(z), rand()));
    } else {
        addObject(std::make_unique<Pasto>(double(z)));
        fillGrass(z);
    }
}

void Playfield::generate() {
    objects.clear();
    rows.clear();
    player.displayList = displayLists[KindPollo];
    ghost.displayList = displayLists[KindFantasma];
    for (int z = kFirstRow; z >= kLastClearRow; --z) addObject(std::make_unique<Pasto>(double(z)));
    for (int z = kLastClearRow - 1; z >= kLastGeneratedRow; --z) appendRow(z);
    nextRow = kLastGeneratedRow - 1;
    score = 0;
    dead = false;
    chaseZ = player.position.z + kStartLag;
    ghost.position = {player.position.x, 0, chaseZ};
    deathCause = Cause::None;
    dyingTime = 0;
    bestZ = 0;
    playTime = musicTime = 0;
}

void Playfield::die(Cause cause) {
    if (dead) return;  // the first hit of a step is what is shown
    dead = true;
    deathCause = cause;
}

void Playfield::restart() {
    objects.clear();
    rows.clear();
    player.position = {};
    player.heading = 0;
    generate();
}

void Playfield::update(double dt, double realMs) {
    // A death shows with everything where it was; then a new field.
    if (dead) {
        dyingTime -= realMs;
        if (dyingTime <= 0) restart();
        return;
    }
    // Play time and the music clock follow real time whatever the speed.
    playTime += realMs;
    musicTime += realMs;
    if (musicTime > kMusicPeriod) {
        musicTime = 0;
        if (listener) listener->musicDue();
    }

    const double newBest = std::min(bestZ, player.position.z);
    score += int(std::floor(bestZ) - std::floor(newBest));
    bestZ = newBest;

    const double behind = chaseZ + kRowsBehind;
    rows.erase(std::remove_if(rows.begin(), rows.end(), [&](const auto& r) { return r->position.z >= behind; }),
               rows.end());
    // Spawners may append while we go: index, not iterators.
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i]->update(dt);

    for (std::size_t i = 0; i < objects.size();) {
        Object& o = *objects[i];
        if (o.position.z >= behind || o.removed) {
            objects.erase(objects.begin() + std::ptrdiff_t(i));
            continue;
        }
        o.update(dt);
        if (!o.removed && overlaps(o, player)) {
            if (o.kind == KindMoneda) {
                score += kCoinPoints;
                objects.erase(objects.begin() + std::ptrdiff_t(i));
                continue;
            }
            if (o.kind != KindArbol) die(o.kind == KindTren ? Cause::Train : Cause::Car);
        }
        ++i;
    }

    const double d = chaseZ - player.position.z;
    if (d > kMaxLag) {
        chaseZ = player.position.z + kMaxLag;
    } else if (d < 0) {
        die(Cause::Ghost);
    } else {
        chaseZ -= kChaseRate * dt;
    }
    ghost.position = {player.position.x, 0, chaseZ};

    if (player.position.z - nextRow <= kRowsAhead) {
        appendRow(nextRow);
        nextRow -= 1;
    }

    if (dead) {
        ++deaths;
        dyingTime = kDeathPause;
        if (listener) listener->chickenDied();
    }
}

bool Playfield::blockedByTree() const {
    for (const auto& o : objects)
        if (o->kind == KindArbol && overlaps(*o, player)) return true;
    return false;
}

void Playfield::moveChicken(double dt, const Arrows& arrows, int view) {
    if (dead) return;
    const double s = kWalkSpeed * dt / 1000.0;
    Vec3& p = player.position;
    // Each held arrow is one step, undone when it ends in a tree (or, in
    // first person, outside the corridor).
    const auto step = [&](double dx, double dz, bool corridor) {
        const Vec3 before = p;
        p.x += dx;
        p.z += dz;
        if (corridor && std::fabs(p.x) >= kCorridor) p = before;
        if (blockedByTree()) p = before;
    };
    if (view == ViewTop) {
        if (arrows.up) {
            player.heading = 0;
            step(0, -s, false);
        }
        if (arrows.down) {
            player.heading = 180;
            step(0, s, false);
        }
        if (arrows.right) {
            player.heading = 270;
            if (p.x < kCorridor) step(std::min(s, kCorridor - p.x), 0, false);
        }
        if (arrows.left) {
            player.heading = 90;
            if (p.x > -kCorridor) step(-std::min(s, p.x + kCorridor), 0, false);
        }
        return;
    }
    const double h = player.heading * M_PI / 180.0;
    const double sh = std::sin(h), ch = std::cos(h);
    if (arrows.up) step(-sh * s, -ch * s, true);
    if (arrows.down) step(sh * s, ch * s, true);
    if (arrows.right) step(ch * s, -sh * s, true);
    if (arrows.left) step(-ch * s, sh * s, true);
}

}  // namespace coopdash
