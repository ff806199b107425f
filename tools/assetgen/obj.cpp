#include "obj.h"

#include <charconv>
#include <cmath>
#include <map>
#include <stdexcept>
#include <unordered_map>

#include "files.h"

namespace assetgen {

namespace {

// Interns OBJ vertex lines by their exact text: equal text shares one index,
// and indices follow first use, so the output does not depend on hashing.
class Table {
 public:
  explicit Table(std::string prefix) : prefix_(std::move(prefix)) {}
  int add(std::string line) {
    auto [it, inserted] = index_.emplace(line, int(lines_.size()) + 1);
    if (inserted) lines_.push_back(std::move(line));
    return it->second;
  }
  void appendTo(std::string& out) const {
    for (const auto& l : lines_) out += prefix_ + l + '\n';
  }

 private:
  std::string prefix_;
  std::unordered_map<std::string, int> index_;
  std::vector<std::string> lines_;
};

std::string triple(double a, double b, double c) {
  return formatNumber(a) + ' ' + formatNumber(b) + ' ' + formatNumber(c);
}

Vec3 normalised(Vec3 v) {
  const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return Vec3{v.x / len, v.y / len, v.z / len};
}

struct Corner {
  int p, t, n;
};

std::string cornerText(const Corner& c, Corners form) {
  const std::string p = std::to_string(c.p);
  switch (form) {
    case Corners::PosTexNormal: return p + '/' + std::to_string(c.t) + '/' + std::to_string(c.n);
    case Corners::PosNormal: return p + "//" + std::to_string(c.n);
    case Corners::PosTex: return p + '/' + std::to_string(c.t);
    case Corners::Pos: break;
  }
  return p;
}

}  // namespace

Transform& Transform::rotate(int axis, int quarterTurns) {
  if (axis < 0 || axis > 2) throw std::invalid_argument("rotation axis must be 0, 1 or 2");
  // One positive quarter turn about each axis, as integer matrices.
  static const int kTurn[3][3][3] = {
      {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
      {{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}},
      {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
  };
  for (int turn = 0; turn < ((quarterTurns % 4) + 4) % 4; ++turn) {
    int r[3][3] = {};
    double t[3] = {};
    for (int i = 0; i < 3; ++i)
      for (int k = 0; k < 3; ++k) {
        t[i] += kTurn[axis][i][k] * t_[k];
        for (int j = 0; j < 3; ++j) r[i][j] += kTurn[axis][i][k] * r_[k][j];
      }
    for (int i = 0; i < 3; ++i) {
      t_[i] = t[i];
      for (int j = 0; j < 3; ++j) r_[i][j] = r[i][j];
    }
  }
  return *this;
}

Transform& Transform::scale(float s) {
  if (!(s > 0.f)) throw std::invalid_argument("transform scale must be positive");
  s_ *= s;
  for (double& t : t_) t *= s;
  return *this;
}

Transform& Transform::translate(Vec3 t) {
  t_[0] += t.x;
  t_[1] += t.y;
  t_[2] += t.z;
  return *this;
}

Vec3 Transform::point(Vec3 p) const {
  const double in[3] = {p.x, p.y, p.z};
  double out[3];
  for (int i = 0; i < 3; ++i) out[i] = s_ * (r_[i][0] * in[0] + r_[i][1] * in[1] + r_[i][2] * in[2]) + t_[i];
  return Vec3{float(out[0]), float(out[1]), float(out[2])};
}

Vec3 Transform::direction(Vec3 d) const {
  const float in[3] = {d.x, d.y, d.z};
  float out[3];
  for (int i = 0; i < 3; ++i) out[i] = float(r_[i][0]) * in[0] + float(r_[i][1]) * in[1] + float(r_[i][2]) * in[2];
  return Vec3{out[0], out[1], out[2]};
}

Palette::Palette(int imageSize, int swatch) : imageSize_(imageSize), swatch_(swatch) {
  if (swatch < 1 || imageSize < swatch || imageSize % swatch != 0)
    throw std::invalid_argument("palette size must be a multiple of the swatch size");
}

int Palette::index(Rgba c) {
  c.a = 255;  // the games drop alpha when they load the texture
  for (std::size_t i = 0; i < colours_.size(); ++i)
    if (colours_[i] == c) return int(i);
  const int perRow = imageSize_ / swatch_;
  if (int(colours_.size()) >= perRow * perRow)
    throw std::runtime_error("palette full: more than " + std::to_string(perRow * perRow) + " colours");
  colours_.push_back(c);
  return int(colours_.size()) - 1;
}

std::array<float, 2> Palette::uv(int i) const {
  const int perRow = imageSize_ / swatch_;
  const float half = float(swatch_) * 0.5f, size = float(imageSize_);
  const float u = (float((i % perRow) * swatch_) + half) / size;
  const float v = 1.f - (float((i / perRow) * swatch_) + half) / size;
  return {u, v};
}

Image Palette::image() const {
  Image img(imageSize_, imageSize_, rgb(128, 128, 128));
  const int perRow = imageSize_ / swatch_;
  for (int i = 0; i < size(); ++i)
    for (int y = 0; y < swatch_; ++y)
      for (int x = 0; x < swatch_; ++x)
        img.at((i % perRow) * swatch_ + x, (i / perRow) * swatch_ + y) = colours_[std::size_t(i)];
  return img;
}

std::string formatNumber(double v) {
  char buf[64];
  // std::to_chars never consults the locale, unlike printf and iostreams.
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 5);
  std::string s(buf, res.ptr);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

std::string objText(const Mesh& mesh, Palette& palette, const ObjOptions& options) {
  Table positions("v "), texcoords("vt "), normals("vn ");
  std::string faces;
  const bool materials = !options.mtlLib.empty();
  for (const MeshPart& part : mesh) {
    if (options.objectPerPart) faces += "o " + part.name + '\n';
    if (options.groupPerPart) faces += "g " + part.name + '\n';
    if (options.usemtlPerPart) faces += "usemtl " + part.name + '\n';
    // With materials the faces are grouped by colour, so each usemtl appears once per part.
    std::map<int, std::string> byColour;
    for (const Quad& q : part.quads) {
      const int colour = palette.index(shade(q.colour, options.shade[std::size_t(q.face)]));
      const auto uv = palette.uv(colour);
      const int t = texcoords.add(formatNumber(uv[0]) + ' ' + formatNumber(uv[1]));
      Vec3 n = faceNormal(q.face);
      if (q.face / 2 != 1) n.y += options.sideNormalLift;
      n = normalised(options.transform.direction(normalised(n)));
      const int ni = normals.add(triple(n.x, n.y, n.z));
      Corner c[4];
      for (int i = 0; i < 4; ++i) {
        const Vec3 p = options.transform.point(q.corners[std::size_t(i)]);
        c[i] = Corner{positions.add(triple(p.x, p.y, p.z)), t, ni};
      }
      std::string& out = materials ? byColour[colour] : faces;
      static const int kTriangles[2][3] = {{0, 1, 2}, {0, 2, 3}};
      if (options.quads) {
        out += "f";
        for (const Corner& k : c) out += ' ' + cornerText(k, options.corners);
        out += '\n';
      } else {
        for (const auto& tri : kTriangles) {
          out += "f";
          for (int k : tri) out += ' ' + cornerText(c[k], options.corners);
          out += '\n';
        }
      }
    }
    for (const auto& [colour, text] : byColour) faces += "usemtl c" + std::to_string(colour) + '\n' + text;
  }
  std::string out;
  if (!options.comment.empty()) out += "# " + options.comment + '\n';
  if (materials) out += "mtllib " + options.mtlLib + '\n';
  positions.appendTo(out);
  if (options.corners == Corners::PosTexNormal || options.corners == Corners::PosTex) texcoords.appendTo(out);
  if (options.corners == Corners::PosTexNormal || options.corners == Corners::PosNormal) normals.appendTo(out);
  return out + faces;
}

std::string mtlText(const Palette& palette, const std::string& textureFile) {
  std::string out;
  for (int i = 0; i < palette.size(); ++i) {
    const Rgba c = palette.colour(i);
    out += "newmtl c" + std::to_string(i) + '\n';
    out += "Ka 0 0 0\n";
    out += "Kd " + triple(c.r / 255.0, c.g / 255.0, c.b / 255.0) + '\n';
    out += "Ks 0 0 0\nd 1\nillum 1\n";
    if (!textureFile.empty()) out += "map_Kd " + textureFile + '\n';
    out += '\n';
  }
  return out;
}

void writeModel(const Mesh& mesh, const std::filesystem::path& objFile, const std::filesystem::path& pngFile,
                const ObjOptions& options, int paletteSize, int swatch) {
  Palette palette(paletteSize, swatch);
  writeFile(objFile, objText(mesh, palette, options));
  if (!options.mtlLib.empty())
    writeFile(objFile.parent_path() / options.mtlLib, mtlText(palette, pngFile.filename().string()));
  savePng(palette.image(), pngFile, PixelFormat::Rgb24);
}

}  // namespace assetgen
