// lanehop's level grid reader, and the walk the world makes over the grid
// (every row against the first row's width).
#include "fuzz.h"
#include "level.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in = hopfuzz::stream(data, size);
  try {
    const lanehop::Grid grid = lanehop::parseLevel(in);
    int tiles = 0;
    for (const auto& row : grid)
      for (char c : row) tiles += c;
    hopfuzz::keep(tiles);
  } catch (const lanehop::LevelFormatError&) {
  }
  return 0;
}
