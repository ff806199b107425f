#include "games.h"

namespace assetgen {

const std::vector<Game>& games() {
  static const std::vector<Game> table = {
      {"boardhop", generateBoardhop},
  };
  return table;
}

const Game* findGame(const std::string& name) {
  for (const Game& g : games())
    if (name == g.name) return &g;
  return nullptr;
}

}  // namespace assetgen
