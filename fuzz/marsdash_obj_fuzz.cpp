// marsdash's OBJ reader, with and without material groups, and the index
// walk its drawing makes: every corner of every face, group by group.
#include <cstdlib>

#include "fuzz.h"
#include "modelo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (bool materials : {false, true}) {
    std::istringstream in = hopfuzz::stream(data, size);
    marsdash::Modelo m;
    try {
      marsdash::leerModelo(in, materials, m);
    } catch (const marsdash::ErrorModelo&) {
      continue;
    }
    std::size_t corner = 0;
    float sum = 0;
    for (int n : m.esquinas)
      for (int k = 0; k < n; ++k, ++corner) {
        // The drawing looks each index up without checking: the reader must have.
        sum += m.puntos.at(std::size_t(m.iPunto.at(corner) - 1))[0];
        sum += m.texturas.at(std::size_t(m.iTextura.at(corner) - 1))[0];
        sum += m.normales.at(std::size_t(m.iNormal.at(corner) - 1))[0];
      }
    std::size_t faces = 0;
    for (int g : m.grupos) faces += std::size_t(g);
    if (materials && !m.grupos.empty() && faces != m.caras()) std::abort();
    hopfuzz::keep(sum);
  }
  return 0;
}
