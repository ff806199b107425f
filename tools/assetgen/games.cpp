#include "games.h"

#include <algorithm>

namespace assetgen {

namespace {
std::vector<Game>& table() {
  static std::vector<Game> registered;
  return registered;
}
}  // namespace

GameRegistration::GameRegistration(const char* name, void (*generate)(const std::filesystem::path& outdir)) {
  auto& t = table();
  auto at = std::find_if(t.begin(), t.end(), [&](const Game& g) { return std::string(name) < g.name; });
  t.insert(at, Game{name, generate});
}

const std::vector<Game>& games() { return table(); }

const Game* findGame(const std::string& name) {
  for (const Game& g : games())
    if (name == g.name) return &g;
  return nullptr;
}

}  // namespace assetgen
