#include "image.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "files.h"

namespace assetgen {

namespace {

std::uint8_t clampByte(float v) { return std::uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

struct BitmapDeleter {
  void operator()(FIBITMAP* b) const { FreeImage_Unload(b); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

// FreeImage keeps scanline 0 at the BOTTOM of the picture, so image row y goes
// to scanline height-1-y; forgetting this stores every file upside down.
Bitmap toBitmap(const Image& img, bool alpha) {
  const int bpp = alpha ? 32 : 24;
  Bitmap bmp(FreeImage_Allocate(img.width(), img.height(), bpp, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                FI_RGBA_BLUE_MASK));
  if (!bmp) throw std::runtime_error("FreeImage could not allocate a bitmap");
  const int step = bpp / 8;
  for (int y = 0; y < img.height(); ++y) {
    BYTE* line = FreeImage_GetScanLine(bmp.get(), img.height() - 1 - y);
    for (int x = 0; x < img.width(); ++x) {
      const Rgba& c = img.at(x, y);
      BYTE* p = line + x * step;
      p[FI_RGBA_RED] = c.r;
      p[FI_RGBA_GREEN] = c.g;
      p[FI_RGBA_BLUE] = c.b;
      if (alpha) p[FI_RGBA_ALPHA] = c.a;
    }
  }
  return bmp;
}

void save(FIBITMAP* bmp, FREE_IMAGE_FORMAT fif, const std::filesystem::path& path, int flags) {
  ensureParentFolder(path);
  if (!FreeImage_Save(fif, bmp, path.string().c_str(), flags))
    throw std::runtime_error("cannot write image " + path.string());
}

}  // namespace

Rgba mix(Rgba a, Rgba b, float t) {
  auto lerp = [t](int x, int y) { return clampByte(float(x) + (float(y) - float(x)) * t); };
  return Rgba{lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b), lerp(a.a, b.a)};
}

Rgba shade(Rgba c, float f) {
  return Rgba{clampByte(float(c.r) * f), clampByte(float(c.g) * f), clampByte(float(c.b) * f), c.a};
}

Rgba withAlpha(Rgba c, int a) {
  c.a = std::uint8_t(std::clamp(a, 0, 255));
  return c;
}

Image::Image(int width, int height, Rgba fill) : w_(width), h_(height) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("image size must be positive");
  px_.assign(std::size_t(width) * std::size_t(height), fill);
}

Rgba Image::wrapped(int x, int y) const {
  x %= w_;
  y %= h_;
  return at(x < 0 ? x + w_ : x, y < 0 ? y + h_ : y);
}

void Image::fill(Rgba c) { std::fill(px_.begin(), px_.end(), c); }

void Image::blend(int x, int y, Rgba c, float coverage) {
  if (!contains(x, y)) return;
  const float sa = float(c.a) / 255.f * std::clamp(coverage, 0.f, 1.f);
  if (sa <= 0.f) return;
  Rgba& d = at(x, y);
  const float da = float(d.a) / 255.f;
  const float oa = sa + da * (1.f - sa);
  auto channel = [&](int s, int dst) {
    return clampByte((float(s) * sa + float(dst) * da * (1.f - sa)) / oa);
  };
  d = Rgba{channel(c.r, d.r), channel(c.g, d.g), channel(c.b, d.b), clampByte(oa * 255.f)};
}

void savePng(const Image& img, const std::filesystem::path& path, PixelFormat format) {
  Bitmap bmp = toBitmap(img, format == PixelFormat::Rgba32);
  save(bmp.get(), FIF_PNG, path, PNG_DEFAULT);
}

void saveJpg(const Image& img, const std::filesystem::path& path, int quality) {
  Bitmap bmp = toBitmap(img, false);
  save(bmp.get(), FIF_JPEG, path, std::clamp(quality, 1, 100));
}

Image loadImage(const std::filesystem::path& path) {
  const std::string name = path.string();
  FREE_IMAGE_FORMAT fif = FreeImage_GetFileType(name.c_str(), 0);
  if (fif == FIF_UNKNOWN) fif = FreeImage_GetFIFFromFilename(name.c_str());
  if (fif == FIF_UNKNOWN) throw std::runtime_error("unknown image format: " + name);
  Bitmap raw(FreeImage_Load(fif, name.c_str(), 0));
  if (!raw) throw std::runtime_error("cannot read image " + name);
  const bool alpha = FreeImage_GetBPP(raw.get()) == 32;
  Bitmap bmp(FreeImage_ConvertTo32Bits(raw.get()));
  if (!bmp) throw std::runtime_error("cannot convert image " + name);
  const int w = int(FreeImage_GetWidth(bmp.get())), h = int(FreeImage_GetHeight(bmp.get()));
  Image img(w, h);
  for (int y = 0; y < h; ++y) {
    const BYTE* line = FreeImage_GetScanLine(bmp.get(), h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const BYTE* p = line + x * 4;
      img.at(x, y) = Rgba{p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE],
                          alpha ? p[FI_RGBA_ALPHA] : BYTE(255)};
    }
  }
  return img;
}

}  // namespace assetgen
