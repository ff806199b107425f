// Level files: every kind of line, skipped and bad lines, missing files,
// the seeded belt layout and the laying of items along the course.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "hoptest/broken.h"
#include "level.h"
#include "support.h"

using namespace orbitdash;
using orbitdash_test::FixedRandom;

namespace {

LevelRead read(const std::string& text, Random& random) {
    std::istringstream in(text);
    return readLevel(in, random);
}

template <typename T>
const T* as(const Course& c, std::size_t i) {
    return i < c.items.size() ? dynamic_cast<const T*>(c.items[i].get()) : nullptr;
}

}  // namespace

TEST(LevelFile, EachKindOfLineBuildsItsItem) {
    FixedRandom random;
    const LevelRead r = read("f 3 1\na 4 1000\ns 3 2\nf 1 0\n", random);
    EXPECT_EQ(r.badLine, 0);
    ASSERT_EQ(r.course.size(), 4u);
    const Suelo* floor = as<Suelo>(r.course, 0);
    ASSERT_TRUE(floor);
    EXPECT_EQ(floor->panels, 3);
    EXPECT_TRUE(floor->decorated);
    EXPECT_EQ(floor->decorations.size(), 50u);
    const AsteroidBelt* belt = as<AsteroidBelt>(r.course, 1);
    ASSERT_TRUE(belt);
    EXPECT_EQ(belt->asteroids.size(), 12u);
    EXPECT_EQ(belt->period, 1000);
    const GroupSpaceShip* ships = as<GroupSpaceShip>(r.course, 2);
    ASSERT_TRUE(ships);
    ASSERT_EQ(ships->ships.size(), 3u);
    for (const auto& s : ships->ships) {
        EXPECT_EQ(s.direction, -1) << "pattern 2: all towards -x";
        EXPECT_FLOAT_EQ(s.x, -80.0f);
    }
    const Suelo* plain = as<Suelo>(r.course, 3);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->decorated);
    EXPECT_TRUE(plain->decorations.empty());

    // The depths lay the items one after another: 6, 9, 5 per ship.
    EXPECT_FLOAT_EQ(r.course.items[0]->z, Course::kStart);
    EXPECT_FLOAT_EQ(r.course.items[1]->z, Course::kStart + 6);
    EXPECT_FLOAT_EQ(r.course.items[2]->z, Course::kStart + 15);
    EXPECT_FLOAT_EQ(r.course.items[3]->z, Course::kStart + 30);
    EXPECT_FLOAT_EQ(r.course.end(), Course::kStart + 36);

    // The four ship patterns.
    auto directions = [&](int pattern) {
        GroupSpaceShip g(3, pattern);
        return std::to_string(g.ships[0].direction) + std::to_string(g.ships[1].direction) +
               std::to_string(g.ships[2].direction);
    };
    EXPECT_EQ(directions(1), "111");
    EXPECT_EQ(directions(2), "-1-1-1");
    EXPECT_EQ(directions(3), "1-11");
    EXPECT_EQ(directions(4), "-11-1");
}

TEST(LevelFile, SkippedLinesAndTheEndOfReading) {
    FixedRandom random;
    // Unknown first letters, blank lines and CRLF ends: skipped, reading goes on.
    LevelRead r = read("# comment f 9 9\r\n\r\n  x 1 2\nf 2 0\r\n   s 1 3\r\nzzz\na 2 500", random);
    EXPECT_EQ(r.badLine, 0);
    ASSERT_EQ(r.course.size(), 3u);
    EXPECT_TRUE(as<Suelo>(r.course, 0));
    EXPECT_TRUE(as<GroupSpaceShip>(r.course, 1));
    EXPECT_TRUE(as<AsteroidBelt>(r.course, 2));

    // A recognised line whose numbers do not read ends the reading there.
    const struct {
        const char* text;
        std::size_t items;
        int line;
    } bad[] = {
        {"f 2 0\nf 3\nf 1 0\n", 1, 2},        // a missing number
        {"f 2 0\nf x 1\nf 1 0\n", 1, 2},      // not a number
        {"f 2 0\na 4 0\nf 1 0\n", 1, 2},      // period 0 would divide by zero
        {"f 2 0\na -4 100\n", 1, 2},          // negative width
        {"f 99999999999 1\n", 0, 1},          // too large for an int
        {"f 1000 1\n", 0, 1},                 // a floor without end
        {"f 2 2\n", 0, 1},                    // D is 0 or 1
        {"s 2 5\n", 0, 1},                    // no pattern 5
        {"s 2.5 1\n", 0, 1},
        {"floor 2 1\nf 1 0\n", 0, 1},         // "f" then "loor"
    };
    for (const auto& b : bad) {
        r = read(b.text, random);
        EXPECT_EQ(r.course.size(), b.items) << b.text;
        EXPECT_EQ(r.badLine, b.line) << b.text;
    }
}

