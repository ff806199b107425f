// The shared OBJ loader in both dialects, then the walk a game's drawing
// makes over what it returned: one texture coordinate, normal and position
// per corner, three corners per triangle.
#include <cmath>
#include <cstdlib>
#include <ostream>

#include "fuzz.h"
#include "objloader/objloader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (const objloader::Dialect* dialect : {&objloader::kLineDialect, &objloader::kWordDialect}) {
    std::vector<objloader::Point> positions, normals;
    std::vector<objloader::TexCoord> uvs;
    std::istringstream in = hopfuzz::stream(data, size);
    std::ostringstream messages;
    const bool ok = objloader::readObjModel(in, positions, uvs, normals, *dialect, messages);
    if (positions.size() != uvs.size() || positions.size() != normals.size() || positions.size() % 3 != 0) std::abort();
    if (!ok && !positions.empty()) std::abort();  // a refused file leaves the arrays as they were
    float sum = 0;
    for (std::size_t i = 0; i < positions.size(); ++i)
      sum += uvs[i].u + uvs[i].v + normals[i].x + normals[i].y + normals[i].z + positions[i].x + positions[i].y +
             positions[i].z;
    hopfuzz::keep(sum);
  }
  return 0;
}
