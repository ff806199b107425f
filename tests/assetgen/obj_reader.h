// A deliberately strict OBJ reader for checking what assetgen writes: numbers
// must use '.', corners must be positive indices within range.
#pragma once

#include <array>
#include <istream>
#include <string>
#include <vector>

struct ObjCorner {
  int p = 0, t = 0, n = 0;  // 1-based; 0 where the corner leaves it out
};

struct ObjData {
  std::vector<std::array<double, 3>> v, vn;
  std::vector<std::array<double, 2>> vt;
  std::vector<std::vector<ObjCorner>> faces;
  std::vector<std::string> faceMaterial;  // usemtl in force for each face
  std::vector<std::string> keywords;      // first word of every non-empty line, in order
};

// Throws std::runtime_error describing the first malformed line.
ObjData parseObj(std::istream& in);
ObjData parseObjText(const std::string& text);
ObjData parseObjFile(const std::string& path);
