// boardhop's OBJ reader and the walk its mesh upload makes over the vertices.
#include "fuzz.h"
#include "objloader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in = hopfuzz::stream(data, size);
  try {
    const std::vector<boardhop::Vertex> vertices = boardhop::loadObj(in);
    float sum = 0;
    for (const boardhop::Vertex& v : vertices)
      for (int i = 0; i < 3; ++i) sum += v.position[i] + v.normal[i] + v.color[i] + (i < 2 ? v.texcoord[i] : 0.f);
    hopfuzz::keep(sum);
  } catch (const boardhop::ObjError&) {
  }
  return 0;
}
