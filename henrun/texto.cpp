#include "texto.h"

#include "recursos.h"

namespace henrun {

namespace {
int nextPowerOfTwo(int n) {
  int p = 1;
  while (p < n) p *= 2;
  return p;
}
}  // namespace

Texto::Texto(const std::string& fontPath) : path_(fontPath), data_(leerArchivo(fontPath)) {
  if (!TTF_WasInit() && TTF_Init() != 0) throw ErrorArchivo(std::string("No se pudo iniciar TTF: ") + TTF_GetError());
  try {
    // A damaged font may open and then draw nothing: every size must draw a line.
    for (int size : {15, 100}) {
      SDL_Surface* probe = TTF_RenderUTF8_Blended(font(size), "PLONKITO Tiempo: 0123456789", SDL_Color{255, 255, 255, 255});
      const bool drawn = probe && probe->w > 0;
      if (probe) SDL_FreeSurface(probe);
      if (!drawn) throw ErrorArchivo("No se pudo usar la fuente " + path_ + ": " + TTF_GetError());
    }
  } catch (const ErrorArchivo&) {
    for (auto& [size, f] : fonts_) TTF_CloseFont(f);
    throw;
  }
}

Texto::~Texto() {
  for (auto& [key, e] : cache_) glDeleteTextures(1, &e.texture);
  for (auto& [size, f] : fonts_) TTF_CloseFont(f);
}

TTF_Font* Texto::font(int size) {
  auto it = fonts_.find(size);
  if (it != fonts_.end()) return it->second;
  TTF_Font* f = TTF_OpenFontRW(SDL_RWFromConstMem(data_.data(), int(data_.size())), 1, size);
  if (!f) throw ErrorArchivo("No se pudo abrir la fuente " + path_ + ": " + TTF_GetError());
  fonts_[size] = f;
  return f;
}

Texto::Entry Texto::make(const std::string& text, TTF_Font* f, Colour colour) {
  Entry e;
  ++renders_;
  SDL_Surface* rendered = TTF_RenderUTF8_Blended(f, text.c_str(), SDL_Color{colour.r, colour.g, colour.b, 255});
  if (!rendered) return e;  // an empty text
  e.width = rendered->w;
  e.height = rendered->h;
  e.texWidth = nextPowerOfTwo(e.width);
  e.texHeight = nextPowerOfTwo(e.height);
  // Into a power-of-two surface whose bytes are R, G, B, A in memory.
  SDL_Surface* square = SDL_CreateRGBSurfaceWithFormat(0, e.texWidth, e.texHeight, 32, SDL_PIXELFORMAT_ABGR8888);
  if (square) {
    SDL_SetSurfaceBlendMode(rendered, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(rendered, nullptr, square, nullptr);
    glGenTextures(1, &e.texture);
    glBindTexture(GL_TEXTURE_2D, e.texture);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, square->pitch / 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, e.texWidth, e.texHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, square->pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    SDL_FreeSurface(square);
  }
  SDL_FreeSurface(rendered);
  return e;
}

void Texto::drawText(const std::string& text, int size, Colour colour, Rect& rect) {
  const Key key{text, size, unsigned(colour.r) << 16 | unsigned(colour.g) << 8 | colour.b};
  auto it = cache_.find(key);
  if (it == cache_.end()) it = cache_.emplace(key, make(text, font(size), colour)).first;
  Entry& e = it->second;
  e.used = true;
  rect.w = e.width;
  rect.h = e.height;
  if (!e.texture) return;
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, e.texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  const auto quad = [&](float dx, float dy) {
    const float x0 = float(rect.x) + dx, y0 = float(rect.y) + dy;
    const float x1 = x0 + float(e.texWidth), y1 = y0 + float(e.texHeight);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2f(x0, y0);
    glTexCoord2f(1, 1);
    glVertex2f(x1, y0);
    glTexCoord2f(1, 0);
    glVertex2f(x1, y1);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y1);
    glEnd();
  };
  // The rim: the glyphs' shape in near black, a pixel or two around.
  if (colour.r + colour.g + colour.b > 3 * 60) {
    const float r = size >= 40 ? 3.f : 2.f;
    glColor4f(0.05f, 0.05f, 0.08f, 0.85f);
    const float around[4][2] = {{r, -r}, {-r, -r}, {r, r}, {-r, r}};
    for (const auto& d : around) quad(d[0], d[1]);
  }
  glColor4f(1, 1, 1, 1);
  quad(0, 0);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
}

void Texto::endFrame() {
  for (auto it = cache_.begin(); it != cache_.end();) {
    if (!it->second.used) {
      glDeleteTextures(1, &it->second.texture);
      it = cache_.erase(it);
    } else {
      it->second.used = false;
      ++it;
    }
  }
}

}  // namespace henrun
