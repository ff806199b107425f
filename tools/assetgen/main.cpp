// assetgen <game> <outdir>: writes every model, texture, image and font file
// the game reads under outdir. Exit status 0 on success, 2 for bad usage,
// 1 when something could not be produced. `assetgen --list` prints the
// games it knows, one a line.
#include <cstdio>
#include <exception>
#include <string>

#include "fonts.h"
#include "games.h"

namespace {

int usage() {
  std::string names;
  for (const assetgen::Game& g : assetgen::games()) names += std::string(names.empty() ? "" : "|") + g.name;
  std::fprintf(stderr, "usage: assetgen <%s> <outdir>\n       assetgen --fonts\n       assetgen --list\n",
               names.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--fonts") {
    std::fputs(assetgen::fontListing().c_str(), stdout);
    return 0;
  }
  if (argc == 2 && std::string(argv[1]) == "--list") {
    for (const assetgen::Game& g : assetgen::games()) std::printf("%s\n", g.name);
    return 0;
  }
  if (argc != 3) return usage();
  const assetgen::Game* game = assetgen::findGame(argv[1]);
  if (!game) {
    std::fprintf(stderr, "assetgen: unknown game '%s'\n", argv[1]);
    return usage();
  }
  try {
    game->generate(argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "assetgen %s: %s\n", argv[1], e.what());
    return 1;
  }
  return 0;
}
