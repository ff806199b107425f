#include "azar.h"

#include <cstdlib>

namespace marsdash {

float azarUnidad() { return float(std::rand() % 32768) / 32767.0f; }

int azar(int n) { return n > 0 ? std::rand() % n : 0; }

}  // namespace marsdash
