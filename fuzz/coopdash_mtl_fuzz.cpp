// coopdash's MTL reader and what drawing takes from each material.
#include "fuzz.h"
#include "lector_obj.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in = hopfuzz::stream(data, size);
  std::ostringstream console;
  coopdash::Loader loader(&console);
  loader.loadMaterials(in);
  float sum = 0;
  for (const coopdash::Material& m : loader.loadedMaterials)
    sum += m.Ka[0] + m.Kd[1] + m.Ks[2] + m.Ns + m.d + float(m.illum) + float(m.name.size() + m.map_Kd.size());
  hopfuzz::keep(sum);
  return 0;
}
