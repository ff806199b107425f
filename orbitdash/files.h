// Opening the files the game reads: only a regular file is opened, so a
// folder or a named pipe in a file's place is refused by name instead of
// failing without a path in the middle of a read, or blocking in open().
#pragma once

#include <fstream>
#include <string>

namespace orbitdash {

// Opens `path` for reading in binary mode when it names a regular file.
// Otherwise `problem` says what is wrong, in words that follow the path
// ("not found", "is a folder, not a file", ...).
bool openFile(const std::string& path, std::ifstream& file, std::string& problem);

}  // namespace orbitdash
