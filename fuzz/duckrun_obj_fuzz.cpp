// duckrun's model reader and the walk that builds its display lists: every
// corner of every face of three or four corners.
#include "assets.h"
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in = hopfuzz::stream(data, size);
  try {
    const duckrun::DuckMesh mesh = duckrun::readDuckModel(in, "fuzz.obj");
    float sum = 0;
    for (const auto& face : mesh.faces)
      for (int k = 0; k < face.count; ++k) {
        const auto& c = face.corners.at(std::size_t(k));
        sum += mesh.positions.at(std::size_t(c.p)).x + mesh.texcoords.at(std::size_t(c.t))[0] +
               mesh.normals.at(std::size_t(c.n)).x;
      }
    hopfuzz::keep(sum);
  } catch (const duckrun::AssetError&) {
  }
  return 0;
}
