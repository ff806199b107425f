// henrun's model reader (the shared loader in its word dialect, refusing a
// model without triangles) and what the game then does with the model: the
// box round it and one position, texture coordinate and normal per corner.
#include <cstdlib>

#include "fuzz.h"
#include "recursos.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in = hopfuzz::stream(data, size);
  try {
    const henrun::Geometria g = henrun::leerModelo(in, "fuzz.obj");
    if (g.positions.empty() || g.positions.size() != g.uvs.size() || g.positions.size() != g.normals.size() ||
        g.positions.size() % 3 != 0)
      std::abort();
    float sum = 0;
    for (std::size_t i = 0; i < g.positions.size(); ++i) {
      const objloader::Point& p = g.positions[i];
      // The box holds every corner (NaN corners compare false and pass).
      if (p.x < g.min.x || p.y < g.min.y || p.z < g.min.z || p.x > g.max.x || p.y > g.max.y || p.z > g.max.z)
        std::abort();
      sum += p.x + p.y + p.z + g.uvs[i].u + g.uvs[i].v + g.normals[i].x + g.normals[i].y + g.normals[i].z;
    }
    hopfuzz::keep(sum);
  } catch (const henrun::ErrorArchivo&) {
  }
  return 0;
}
