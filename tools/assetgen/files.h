// File output helpers: every failure becomes a std::runtime_error that names
// the path, which main() prints before exiting with status 1.
#pragma once

#include <filesystem>
#include <string>

namespace assetgen {

void ensureParentFolder(const std::filesystem::path& file);
// Writes the bytes exactly (binary mode: '\n' stays '\n').
void writeFile(const std::filesystem::path& file, const std::string& bytes);
// Copies a file byte for byte, overwriting the destination.
void copyFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace assetgen
