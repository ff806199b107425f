#include "recursos.h"

#include <FreeImage.h>

#include <iostream>

namespace henrun {

GLuint loadTexture(const std::string& path) {
  FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
  if (format == FIF_UNKNOWN) format = FreeImage_GetFIFFromFilename(path.c_str());
  FIBITMAP* image = format == FIF_UNKNOWN ? nullptr : FreeImage_Load(format, path.c_str(), 0);
  if (!image) throw ErrorArchivo("No se pudo cargar la imagen " + path);
  FIBITMAP* rgb = FreeImage_ConvertTo24Bits(image);
  FreeImage_Unload(image);
  if (!rgb) throw ErrorArchivo("No se pudo convertir la imagen " + path);
  const int w = int(FreeImage_GetWidth(rgb)), h = int(FreeImage_GetHeight(rgb));
  if (w <= 0 || h <= 0) {
    FreeImage_Unload(rgb);
    throw ErrorArchivo("Imagen vacia: " + path);
  }
  // Rows as FreeImage keeps them (bottom first, padded to 4 bytes), tightly packed.
  std::vector<unsigned char> bgr(std::size_t(w) * std::size_t(h) * 3);
  for (int row = 0; row < h; ++row) {
    const BYTE* line = FreeImage_GetScanLine(rgb, row);
    for (int x = 0; x < w; ++x) {
      unsigned char* out = &bgr[(std::size_t(row) * std::size_t(w) + std::size_t(x)) * 3];
      out[0] = line[x * 3 + FI_RGBA_RED];
      out[1] = line[x * 3 + FI_RGBA_GREEN];
      out[2] = line[x * 3 + FI_RGBA_BLUE];
    }
  }
  FreeImage_Unload(rgb);

  GLuint tex = 0;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, bgr.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glBindTexture(GL_TEXTURE_2D, 0);
  return tex;
}

Modelo::Modelo(const std::string& objPath, const std::string& texturePath) {
  if (!objloader::readObjModel(objPath, positions_, uvs_, normals_, objloader::kWordDialect)) {
    std::cout << "No se pudo leer el modelo " << objPath << std::endl;
    positions_.clear();
    uvs_.clear();
    normals_.clear();
  }
  texture_ = loadTexture(texturePath);
  list_ = glGenLists(1);
  glNewList(list_, GL_COMPILE);
  glBegin(GL_TRIANGLES);
  for (std::size_t i = 0; i < positions_.size(); ++i) {
    glTexCoord2f(uvs_[i].u, uvs_[i].v);
    glNormal3f(normals_[i].x, normals_[i].y, normals_[i].z);
    glVertex3f(positions_[i].x, positions_[i].y, positions_[i].z);
  }
  glEnd();
  glEndList();
}

Modelo::~Modelo() {
  if (list_) glDeleteLists(list_, 1);
  if (texture_) glDeleteTextures(1, &texture_);
}

void Modelo::drawTriangles(bool textured) const {
  if (textured) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture_);
  } else {
    glDisable(GL_TEXTURE_2D);
  }
  glCallList(list_);
  glDisable(GL_TEXTURE_2D);
}

}  // namespace henrun
