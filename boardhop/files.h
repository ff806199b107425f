// What every reader of the game's files asks first.
#pragma once

#include <string>

namespace boardhop {

// True when `path` exists but is not a plain file (a folder, a named pipe, a
// device): such a path is refused before it is opened, as a missing file is
// (a pipe nobody writes to would block the open for ever).
bool notAPlainFile(const std::string& path);

}  // namespace boardhop
