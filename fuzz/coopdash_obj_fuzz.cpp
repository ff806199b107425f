// coopdash's OBJ reader and the walk its display lists make: every index of
// every mesh into that mesh's vertices. Material libraries the input names
// are looked for in a folder that does not exist.
#include "fuzz.h"
#include "lector_obj.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in = hopfuzz::stream(data, size);
  std::ostringstream console;
  coopdash::Loader loader(&console);
  if (!loader.load(in, "/nonexistent-fuzz-folder/")) return 0;
  float sum = 0;
  for (const coopdash::Mesh& mesh : loader.loadedMeshes)
    for (unsigned i : mesh.indices) {
      const coopdash::Vertex& v = mesh.vertices.at(i);
      sum += v.position[0] + v.normal[1] + v.textureCoordinate[0];
    }
  hopfuzz::keep(sum);
  return 0;
}
