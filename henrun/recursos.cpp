#include "recursos.h"

#include <FreeImage.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <sstream>

namespace henrun {

namespace {

std::string cannotOpen(const std::string& path, const std::string& why) { return "No se pudo abrir " + path + ": " + why; }

std::string notRegular(const struct stat& st) {
  return S_ISDIR(st.st_mode) ? "es una carpeta, no un archivo" : "no es un archivo regular";
}

// FreeImage reports damage through this callback, and may still return a
// picture; any word from it during a decode refuses the file.
std::string& freeImageComplaint() {
  static std::string text;
  return text;
}
void noteComplaint(FREE_IMAGE_FORMAT, const char* message) {
  if (freeImageComplaint().empty()) freeImageComplaint() = message && *message ? message : "error al decodificar";
}

}  // namespace

std::string leerArchivo(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw ErrorArchivo(cannotOpen(path, std::strerror(errno)));
  if (!S_ISREG(st.st_mode)) throw ErrorArchivo(cannotOpen(path, notRegular(st)));
  // Without blocking, and the opened file's own type checked again: the
  // path may have been replaced since the look above.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw ErrorArchivo(cannotOpen(path, std::strerror(errno)));
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw ErrorArchivo(cannotOpen(path, notRegular(st)));
  }
  std::string bytes;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      throw ErrorArchivo("No se pudo leer " + path + ": " + std::strerror(error));
    }
    bytes.append(buffer, std::size_t(n));
  }
  ::close(fd);
  return bytes;
}

Imagen leerImagen(const std::string& bytes, const std::string& path) {
  const std::string prefix = "No se pudo cargar la imagen " + path + ": ";
  if (bytes.empty()) throw ErrorArchivo(prefix + "archivo vacío");
  // FreeImage only reads this memory.
  FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())), DWORD(bytes.size()));
  const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(memory, 0);
  if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format)) {
    FreeImage_CloseMemory(memory);
    throw ErrorArchivo(prefix + "formato desconocido");
  }
  // A JPEG cut short decodes without a word, its missing part grey.
  const auto byte = [&](std::size_t fromEnd) { return static_cast<unsigned char>(bytes[bytes.size() - fromEnd]); };
  if (format == FIF_JPEG && (bytes.size() < 4 || byte(2) != 0xFF || byte(1) != 0xD9)) {
    FreeImage_CloseMemory(memory);
    throw ErrorArchivo(prefix + "JPEG incompleto (le falta su final)");
  }
  freeImageComplaint().clear();
  FreeImage_SetOutputMessage(noteComplaint);
  FIBITMAP* image = FreeImage_LoadFromMemory(format, memory, 0);
  FreeImage_SetOutputMessage(nullptr);
  FreeImage_CloseMemory(memory);
  const std::string complaint = freeImageComplaint();
  if (image && !complaint.empty()) {
    FreeImage_Unload(image);
    image = nullptr;
  }
  if (!image) throw ErrorArchivo(prefix + (complaint.empty() ? "archivo dañado" : complaint));
  FIBITMAP* rgb = FreeImage_ConvertTo24Bits(image);
  FreeImage_Unload(image);
  if (!rgb) throw ErrorArchivo(prefix + "no se pudo convertir");
  Imagen out;
  out.width = int(FreeImage_GetWidth(rgb));
  out.height = int(FreeImage_GetHeight(rgb));
  if (out.width <= 0 || out.height <= 0) {
    FreeImage_Unload(rgb);
    throw ErrorArchivo(prefix + "imagen vacía");
  }
  // Rows as FreeImage keeps them (bottom first, padded to 4 bytes, BGR on
  // this machine), tightly packed as RGB.
  out.rgb.resize(std::size_t(out.width) * std::size_t(out.height) * 3);
  for (int row = 0; row < out.height; ++row) {
    const BYTE* line = FreeImage_GetScanLine(rgb, row);
    for (int x = 0; x < out.width; ++x) {
      unsigned char* p = &out.rgb[(std::size_t(row) * std::size_t(out.width) + std::size_t(x)) * 3];
      p[0] = line[x * 3 + FI_RGBA_RED];
      p[1] = line[x * 3 + FI_RGBA_GREEN];
      p[2] = line[x * 3 + FI_RGBA_BLUE];
    }
  }
  FreeImage_Unload(rgb);
  return out;
}

GLuint loadTexture(const std::string& path) {
  const Imagen image = leerImagen(leerArchivo(path), path);
  GLuint tex = 0;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, image.width, image.height, 0, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glBindTexture(GL_TEXTURE_2D, 0);
  return tex;
}

Geometria leerModelo(std::istream& in, const std::string& path) {
  Geometria g;
  if (!objloader::readObjModel(in, g.positions, g.uvs, g.normals, objloader::kWordDialect, std::cout))
    throw ErrorArchivo("No se pudo leer el modelo " + path + ": no es un OBJ que este juego entienda");
  if (g.positions.empty()) throw ErrorArchivo("No se pudo leer el modelo " + path + ": no tiene triángulos");
  g.min = g.max = g.positions.front();
  for (const objloader::Point& p : g.positions) {
    g.min = {std::min(g.min.x, p.x), std::min(g.min.y, p.y), std::min(g.min.z, p.z)};
    g.max = {std::max(g.max.x, p.x), std::max(g.max.y, p.y), std::max(g.max.z, p.z)};
  }
  return g;
}

Modelo::Modelo(const std::string& objPath, const std::string& texturePath, Color plain) : plain_(plain) {
  std::string bytes;
  try {
    bytes = leerArchivo(objPath);
  } catch (const ErrorArchivo&) {
    std::cout << objloader::kWordDialect.openMessage << std::flush;  // the loader's own word, then the file named
    throw;
  }
  std::istringstream in(bytes);
  geometry_ = leerModelo(in, objPath);
  texture_ = loadTexture(texturePath);
  list_ = glGenLists(1);
  glNewList(list_, GL_COMPILE);
  glBegin(GL_TRIANGLES);
  for (std::size_t i = 0; i < geometry_.positions.size(); ++i) {
    glTexCoord2f(geometry_.uvs[i].u, geometry_.uvs[i].v);
    glNormal3f(geometry_.normals[i].x, geometry_.normals[i].y, geometry_.normals[i].z);
    glVertex3f(geometry_.positions[i].x, geometry_.positions[i].y, geometry_.positions[i].z);
  }
  glEnd();
  glEndList();
}

Modelo::~Modelo() {
  if (list_) glDeleteLists(list_, 1);
  if (texture_) glDeleteTextures(1, &texture_);
}

void Modelo::drawTriangles(bool textured, float alpha) const {
  if (textured) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glColor4f(1, 1, 1, alpha);
  } else {
    glDisable(GL_TEXTURE_2D);
    glColor4f(plain_.r, plain_.g, plain_.b, alpha);
  }
  glCallList(list_);
  glDisable(GL_TEXTURE_2D);
}

}  // namespace henrun
