// lanehop's directive files (the models F5 reloads): every line parsed.
#include "directed.h"
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static hop::Directed* object = new hop::Directed("-/no/such/file");  // lives for the run
  std::istringstream in = hopfuzz::stream(data, size);
  std::ostringstream log;
  object->parse(in, log);
  float sum = 0;
  for (const auto& [kind, v] : object->getDirectives()) sum += float(kind) + v.x + v.y + v.z;
  hopfuzz::keep(sum);
  return 0;
}
