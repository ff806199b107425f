// Files the game reads: whole files read without blocking, images decoded
// through FreeImage, models through the shared OBJ loader, each kept as GL
// objects for the life of the program.
#pragma once

#include <GL/gl.h>

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "objloader/objloader.h"

namespace henrun {

// A file the game cannot do without; the message names it.
class ErrorArchivo : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole of a file. Refuses, naming it, one that is missing or unreadable,
// and one that is not a regular file (a folder, a named pipe, a device): its
// type is checked before a byte is read, and it is opened so that a pipe
// nobody writes to cannot block.
std::string leerArchivo(const std::string& path);

// Pixels as 24-bit RGB, rows bottom first and tightly packed.
struct Imagen {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
};

// Decodes the bytes of an image file. Refuses, naming `path`, an empty file,
// an unknown format, and a damaged one: FreeImage complains while decoding
// (it may still hand back a picture, half of it grey), or a JPEG ends
// without its end-of-image marker.
Imagen leerImagen(const std::string& bytes, const std::string& path);

// Reads and uploads an image as a texture (linear, repeat, modulate).
GLuint loadTexture(const std::string& path);

// A model's triangles, one entry per corner, and the box around them.
struct Geometria {
  std::vector<objloader::Point> positions, normals;
  std::vector<objloader::TexCoord> uvs;
  objloader::Point min, max;
};

// Reads an OBJ model (the shared loader, in this game's wording: its
// messages go to standard output). Refuses, naming `path`, a file the
// loader cannot parse and one without a single triangle: such a model would
// be drawn as nothing while it still collides.
Geometria leerModelo(std::istream& in, const std::string& path);

// Geometry of one model, the texture it is drawn with, and the flat colour
// it is drawn in with textures off.
class Modelo {
 public:
  struct Color {
    float r = 1, g = 1, b = 1;
  };
  // Throws ErrorArchivo naming the model or the texture that cannot be read.
  Modelo(const std::string& objPath, const std::string& texturePath, Color plain);
  ~Modelo();
  Modelo(const Modelo&) = delete;
  Modelo& operator=(const Modelo&) = delete;

  std::size_t corners() const { return geometry_.positions.size(); }
  // The box around the model, in model units.
  const objloader::Point& min() const { return geometry_.min; }
  const objloader::Point& max() const { return geometry_.max; }
  // Triangles in model units: textured when `textured`, else in the plain
  // colour; `alpha` below 1 draws them see-through.
  void drawTriangles(bool textured, float alpha = 1.f) const;

 private:
  Geometria geometry_;
  Color plain_;
  GLuint texture_ = 0;
  GLuint list_ = 0;  // the triangles compiled once
};

}  // namespace henrun
