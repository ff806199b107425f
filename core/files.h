// What is in a file's place before any reader opens it: a named pipe blocks
// open() until something writes to it, and a folder opens and reads as an
// error without a path. Every reader of the engine and the game asks first.
#pragma once

#include <string>

namespace hop {

// Empty when `path` is a regular file (after links); otherwise why it cannot
// be read, in the words of the game's messages: "falta el archivo", "es una
// carpeta, no un archivo" or "no es un archivo normal (una tubería, un
// dispositivo…)".
std::string fileProblem(const std::string& path);
// fileProblem's answer for a path where nothing is.
extern const char* const kMissingFile;

}  // namespace hop
