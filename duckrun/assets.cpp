#include "assets.h"

#include <FreeImage.h>
#include <sys/stat.h>

#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace duckrun {

namespace paths {
const char* const kDuckModel = "./assets/models/Duck.obj";
const char* const kDuckTexture = "./assets/textures/Duck.jpg";
const char* const kGrass = "./assets/textures/grass.png";
const char* const kBlackboard = "./assets/textures/blackboard.png";
const std::array<std::string, 6> kDaySky = {
    "./assets/textures/skybox/left.png",  "./assets/textures/skybox/back.png", "./assets/textures/skybox/right.png",
    "./assets/textures/skybox/front.png", "./assets/textures/skybox/top.png",  "./assets/textures/skybox/bottom.png"};
const std::array<std::string, 6> kNightSky = {
    "./assets/textures/skybox/left_night.png",  "./assets/textures/skybox/back_night.png",
    "./assets/textures/skybox/right_night.png", "./assets/textures/skybox/front_night.png",
    "./assets/textures/skybox/top_night.png",   "./assets/textures/skybox/bottom_night.png"};
}  // namespace paths

namespace {

// Only a plain file is opened: a folder would fail half-way through the
// read with a message that does not name it, and a named pipe nobody
// writes to would block the open for ever.
std::ifstream openFile(const std::string& path, const char* what) {
    const std::string cannot = std::string("No se pudo abrir ") + what + " " + path;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) throw AssetError(cannot);
    if (S_ISDIR(st.st_mode)) throw AssetError(cannot + ": es una carpeta, no un archivo");
    if (S_ISFIFO(st.st_mode)) throw AssetError(cannot + ": es una tubería con nombre, no un archivo");
    if (!S_ISREG(st.st_mode)) throw AssetError(cannot + ": no es un archivo común");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw AssetError(cannot);
    return in;
}

// FreeImage reports decoder trouble (a cut-off PNG, a damaged JPEG) through
// this callback while often still returning a picture; any message during a
// load refuses the file.
std::string& imageComplaint() {
    static std::string text;
    return text;
}
void collectComplaint(FREE_IMAGE_FORMAT, const char* message) {
    if (imageComplaint().empty()) imageComplaint() = message ? message : "?";
}

}  // namespace

Picture readPicture(std::istream& in, const std::string& name, int bits) {
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string prefix = "No se pudo leer la imagen " + name + ": ";
    if (bytes.empty()) throw AssetError(prefix + "archivo vacío");
    FreeImage_SetOutputMessage(collectComplaint);
    imageComplaint().clear();
    FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(bytes.data()), DWORD(bytes.size()));
    FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(memory, int(bytes.size()));
    if (format == FIF_UNKNOWN) format = FreeImage_GetFIFFromFilename(name.c_str());
    FIBITMAP* image = format == FIF_UNKNOWN ? nullptr : FreeImage_LoadFromMemory(format, memory, 0);
    FreeImage_CloseMemory(memory);
    if (image && !imageComplaint().empty()) {
        FreeImage_Unload(image);
        image = nullptr;
    }
    if (!image)
        throw AssetError(prefix + (imageComplaint().empty() ? "formato desconocido o archivo dañado" : imageComplaint()));
    FIBITMAP* converted = bits == 32 ? FreeImage_ConvertTo32Bits(image) : FreeImage_ConvertTo24Bits(image);
    FreeImage_Unload(image);
    if (!converted) throw AssetError(prefix + "no se pudo convertir");
    Picture picture;
    picture.width = int(FreeImage_GetWidth(converted));
    picture.height = int(FreeImage_GetHeight(converted));
    picture.bytesPerPixel = bits / 8;
    const std::size_t row = std::size_t(picture.width) * std::size_t(picture.bytesPerPixel);
    picture.pixels.resize(row * std::size_t(picture.height));
    for (int y = 0; y < picture.height; ++y)  // FreeImage pads its scanlines
        std::memcpy(&picture.pixels[row * std::size_t(y)], FreeImage_GetScanLine(converted, y), row);
    FreeImage_Unload(converted);
    if (picture.width <= 0 || picture.height <= 0) throw AssetError(prefix + "imagen vacía");
    return picture;
}

Picture readPicture(const std::string& path, int bits) {
    std::ifstream in = openFile(path, "la imagen");
    try {
        return readPicture(in, path, bits);
    } catch (const AssetError&) {
        throw;
    } catch (const std::exception& e) {  // the stream's own failure (a read error)
        throw AssetError("No se pudo leer la imagen " + path + ": " + e.what());
    }
}

