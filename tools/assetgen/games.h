// The registry of games the generator knows. A new game adds its file under
// games/ and registers itself there:
//   static const GameRegistration registration{"name", generateName};
// The build picks up every file under games/.
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

// Sorted by name.
const std::vector<Game>& games();
const Game* findGame(const std::string& name);

struct GameRegistration {
  GameRegistration(const char* name, void (*generate)(const std::filesystem::path& outdir));
};

void generateBoardhop(const std::filesystem::path& outdir);

}  // namespace assetgen
