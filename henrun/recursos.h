// Files the game reads: textures through FreeImage, models through the shared
// OBJ loader, each kept as GL objects for the life of the program.
#pragma once

#include <GL/gl.h>

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

// Loads an image as a 24-bit RGB texture (linear, repeat, modulate).
// Throws ErrorArchivo naming the file when it is missing or unreadable.
GLuint loadTexture(const std::string& path);

// Geometry of one model and the texture it is drawn with.
class Modelo {
 public:
  // A model that cannot be read reports it (the loader's message, then the
  // file) and draws no geometry; its texture must load.
  Modelo(const std::string& objPath, const std::string& texturePath);
  ~Modelo();
  Modelo(const Modelo&) = delete;
  Modelo& operator=(const Modelo&) = delete;

  std::size_t corners() const { return positions_.size(); }
  // Triangles in model units; the texture bound when `textured`.
  void drawTriangles(bool textured) const;

 private:
  std::vector<objloader::Point> positions_, normals_;
  std::vector<objloader::TexCoord> uvs_;
  GLuint texture_ = 0;
  GLuint list_ = 0;  // the triangles compiled once
};

}  // namespace henrun