TEST(LevelFile, GarbageNeverBuildsWithoutEnd) {
    // Random bytes and a good file cut at every length: each read ends, with
    // at most one item per line.
    FixedRandom random;
    std::string bytes;
    unsigned x = 4321;
    for (int i = 0; i < 3000; ++i) {
        x = x * 1103515245u + 12345u;
        const char pool[] = "fas 0123456789-+\n\r#x";
        bytes += pool[(x >> 16) % (sizeof pool - 1)];
    }
    const std::size_t lines = std::size_t(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    EXPECT_LE(read(bytes, random).course.size(), lines);
    const std::string good = "f 3 1\na 4 1000\ns 3 2\nf 1 0\n";
    for (std::size_t n = 0; n <= good.size(); ++n) EXPECT_LE(read(good.substr(0, n), random).course.size(), 4u);
}

TEST(LevelFile, MissingAndBadFilesAreNamed) {
    FixedRandom random;
    std::ostringstream log;
    Course c = loadLevel("/nonexistent/niveles/nivel7.txt", random, log);
    EXPECT_EQ(c.size(), 0u);
    EXPECT_FLOAT_EQ(c.end(), Course::kStart);
    EXPECT_NE(log.str().find("/nonexistent/niveles/nivel7.txt"), std::string::npos);
    EXPECT_EQ(levelPath(2), "./niveles/nivel2.txt");
    // A file with nothing to build is named too.
    const std::string empty = ::testing::TempDir() + "orbitdash_empty_level.txt";
    { std::ofstream f(empty); f << "# nothing here\n"; }
    log.str("");
    EXPECT_EQ(loadLevel(empty, random, log).size(), 0u);
    EXPECT_NE(log.str().find("no course items"), std::string::npos);
    std::remove(empty.c_str());

    // A game whose level file is missing starts with no items between the
    // platforms, and the goal is two jumps away.
    std::ostringstream gameLog;
    Game g(random, gameLog, "/nonexistent/nivel");
    EXPECT_EQ(g.course.size(), 0u);
    EXPECT_NE(gameLog.str().find("/nonexistent/nivel1.txt"), std::string::npos);
    orbitdash_test::press(g, SDLK_r);
    for (int jump = 0; jump < 2; ++jump) {
        orbitdash_test::ticks(g, 2);
        ASSERT_TRUE(g.jump(2));
        orbitdash_test::ticks(g, 25);
    }
    EXPECT_EQ(g.state(), kLevelDone);
}

TEST(LevelFile, EachLevelFileBrokenEveryWay) {
    // Deleted, empty, cut in half, random bytes, a folder or a named pipe in
    // its place: the level is read as far as it goes (an empty course when
    // it cannot be opened or holds nothing), the file is named, nothing
    // hangs.
    namespace fs = std::filesystem;
    const fs::path source = fs::path(ORBITDASH_LEVELS).parent_path();
    const fs::path dir = fs::temp_directory_path() / ("orbitdash_levels_" + std::to_string(::getpid()));
    const std::vector<const char*> files = {"nivel1.txt", "nivel2.txt", "nivel3.txt"};
    std::mt19937 bytes(9);
    for (const char* file : files)
        for (hoptest::Break how : {hoptest::Deleted, hoptest::Empty, hoptest::Half, hoptest::Garbage,
                                   hoptest::Folder, hoptest::Pipe}) {
            hoptest::stageBroken(source, dir, files, file, how, bytes);
            FixedRandom random;
            std::ostringstream log;
            const std::string path = (dir / file).string();
            const Course c = loadLevel(path, random, log);
            const bool unread = how == hoptest::Deleted || how == hoptest::Empty || how == hoptest::Folder ||
                                how == hoptest::Pipe;
            if (unread) {
                EXPECT_EQ(c.size(), 0u) << file << " broken " << int(how);
                EXPECT_NE(log.str().find(path), std::string::npos) << file << " broken " << int(how);
            }
            if (how == hoptest::Folder) {
                EXPECT_NE(log.str().find("folder"), std::string::npos) << log.str();
            }
            if (how == hoptest::Pipe) {
                EXPECT_NE(log.str().find("not a regular file"), std::string::npos) << log.str();
            }
        }
    fs::remove_all(dir);
}

TEST(LevelFile, BeltLayoutFromASeededGenerator) {
    // The same seed gives the same belt; the layout follows the formula:
    // columns -W/2 .. W/2 - 1, rows 0..2 at z = 1.8 j, x = 2.7 i + j (u1/100
    // + 0.5), radius u2/200 + base.
    FixedRandom r1(42), r2(42), r3(43);
    const AsteroidBelt a(6, 1000, r1), b(6, 1000, r2), c(6, 1000, r3);
    ASSERT_EQ(a.asteroids.size(), 18u);
    bool differs = false;
    for (std::size_t k = 0; k < a.asteroids.size(); ++k) {
        const Asteroid& x = a.asteroids[k];
        EXPECT_FLOAT_EQ(x.x, b.asteroids[k].x);
        EXPECT_FLOAT_EQ(x.radius, b.asteroids[k].radius);
        differs = differs || x.x != c.asteroids[k].x || x.radius != c.asteroids[k].radius;
        const int i = int(k / 3) - 3, j = int(k % 3);
        EXPECT_FLOAT_EQ(x.z, 1.8f * float(j));
        EXPECT_FLOAT_EQ(x.y, 0.0f);
        const float spread = x.x - 2.7f * float(i);
        EXPECT_TRUE(spread >= float(j) * 0.51f - 1e-4f && spread <= float(j) * 1.5f + 1e-4f) << spread;
        EXPECT_TRUE(x.radius > AsteroidBelt::kBaseRadius && x.radius <= AsteroidBelt::kBaseRadius + 0.5f + 1e-6f);
    }
    EXPECT_TRUE(differs) << "another seed, another belt";
    // An odd width still gives three asteroids per column.
    EXPECT_EQ(AsteroidBelt(5, 1000, r1).asteroids.size(), 15u);
    EXPECT_EQ(AsteroidBelt(0, 1000, r1).asteroids.size(), 0u);

    // rand() % 5 == 0 gives a bottle.
    FixedRandom always(1, 10), never(1, 11);
    for (const Asteroid& x : AsteroidBelt(4, 1000, always).asteroids) EXPECT_TRUE(x.rider.has_value());
    for (const Asteroid& x : AsteroidBelt(4, 1000, never).asteroids) EXPECT_FALSE(x.rider.has_value());

    // Decorations: 50 on a decorated floor, x = u - 5P (u in 1..10P), z = v - 2 (v in 0..4).
    FixedRandom seeds(5);
    const Suelo floor(3, true, seeds);
    ASSERT_EQ(floor.decorations.size(), 50u);
    for (const Vec3& d : floor.decorations) {
        EXPECT_TRUE(d.x >= -14 && d.x <= 15 && d.x == std::floor(d.x)) << d.x;
        EXPECT_TRUE(d.z >= -2 && d.z <= 2 && d.z == std::floor(d.z)) << d.z;
    }
}
