#include "lector_obj.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>

namespace coopdash {

namespace {

bool endsWith(const std::string& s, const char* tail) {
    const std::string t(tail);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

// Splits a line into its first token and the rest (leading blanks and
// trailing blanks and carriage return removed).
void splitLine(const std::string& line, std::string& first, std::string& rest) {
    std::size_t a = line.find_first_not_of(" \t");
    if (a == std::string::npos) {
        first.clear();
        rest.clear();
        return;
    }
    std::size_t b = line.find_first_of(" \t", a);
    first = line.substr(a, b == std::string::npos ? std::string::npos : b - a);
    rest.clear();
    if (b == std::string::npos) return;
    const std::size_t c = line.find_first_not_of(" \t", b);
    if (c == std::string::npos) return;
    const std::size_t e = line.find_last_not_of(" \t\r");
    rest = line.substr(c, e - c + 1);
}

std::vector<std::string> words(const std::string& s) {
    std::vector<std::string> out;
    std::istringstream in(s);
    std::string w;
    while (in >> w) out.push_back(w);
    return out;
}

// A finite number spelled in full ("1", "-0.5", "2e3"), whatever the locale.
bool parseFloat(const std::string& s, float& out) {
    const char* b = s.data();
    const char* e = b + s.size();
    if (b != e && *b == '+') ++b;
    double v = 0;
    const auto r = std::from_chars(b, e, v);
    if (r.ec != std::errc() || r.ptr != e || !std::isfinite(v)) return false;
    out = float(v);
    return std::isfinite(out);
}

bool parseInt(const std::string& s, long& out) {
    const char* b = s.data();
    const char* e = b + s.size();
    if (b != e && *b == '+') ++b;
    const auto r = std::from_chars(b, e, out);
    return r.ec == std::errc() && r.ptr == e && b != e;
}

// n floats from the words of `rest` (extra words allowed); false when fewer
// or malformed.
bool floats(const std::string& rest, int n, float* out) {
    const std::vector<std::string> w = words(rest);
    if (int(w.size()) < n) return false;
    for (int i = 0; i < n; ++i)
        if (!parseFloat(w[std::size_t(i)], out[i])) return false;
    return true;
}

// Exactly n floats; anything else leaves `out` as it was.
void exactFloats(const std::string& rest, int n, float* out) {
    const std::vector<std::string> w = words(rest);
    if (int(w.size()) != n) return;
    float v[3];
    for (int i = 0; i < n; ++i)
        if (!parseFloat(w[std::size_t(i)], v[i])) return;
    for (int i = 0; i < n; ++i) out[i] = v[i];
}

// A 1-based index, or a negative one counting back from the `count` items
// read so far, into 0-based; false when zero or outside.
bool resolveIndex(const std::string& s, std::size_t count, std::size_t& out) {
    long v = 0;
    if (!parseInt(s, v) || v == 0) return false;
    if (v > 0) {
        if (std::size_t(v) > count) return false;
        out = std::size_t(v - 1);
        return true;
    }
    if (std::size_t(-v) > count) return false;
    out = count - std::size_t(-v);
    return true;
}

using P3 = std::array<float, 3>;
P3 sub(const P3& a, const P3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
P3 cross(const P3& a, const P3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

}  // namespace

std::vector<unsigned> triangulate(const std::vector<P3>& pts) {
    const std::size_t n = pts.size();
    std::vector<unsigned> out;
    if (n < 3) return out;
    if (n == 3) return {0, 1, 2};
    // Newell's normal picks the plane to work in.
    P3 nrm{0, 0, 0};
    for (std::size_t i = 0; i < n; ++i) {
        const P3& a = pts[i];
        const P3& b = pts[(i + 1) % n];
        nrm[0] += (a[1] - b[1]) * (a[2] + b[2]);
        nrm[1] += (a[2] - b[2]) * (a[0] + b[0]);
        nrm[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    int drop = 0;
    for (int k = 1; k < 3; ++k)
        if (std::fabs(nrm[std::size_t(k)]) > std::fabs(nrm[std::size_t(drop)])) drop = k;
    const int u = (drop + 1) % 3, v = (drop + 2) % 3;
    const float sign = nrm[std::size_t(drop)] >= 0 ? 1.f : -1.f;
    const auto area2 = [&](std::size_t a, std::size_t b, std::size_t c) {
        const P3 &A = pts[a], &B = pts[b], &C = pts[c];
        return sign * ((B[std::size_t(u)] - A[std::size_t(u)]) * (C[std::size_t(v)] - A[std::size_t(v)]) -
                       (B[std::size_t(v)] - A[std::size_t(v)]) * (C[std::size_t(u)] - A[std::size_t(u)]));
    };
    std::vector<std::size_t> ring(n);
    for (std::size_t i = 0; i < n; ++i) ring[i] = i;
    std::size_t guard = 0;
    while (ring.size() > 3 && guard < n * n) {
        ++guard;
        bool clipped = false;
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const std::size_t a = ring[(i + ring.size() - 1) % ring.size()], b = ring[i],
                              c = ring[(i + 1) % ring.size()];
            if (area2(a, b, c) <= 0) continue;  // reflex or degenerate corner
            bool inside = false;
            for (std::size_t p : ring) {
                if (p == a || p == b || p == c) continue;
                if (area2(a, b, p) >= 0 && area2(b, c, p) >= 0 && area2(c, a, p) >= 0) {
                    inside = true;
                    break;
                }
            }
            if (inside) continue;
            out.insert(out.end(), {unsigned(a), unsigned(b), unsigned(c)});
            ring.erase(ring.begin() + std::ptrdiff_t(i));
            clipped = true;
            break;
        }
        if (!clipped) break;  // degenerate outline: fan the rest
    }
    for (std::size_t i = 1; i + 1 < ring.size(); ++i)
        out.insert(out.end(), {unsigned(ring[0]), unsigned(ring[i]), unsigned(ring[i + 1])});
    return out;
}

Loader::Loader(std::ostream* console) : console_(console ? *console : std::cout) {}

bool Loader::loadFile(const std::string& path) {
    if (!endsWith(path, ".obj")) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error.clear();
        return false;
    }
    const std::size_t slash = path.find_last_of('/');
    return load(in, slash == std::string::npos ? std::string() : path.substr(0, slash));
}

void Loader::storeMesh(const std::string& name) {
    Mesh m;
    m.name = name;
    m.vertices = std::move(meshVertices_);
    m.indices = std::move(meshIndices_);
    loadedMeshes.push_back(std::move(m));
    meshVertices_.clear();
    meshIndices_.clear();
}

void Loader::progress() {
    console_ << "\r- " << meshName_ << "\t| vertices > " << positions_.size() / 3 << "\t| texcoords > "
             << texcoords_.size() / 2 << "\t| normals > " << normals_.size() / 3 << "\t| triangles > "
             << meshVertices_.size() / 3;
    if (!materialNames_.empty()) console_ << "\t| material: " << materialNames_.back();
}

bool Loader::parseFace(const std::string& rest) {
    const std::vector<std::string> corners = words(rest);
    if (corners.size() < 3) {
        error = "a face needs three corners";
        return false;
    }
    std::vector<Vertex> face;
    bool allNormals = true;
    for (const std::string& c : corners) {
        std::string parts[3];
        int count = 0;
        std::size_t from = 0;
        for (;;) {
            const std::size_t slash = c.find('/', from);
            if (count == 3) {
                error = "bad corner '" + c + "'";
                return false;
            }
            parts[count++] = c.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
            if (slash == std::string::npos) break;
            from = slash + 1;
        }
        Vertex v;
        std::size_t i = 0;
        if (!resolveIndex(parts[0], positions_.size() / 3, i)) {
            error = "position index out of range or malformed in '" + c + "'";
            return false;
        }
        for (int k = 0; k < 3; ++k) v.position[k] = positions_[3 * i + std::size_t(k)];
        if (count >= 2 && !parts[1].empty()) {
            if (!resolveIndex(parts[1], texcoords_.size() / 2, i)) {
                error = "texture index out of range or malformed in '" + c + "'";
                return false;
            }
            v.textureCoordinate[0] = texcoords_[2 * i];
            v.textureCoordinate[1] = texcoords_[2 * i + 1];
        } else if (count == 2) {
            error = "empty texture index in '" + c + "'";
            return false;
        }
        if (count == 3) {
            if (!resolveIndex(parts[2], normals_.size() / 3, i)) {
                error = "normal index out of range or malformed in '" + c + "'";
                return false;
            }
            for (int k = 0; k < 3; ++k) v.normal[k] = normals_[3 * i + std::size_t(k)];
        } else {
            allNormals = false;
        }
        face.push_back(v);
    }
    std::vector<P3> pts;
    for (const Vertex& v : face) pts.push_back({v.position[0], v.position[1], v.position[2]});
    if (!allNormals) {
        P3 n = cross(sub(pts[1], pts[0]), sub(pts[2], pts[0]));
        const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (len > 0)
            for (float& x : n) x /= len;
        for (Vertex& v : face)
            for (int k = 0; k < 3; ++k) v.normal[k] = n[std::size_t(k)];
    }
    const unsigned meshBase = unsigned(meshVertices_.size()), fileBase = unsigned(loadedVertices.size());
    for (const Vertex& v : face) {
        meshVertices_.push_back(v);
        loadedVertices.push_back(v);
    }
    for (unsigned k : triangulate(pts)) {
        meshIndices_.push_back(meshBase + k);
        loadedIndices.push_back(fileBase + k);
    }
    return true;
}

bool Loader::load(std::istream& in, const std::string& directory) {
    loadedMeshes.clear();
    loadedVertices.clear();
    loadedIndices.clear();
    loadedMaterials.clear();
    positions_.clear();
    texcoords_.clear();
    normals_.clear();
    materialNames_.clear();
    meshVertices_.clear();
    meshIndices_.clear();
    missingMaterials.clear();
    libraries.clear();
    meshName_.clear();
    named_ = false;
    splits_ = 0;
    error.clear();

    int counter = 1000;
    int lineNumber = 0;
    std::string line, first, rest;
    const auto fail = [&](const std::string& why) {
        console_ << "\n";
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        counter = (counter + 1) % 1000;
        if (counter == 1 && named_) progress();
        splitLine(line, first, rest);
        if (first == "o" || first == "g" || (!line.empty() && line[0] == 'g')) {
            const std::string name = rest.empty() ? "unnamed" : rest;
            if (named_ && !meshVertices_.empty() && !meshIndices_.empty()) storeMesh(meshName_);
            meshName_ = name;
            named_ = true;
        } else if (first == "v") {
            float p[3];
            if (!floats(rest, 3, p)) return fail("a position needs three numbers");
            positions_.insert(positions_.end(), p, p + 3);
        } else if (first == "vt") {
            float t[2];
            if (!floats(rest, 2, t)) return fail("a texture coordinate needs two numbers");
            texcoords_.insert(texcoords_.end(), t, t + 2);
        } else if (first == "vn") {
            float n[3];
            if (!floats(rest, 3, n)) return fail("a normal needs three numbers");
            normals_.insert(normals_.end(), n, n + 3);
        } else if (first == "f") {
            if (!parseFace(rest)) return fail(error);
        } else if (first == "usemtl") {
            materialNames_.push_back(rest);
            if (!meshVertices_.empty() && !meshIndices_.empty()) {
                storeMesh((named_ ? meshName_ : std::string("unnamed")) + "_" + std::to_string(++splits_));
            }
        } else if (first == "mtllib") {
            const std::string path = directory.empty() ? rest : directory + "/" + rest;
            console_ << "\n- find materials in: " << path << "\n";
            libraries.push_back({path, loadMaterials(path)});
        }
    }
    console_ << "\n";
    if (!meshVertices_.empty() && !meshIndices_.empty()) storeMesh(named_ ? meshName_ : std::string("unnamed"));
    for (std::size_t i = 0; i < materialNames_.size(); ++i) {
        const Material* found = nullptr;
        for (const Material& m : loadedMaterials)
            if (m.name == materialNames_[i]) found = &m;
        if (!found) {
            missingMaterials.push_back(materialNames_[i]);
            continue;
        }
        if (i < loadedMeshes.size()) loadedMeshes[i].material = *found;
    }
    if (loadedMeshes.empty() && loadedVertices.empty() && loadedIndices.empty()) {
        error = "no faces";
        return false;
    }
    return true;
}

bool Loader::loadMaterials(const std::string& path) {
    if (!endsWith(path, ".mtl")) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    return loadMaterials(in);
}

bool Loader::loadMaterials(std::istream& in) {
    std::string line, first, rest;
    Material current;
    bool reading = false;
    bool stored = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        splitLine(line, first, rest);
        if (first == "newmtl") {
            if (reading) {
                loadedMaterials.push_back(current);
                stored = true;
            }
            current = Material();
            current.name = line.size() < 8 || rest.empty() ? "none" : rest;
            reading = true;
            continue;
        }
        if (!reading) continue;
        if (first == "Ka") exactFloats(rest, 3, current.Ka);
        else if (first == "Kd") exactFloats(rest, 3, current.Kd);
        else if (first == "Ks") exactFloats(rest, 3, current.Ks);
        else if (first == "Ns") exactFloats(rest, 1, &current.Ns);
        else if (first == "Ni") exactFloats(rest, 1, &current.Ni);
        else if (first == "d") exactFloats(rest, 1, &current.d);
        else if (first == "illum") {
            long v = 0;
            const std::vector<std::string> w = words(rest);
            if (w.size() == 1 && parseInt(w[0], v) && v >= 0 && v < 100) current.illum = int(v);
        } else if (first == "map_Ka") current.map_Ka = rest;
        else if (first == "map_Kd") current.map_Kd = rest;
        else if (first == "map_Ks") current.map_Ks = rest;
        else if (first == "map_Ns") current.map_Ns = rest;
        else if (first == "map_d") current.map_d = rest;
        else if (first == "map_Bump" || first == "map_bump" || first == "bump") current.map_bump = rest;
    }
    if (reading) {
        loadedMaterials.push_back(current);
        stored = true;
    }
    return stored;
}

}  // namespace coopdash
