// A game's folder with one of its files broken, for the tests that break
// every file a game reads: the other files are links to the real ones.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace hoptest {

// Folder and Pipe put a directory or a named pipe (nobody writes to it) in
// the file's place: a reader that opens it without checking its type gets an
// error without a path, or blocks in open().
enum Break { Deleted, Empty, Half, Garbage, Folder, Pipe };

// Lays out `dir` afresh as links to `files` under `source`, then replaces
// `file` with nothing, an empty file, its first half, random bytes of its
// size, a folder or a named pipe.
inline void stageBroken(const std::filesystem::path& source, const std::filesystem::path& dir,
                        const std::vector<const char*>& files, const char* file, Break how, std::mt19937& random) {
  namespace fs = std::filesystem;
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const char* f : files) {
    fs::create_directories((dir / f).parent_path());
    fs::create_symlink(source / f, dir / f);
  }
  const fs::path broken = dir / file;
  const auto size = fs::file_size(broken);
  std::string bytes;
  if (how == Half) {
    std::ifstream in(broken, std::ios::binary);
    bytes.resize(size / 2);
    in.read(&bytes[0], std::streamsize(bytes.size()));
  } else if (how == Garbage) {
    for (std::uintmax_t i = 0; i < size; ++i) bytes += char(random() & 0xff);
  }
  fs::remove(broken);
  if (how == Folder) {
    fs::create_directory(broken);
  } else if (how == Pipe) {
    if (mkfifo(broken.c_str(), 0600) != 0) throw std::runtime_error("hoptest: mkfifo " + broken.string());
  } else if (how != Deleted) {
    std::ofstream(broken, std::ios::binary) << bytes;
  }
}

}  // namespace hoptest
