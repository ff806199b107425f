// The registry of games the generator knows. A new game adds its file under
// games/, one line to the table in games.cpp and its source to CMakeLists.txt.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace assetgen {

struct Game {
  const char* name;
  // Writes every file of the game under outdir; throws std::runtime_error on failure.
  void (*generate)(const std::filesystem::path& outdir);
};

const std::vector<Game>& games();
const Game* findGame(const std::string& name);

void generateBoardhop(const std::filesystem::path& outdir);

}  // namespace assetgen
