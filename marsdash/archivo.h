// What is in a file's place before a reader opens it: a named pipe blocks
// open() until something writes to it, and a folder opens and then fails to
// read with no word of why.
#pragma once

#include <string>

namespace marsdash {

// Empty for a regular file (after links); else why it cannot be read:
// "cannot open the file" (nothing there), "is a folder, not a file" or "is
// not a regular file (a pipe, a device)".
std::string problemaDeArchivo(const std::string& ruta);

}  // namespace marsdash
