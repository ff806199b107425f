// Level files: one course item per line, laid along the course in file
// order.
//   f P D   a floor of P panels (0..50), decorated when D is 1 (D is 0 or 1)
//   a W T   an asteroid belt of W columns (0..200) scrolling with period T (1..1000000)
//   s C K   a group of C ships (0..50) whose directions follow pattern K (1..4)
// A line whose first character is none of f, a, s (a comment, a blank line)
// is skipped. A recognised line whose numbers do not read (or lie outside
// those ranges, which would divide by zero or build without end) ends the
// reading: the items before it form the level. Once read, each belt takes
// out the asteroids that would hold the player with no way on
// (AsteroidBelt::clearTraps).
#pragma once

#include <iosfwd>
#include <string>

#include "course.h"
#include "random.h"

namespace orbitdash {

struct LevelRead {
    Course course;
    int badLine = 0;  // the line that ended the reading, 0 when none did
};

LevelRead readLevel(std::istream& in, Random& random);

// "./niveles/nivel" + N + ".txt" (under `prefix` instead of "./niveles/nivel").
std::string levelPath(int level, const std::string& prefix = "./niveles/nivel");

// Opens and reads the file; a file that cannot be opened (missing, a
// folder, a pipe) gives an empty course. Either trouble is told on
// `messages`, naming the file.
Course loadLevel(const std::string& path, Random& random, std::ostream& messages);

}  // namespace orbitdash
