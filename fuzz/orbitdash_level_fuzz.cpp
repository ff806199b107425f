// orbitdash's level files and the step that consumes them: the course built
// item by item and every item advanced as play advances it.
#include "fuzz.h"
#include "level.h"

namespace {
struct FixedRandom : orbitdash::Random {
  std::uint32_t seed() override { return 7u; }
  int rand() override {
    next = next * 1103515245u + 12345u;
    return int(next >> 1 & 0x7fffffffu);
  }
  std::uint32_t next = 1;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in = hopfuzz::stream(data, size);
  FixedRandom random;
  orbitdash::LevelRead read = orbitdash::readLevel(in, random);
  orbitdash::Settings settings;
  float sum = read.course.end();
  for (int step = 0; step < 3; ++step)
    for (auto& item : read.course.items) {
      item->advance(settings);
      sum += item->depth();
    }
  hopfuzz::keep(sum);
  return 0;
}
