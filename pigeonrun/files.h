// What the game checks of a path before it opens it: only a regular file
// is read. A folder opens but fails on the first read, without its name in
// the error; a named pipe blocks the open until something writes to it.
#pragma once

#include <string>

namespace pigeonrun {

// Why `path` cannot be read as a file: "cannot open the file" when it is
// missing or out of reach, "is a folder, not a file", "is not a regular
// file" (a pipe, a device, a socket); empty for a regular file. Links are
// followed.
std::string fileProblem(const std::string& path);

}  // namespace pigeonrun
