#include "obj_reader.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

double number(const std::string& word, const std::string& line) {
  double d = 0;
  const auto res = std::from_chars(word.data(), word.data() + word.size(), d);
  if (res.ec != std::errc() || res.ptr != word.data() + word.size())
    throw std::runtime_error("bad number '" + word + "' in: " + line);
  return d;
}

int index(const std::string& part, std::size_t count, const std::string& line) {
  int i = 0;
  const auto res = std::from_chars(part.data(), part.data() + part.size(), i);
  if (res.ec != std::errc() || res.ptr != part.data() + part.size() || i < 1 || std::size_t(i) > count)
    throw std::runtime_error("bad index '" + part + "' in: " + line);
  return i;
}

template <std::size_t N>
std::array<double, N> numbers(std::istringstream& words, const std::string& line) {
  std::array<double, N> out{};
  std::string w;
  for (auto& x : out) {
    if (!(words >> w)) throw std::runtime_error("too few numbers in: " + line);
    x = number(w, line);
  }
  if (words >> w) throw std::runtime_error("too many numbers in: " + line);
  return out;
}

}  // namespace

ObjData parseObj(std::istream& in) {
  ObjData d;
  std::string line, material;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') throw std::runtime_error("CR line end");
    std::istringstream words(line);
    std::string key;
    if (!(words >> key)) continue;
    d.keywords.push_back(key);
    if (key == "v") d.v.push_back(numbers<3>(words, line));
    else if (key == "vn") d.vn.push_back(numbers<3>(words, line));
    else if (key == "vt") d.vt.push_back(numbers<2>(words, line));
    else if (key == "usemtl") words >> material;
    else if (key == "f") {
      std::vector<ObjCorner> face;
      std::string corner;
      while (words >> corner) {
        ObjCorner c;
        const auto s1 = corner.find('/');
        c.p = index(corner.substr(0, s1), d.v.size(), line);
        if (s1 != std::string::npos) {
          const auto s2 = corner.find('/', s1 + 1);
          const std::string t = corner.substr(s1 + 1, s2 == std::string::npos ? std::string::npos : s2 - s1 - 1);
          if (!t.empty()) c.t = index(t, d.vt.size(), line);
          if (s2 != std::string::npos) c.n = index(corner.substr(s2 + 1), d.vn.size(), line);
        }
        face.push_back(c);
      }
      if (face.size() < 3) throw std::runtime_error("face with fewer than 3 corners: " + line);
      d.faces.push_back(face);
      d.faceMaterial.push_back(material);
    }
  }
  return d;
}

ObjData parseObjText(const std::string& text) {
  std::istringstream in(text);
  return parseObj(in);
}

ObjData parseObjFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return parseObj(in);
}
