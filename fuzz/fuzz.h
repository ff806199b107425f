// Shared by the fuzz targets: the input as a stream, and a sink for the
// readers' messages so the fuzzer's output stays readable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace hopfuzz {

inline std::istringstream stream(const std::uint8_t* data, std::size_t size) {
  return std::istringstream(std::string(reinterpret_cast<const char*>(data), size));
}

// Keeps a value alive so the optimiser cannot drop the walk that made it.
template <typename T>
inline void keep(const T& value) {
  asm volatile("" : : "g"(&value) : "memory");
}

}  // namespace hopfuzz
