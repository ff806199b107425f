// assetgen <game> <outdir>: writes every model, texture, image and font file
// the game reads under outdir. Exit status 0 on success, 2 for bad usage,
// 1 when something could not be produced. `assetgen --list` prints the
// games it knows, one a line.
// assetgen --icons <hero> <dir> <icon>: the hero's desktop icons in a hicolor
// layout under dir (48, 128 and 256 pixels), named <icon>.png.
#include <cstdio>
#include <exception>
#include <string>

#include "fonts.h"
#include "games.h"
#include "heroes.h"

namespace {

int usage() {
  std::string names;
  for (const assetgen::Game& g : assetgen::games()) names += std::string(names.empty() ? "" : "|") + g.name;
  std::fprintf(stderr, "usage: assetgen <%s> <outdir>\n       assetgen --fonts\n       assetgen --list\n"
               "       assetgen --icons <hero> <dir> <icon>\n", names.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--fonts") {
    std::fputs(assetgen::fontListing().c_str(), stdout);
    return 0;
  }
  if (argc == 5 && std::string(argv[1]) == "--icons") {
    const assetgen::Hero* hero = assetgen::findHero(argv[2]);
    if (!hero) {
      std::string names;
      for (const assetgen::Hero& h : assetgen::heroes()) names += std::string(names.empty() ? "" : " ") + h.name;
      std::fprintf(stderr, "assetgen: unknown hero '%s' (heroes: %s)\n", argv[2], names.c_str());
      return 2;
    }
    try {
      assetgen::writeIcons(hero->build(), argv[3], argv[4]);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "assetgen --icons %s: %s\n", argv[2], e.what());
      return 1;
    }
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