namespace {

std::vector<std::string> splitBlanks(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream words(line);
    std::string w;
    while (words >> w) out.push_back(w);
    return out;
}

// Locale-independent: the file always uses a decimal point.
bool parseFloat(const std::string& s, float& out) {
    const char* end = s.data() + s.size();
    const char* begin = s.data();
    if (begin != end && *begin == '+') ++begin;
    auto [ptr, ec] = std::from_chars(begin, end, out);
    return ec == std::errc() && ptr == end;
}

bool parseInt(const char* begin, const char* end, int& out) {
    auto [ptr, ec] = std::from_chars(begin, end, out);
    return ec == std::errc() && ptr == end;
}

// A 1-based (or negative, from the end) OBJ index into a list of `size`
// entries, as a 0-based index; -1 when out of range.
int resolveIndex(int index, std::size_t size) {
    if (index > 0 && std::size_t(index) <= size) return index - 1;
    if (index < 0 && std::size_t(-(long long)index) <= size) return int(size) + index;
    return -1;
}

}  // namespace

DuckMesh readDuckModel(std::istream& in, const std::string& name) {
    DuckMesh mesh;
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) -> AssetError {
        return AssetError("No se pudo leer el modelo " + name + ": línea " + std::to_string(number) + ": " + why);
    };
    while (std::getline(in, line)) {
        ++number;
        if (line.size() > kMaxModelLine) throw fail("línea de más de 255 caracteres");
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> words = splitBlanks(line);
        if (words.empty()) continue;
        const std::string& kind = words[0];
        if (kind == "v" || kind == "vn" || kind == "vt") {
            const std::size_t least = kind == "vt" ? 2 : 3, most = kind == "vn" ? 3 : 4;
            if (words.size() - 1 < least || words.size() - 1 > most) throw fail("cantidad de números incorrecta");
            float f[4] = {0, 0, 0, 0};
            for (std::size_t i = 1; i < words.size(); ++i)
                if (!parseFloat(words[i], f[i - 1])) throw fail("número mal escrito: " + words[i]);
            if (kind == "v") mesh.positions.push_back({f[0], f[1], f[2]});
            else if (kind == "vn") mesh.normals.push_back({f[0], f[1], f[2]});
            else mesh.texcoords.push_back({f[0], f[1]});
        } else if (kind == "f") {
            const std::size_t corners = words.size() - 1;
            if (corners != 3 && corners != 4) throw fail("una cara tiene 3 o 4 esquinas, no " + std::to_string(corners));
            DuckMesh::Face face;
            face.count = int(corners);
            for (std::size_t i = 0; i < corners; ++i) {
                const std::string& w = words[i + 1];
                const std::size_t a = w.find('/'), b = a == std::string::npos ? a : w.find('/', a + 1);
                int raw[3];
                if (b == std::string::npos || w.find('/', b + 1) != std::string::npos ||
                    !parseInt(w.data(), w.data() + a, raw[0]) || !parseInt(w.data() + a + 1, w.data() + b, raw[1]) ||
                    !parseInt(w.data() + b + 1, w.data() + w.size(), raw[2]))
                    throw fail("esquina mal escrita (se espera v/t/n): " + w);
                DuckMesh::Corner& c = face.corners[i];
                c.p = resolveIndex(raw[0], mesh.positions.size());
                c.t = resolveIndex(raw[1], mesh.texcoords.size());
                c.n = resolveIndex(raw[2], mesh.normals.size());
                if (c.p < 0 || c.t < 0 || c.n < 0) throw fail("índice fuera de rango: " + w);
            }
            mesh.faces.push_back(face);
        }
    }
    if (in.bad()) throw AssetError("No se pudo leer el modelo " + name);
    if (mesh.faces.empty()) throw AssetError("El modelo " + name + " no tiene caras");
    return mesh;
}

DuckMesh readDuckModel(const std::string& path) {
    std::ifstream in = openFile(path, "el modelo");
    try {
        return readDuckModel(in, path);
    } catch (const AssetError&) {
        throw;
    } catch (const std::exception& e) {  // the stream's own failure (a read error)
        throw AssetError("No se pudo leer el modelo " + path + ": " + e.what());
    }
}

}  // namespace duckrun
