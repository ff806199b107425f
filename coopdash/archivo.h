// Reading the files the game loads. Every asset is checked to be a regular
// file before it is opened, and opened without blocking: a named pipe in a
// file's place would otherwise stop start-up in open() until someone wrote
// to it (and SIGTERM would wait with it), and a folder opens fine and only
// fails at the first read with an error that names nothing.
#pragma once

#include <string>

namespace coopdash {

// The whole file in `bytes`; false with `why` (Spanish, without the path)
// when it is missing, not a regular file, too large or unreadable.
bool readAssetFile(const std::string& path, std::string& bytes, std::string& why);

// The same, throwing std::runtime_error "<path>: <why>".
std::string readAssetFile(const std::string& path);

}  // namespace coopdash
