// pigeonrun's OBJ reader and the walk its drawing makes: every corner of
// every face, material group by material group.
#include <cstdlib>

#include "fuzz.h"
#include "model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in = hopfuzz::stream(data, size);
  pigeonrun::Model m;
  try {
    pigeonrun::readObj(in, m);
  } catch (const pigeonrun::ModelError&) {
    return 0;
  }
  float sum = 0;
  for (const auto& group : m.groups)
    for (int f = group.first; f <= group.last; ++f)
      for (const pigeonrun::Corner& c : m.faces.at(std::size_t(f)))
        sum += m.positions.at(std::size_t(c.position))[0] + m.texcoords.at(std::size_t(c.texture))[0] +
               m.normals.at(std::size_t(c.normal))[0];
  hopfuzz::keep(sum);
  return 0;
}
