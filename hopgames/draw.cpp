#include "draw.h"

#include <GL/gl.h>
#include <SDL2/SDL_image.h>

#include <algorithm>
#include <cmath>

namespace hopgames {
namespace {

// The palette: a day sky, toy grass, cream cards, a warm highlight.
const Rgba kSkyTop{0.16f, 0.45f, 0.80f}, kSkyBottom{0.56f, 0.81f, 0.96f};
const Rgba kGrass{0.42f, 0.76f, 0.29f}, kGrassDark{0.36f, 0.69f, 0.24f};
const Rgba kCard{0.98f, 0.98f, 0.96f};
const Rgba kHighlight{1.f, 0.75f, 0.12f};
const Rgba kInk{0.12f, 0.16f, 0.23f}, kInkSoft{0.33f, 0.37f, 0.43f};
const Rgba kWhite{1, 1, 1}, kGold{1.f, 0.84f, 0.35f}, kPale{0.86f, 0.89f, 0.93f};
const Rgba kPanel{0.06f, 0.09f, 0.16f, 0.92f};
const Rgba kAlarm{0.90f, 0.24f, 0.20f}, kAlarmBack{0.20f, 0.06f, 0.06f, 0.97f}, kAlarmText{1.f, 0.88f, 0.83f};

constexpr int kControlRows = 8;
const char* const kEllipsis = "\xE2\x80\xA6";  // …

void colour(Rgba c) { glColor4f(c.r, c.g, c.b, c.a); }

void rect(const Box& b, Rgba c) {
  colour(c);
  glBegin(GL_QUADS);
  glVertex2f(b.x, b.y);
  glVertex2f(b.right(), b.y);
  glVertex2f(b.right(), b.bottom());
  glVertex2f(b.x, b.bottom());
  glEnd();
}

void gradient(const Box& b, Rgba top, Rgba bottom) {
  glBegin(GL_QUADS);
  colour(top);
  glVertex2f(b.x, b.y);
  glVertex2f(b.right(), b.y);
  colour(bottom);
  glVertex2f(b.right(), b.bottom());
  glVertex2f(b.x, b.bottom());
  glEnd();
}

void outline(const Box& b, float t, Rgba c) {
  rect({b.x - t, b.y - t, b.w + 2 * t, t}, c);
  rect({b.x - t, b.bottom(), b.w + 2 * t, t}, c);
  rect({b.x - t, b.y, t, b.h}, c);
  rect({b.right(), b.y, t, b.h}, c);
}

void textured(unsigned id, const Box& b, float u0, float v0, float u1, float v1, Rgba tint) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, id);
  colour(tint);
  glBegin(GL_QUADS);
  glTexCoord2f(u0, v0);
  glVertex2f(b.x, b.y);
  glTexCoord2f(u1, v0);
  glVertex2f(b.right(), b.y);
  glTexCoord2f(u1, v1);
  glVertex2f(b.right(), b.bottom());
  glTexCoord2f(u0, v1);
  glVertex2f(b.x, b.bottom());
  glEnd();
  glDisable(GL_TEXTURE_2D);
}

// A texture from a surface in any format; 0 when it cannot be converted.
unsigned upload(SDL_Surface* surface, int& w, int& h) {
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGBA32, 0);
  if (!rgba) return 0;
  unsigned id = 0;
  glGenTextures(1, &id);
  glBindTexture(GL_TEXTURE_2D, id);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rgba->pitch / 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, rgba->w, rgba->h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba->pixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  w = rgba->w;
  h = rgba->h;
  SDL_FreeSurface(rgba);
  return id;
}

// Byte offsets of the UTF-8 character starts of `s`, and its size.
std::vector<std::size_t> boundaries(const std::string& s) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < s.size(); ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xc0) != 0x80) at.push_back(i);
  at.push_back(s.size());
  return at;
}

}  // namespace

Renderer::Renderer(const std::vector<Tile>& tiles, std::ostream& log) : log_(log) {
  for (const char* path : kFonts) {
    std::string error;
    if (!regularFile(path, error)) throw FileError(error);
    TTF_Font* f = TTF_OpenFont(path, 16);
    if (!f) throw FileError(std::string(path) + ": not a font (" + TTF_GetError() + ")");
    TTF_CloseFont(f);
    fontFiles_.push_back(path);
  }
  for (const Tile& t : tiles) pictures_.push_back(picture(picturePath(t.info.program)));
  hero_ = picture(kHero);
}

Renderer::~Renderer() {
  for (auto& [key, f] : fonts_) TTF_CloseFont(f);
  for (auto& [key, t] : texts_) glDeleteTextures(1, &t.id);
  for (Texture& t : pictures_)
    if (t.id) glDeleteTextures(1, &t.id);
  if (hero_.id) glDeleteTextures(1, &hero_.id);
}

Renderer::Texture Renderer::picture(const std::string& path) {
  std::string error;
  if (!regularFile(path, error)) {
    log_ << "hopgames: " << error << "; drawn without it" << std::endl;
    return {};
  }
  SDL_Surface* s = IMG_Load(path.c_str());
  if (!s) {
    log_ << "hopgames: " << path << ": not a picture (" << IMG_GetError() << "); drawn without it" << std::endl;
    return {};
  }
  Texture t;
  t.id = upload(s, t.w, t.h);
  SDL_FreeSurface(s);
  if (!t.id) log_ << "hopgames: " << path << ": cannot be converted; drawn without it" << std::endl;
  return t;
}

TTF_Font* Renderer::font(Font f, int px) {
  const auto key = std::make_pair(int(f), px);
  if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
  TTF_Font* opened = TTF_OpenFont(fontFiles_[std::size_t(f)].c_str(), px);
  fonts_[key] = opened;  // null stays null: its texts are left out
  return opened;
}

std::string Renderer::fit(Font f, int px, const std::string& text, float maxPx) {
  TTF_Font* ft = font(f, px);
  int w = 0;
  if (!ft || text.empty() || (TTF_SizeUTF8(ft, text.c_str(), &w, nullptr) == 0 && float(w) <= maxPx)) return text;
  const std::vector<std::size_t> at = boundaries(text);
  // The longest start that fits with the ellipsis: at[lo] fits, at[hi] does not.
  std::size_t lo = 0, hi = at.size() - 1;
  while (hi - lo > 1) {
    const std::size_t mid = (lo + hi) / 2;
    const std::string candidate = text.substr(0, at[mid]) + kEllipsis;
    if (TTF_SizeUTF8(ft, candidate.c_str(), &w, nullptr) == 0 && float(w) <= maxPx)
      lo = mid;
    else
      hi = mid;
  }
  std::string cut = text.substr(0, at[lo]);
  while (!cut.empty() && cut.back() == ' ') cut.pop_back();
  return cut + kEllipsis;
}

std::vector<std::string> Renderer::wrap(Font f, int px, const std::string& text, float maxPx, int lines) {
  std::vector<std::string> out;
  TTF_Font* ft = font(f, px);
  if (!ft) return out;
  std::string line, rest = text;
  while (!rest.empty() && int(out.size()) < lines - 1) {
    // The most whole words that fit on this line.
    std::size_t end = 0;
    for (std::size_t space = rest.find(' '); ; space = rest.find(' ', space + 1)) {
      const std::size_t stop = space == std::string::npos ? rest.size() : space;
      int w = 0;
      if (TTF_SizeUTF8(ft, rest.substr(0, stop).c_str(), &w, nullptr) != 0 || float(w) > maxPx) break;
      end = stop;
      if (space == std::string::npos) break;
    }
    if (end == 0) break;  // one word too long: the last line cuts it
    out.push_back(rest.substr(0, end));
    rest.erase(0, std::min(rest.size(), end + 1));
  }
  if (!rest.empty()) out.push_back(fit(f, px, rest, maxPx));
  return out;
}

const Renderer::Texture& Renderer::textTexture(Font f, int px, const std::string& text) {
  const auto key = std::make_tuple(int(f), px, text);
  if (auto it = texts_.find(key); it != texts_.end()) return it->second;
  Texture t;
  if (TTF_Font* ft = font(f, px); ft && !text.empty())
    if (SDL_Surface* s = TTF_RenderUTF8_Blended(ft, text.c_str(), SDL_Color{255, 255, 255, 255})) {
      t.id = upload(s, t.w, t.h);
      SDL_FreeSurface(s);
    }
  return texts_[key] = t;
}

float Renderer::text(Font f, float size, const std::string& s, Rgba c, float x, float y, float maxW, Align align,
                     bool shadow) {
  const int px = std::max(6, int(std::lround(size * pixels_)));
  const std::string shown = fit(f, px, s, maxW * toPixels_);
  const Texture& t = textTexture(f, px, shown);
  if (!t.id) return 0;
  const float w = float(t.w) / toPixels_, h = float(t.h) / toPixels_;
  if (align == Right) x -= w;
  if (align == Centre) x -= w / 2;
  // On whole drawable pixels, so that glyphs stay sharp.
  x = std::round(x * toPixels_) / toPixels_;
  y = std::round(y * toPixels_) / toPixels_;
  if (shadow) {
    const float d = std::max(1.f, 2 * pixels_ / toPixels_ * 0.75f);
    textured(t.id, {x + d, y + d, w, h}, 0, 0, 1, 1, {0, 0, 0, 0.55f * c.a});
  }
  textured(t.id, {x, y, w, h}, 0, 0, 1, 1, c);
  return w;
}

void Renderer::draw(const Front& front, const Layout& l, int drawableWidth, int drawableHeight, float appear,
                    float lift) {
  toPixels_ = float(drawableWidth) / float(l.width);
  const float pixels = l.scale * toPixels_;
  if (pixels != pixels_) {  // a new size: texts and fonts of the old one go
    for (auto& [key, t] : texts_) glDeleteTextures(1, &t.id);
    texts_.clear();
    for (auto& [key, f] : fonts_) TTF_CloseFont(f);
    fonts_.clear();
    pixels_ = pixels;
  }
  glViewport(0, 0, drawableWidth, drawableHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, l.width, l.height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glClearColor(kSkyTop.r, kSkyTop.g, kSkyTop.b, 1);
  glClear(GL_COLOR_BUFFER_BIT);

  backdrop(l);
  header(l);
  for (int i = 0; i < int(front.tiles().size()); ++i)
    if (i != front.selected()) tile(front, l, i, 0);
  if (!front.tiles().empty()) tile(front, l, front.selected(), lift);  // on top: it stands out of the row
  panel(front, l);
  if (front.message()) message(front, l);
  if (appear < 1) rect({0, 0, float(l.width), float(l.height)}, {kSkyTop.r, kSkyTop.g, kSkyTop.b, 1 - appear});
}

void Renderer::backdrop(const Layout& l) {
  const float s = l.scale, W = float(l.width);
  gradient({0, 0, W, float(l.height)}, kSkyTop, kSkyBottom);
  // Soft clouds of two blocks each, clear of the title and the hint.
  for (const auto& [cx, cy, k] : {std::tuple{560.f, 14.f, 0.9f}, {790.f, 40.f, 0.7f}, {1220.f, 6.f, 0.8f}}) {
    const Box c = l.at(cx, cy, 0, 0);
    const Rgba cloud{1, 1, 1, 0.28f};
    rect({c.x - 60 * k * s, c.y + 8 * k * s, 120 * k * s, 22 * k * s}, cloud);
    rect({c.x - 34 * k * s, c.y - 4 * k * s, 70 * k * s, 14 * k * s}, cloud);
  }
  // The ground under the tiles: rows of grass in two greens, to the window's edges.
  const Box ground = l.at(0, 500, 0, 0);
  const float row = 26 * s;
  for (int r = 0; ground.y + float(r) * row < float(l.height); ++r)
    rect({0, ground.y + float(r) * row, W, row + 1}, r % 2 ? kGrass : kGrassDark);
}

void Renderer::header(const Layout& l) {
  const float s = l.scale;
  float x = l.header.x + 22 * s;
  if (hero_.id) {
    textured(hero_.id, {x, l.header.y + 2 * s, 80 * s, 80 * s}, 0, 0, 1, 1, kWhite);
    x += 90 * s;
  }
  text(Title, 44, "HOP GAMES", kWhite, x, l.header.y + 6 * s, 520 * s, Left, true);
  text(Text, 15, "Ten small 3D arcade games: pick one and play", kWhite, x + 3 * s, l.header.y + 60 * s, 520 * s, Left,
       true);
  text(Text, 15, "Arrows choose \xC2\xB7 Enter plays \xC2\xB7 F11 full screen \xC2\xB7 Esc quits", kWhite,
       l.hint.right(), l.header.y + 34 * s, l.hint.w, Right, true);
}

void Renderer::tile(const Front& front, const Layout& l, int i, float rise) {
  const float s = l.scale;
  const Tile& t = front.tiles()[std::size_t(i)];
  const bool chosen = i == front.selected(), here = t.start.found();
  const float lift = chosen ? 4 * s * rise : 0;
  auto up = [&](Box b) { return b.y -= lift, b; };
  const Box card = up(l.tiles[std::size_t(i)]);
  rect({card.x + 3 * s, card.y + 5 * s + lift, card.w, card.h}, {0, 0, 0, chosen ? 0.35f : 0.22f});
  rect(card, kCard);
  if (chosen)
    outline(card, 4 * s, kHighlight);
  else
    outline(card, 1 * s, {0, 0, 0, 0.18f});

  const Box p = up(l.picture(i));
  const Texture& pic = pictures_[std::size_t(i)];
  if (pic.id && pic.w > 0 && pic.h > 0) {
    // Cover the frame, cropping the picture's longer side evenly.
    const float frame = p.w / std::max(p.h, 1.f), image = float(pic.w) / float(pic.h);
    float u0 = 0, u1 = 1, v0 = 0, v1 = 1;
    if (image > frame) u0 = (1 - frame / image) / 2, u1 = 1 - u0;
    else v0 = (1 - image / frame) / 2, v1 = 1 - v0;
    textured(pic.id, p, u0, v0, u1, v1, here ? kWhite : Rgba{0.5f, 0.5f, 0.5f});
  } else {
    gradient(p, {0.55f, 0.70f, 0.85f}, {0.35f, 0.50f, 0.68f});
    text(Title, 24, t.info.name, kWhite, p.x + p.w / 2, p.y + p.h / 2 - 16 * s, p.w - 8 * s, Centre, true);
  }
  if (!here) {
    rect({p.x, p.bottom() - 24 * s, p.w, 24 * s}, {0, 0, 0, 0.65f});
    text(Bold, 13, "not built here", kWhite, p.x + p.w / 2, p.bottom() - 20 * s, p.w, Centre);
  }
  if (t.best) {
    const std::string best = "BEST " + std::to_string(*t.best);
    const int px = std::max(6, int(std::lround(13 * pixels_)));
    const Texture& tx = textTexture(Bold, px, fit(Bold, px, best, (p.w - 16 * s) * toPixels_));
    const float w = float(tx.w) / toPixels_ + 12 * s;
    const Box badge{p.right() - w - 5 * s, p.y + 5 * s, w, 20 * s};
    rect({badge.x + 1.5f * s, badge.y + 2 * s, badge.w, badge.h}, {0, 0, 0, 0.35f});
    rect(badge, kGold);
    text(Bold, 13, best, kInk, badge.x + 6 * s, badge.y + 2.5f * s, p.w - 16 * s);
  }
  const Box n = up(l.name(i));
  text(Title, 21, t.info.name, chosen ? Rgba{0.60f, 0.32f, 0.f} : kInk, n.x, n.y, n.w);
  const Box a = up(l.about(i));
  const int px = std::max(6, int(std::lround(13 * pixels_)));
  float y = a.y;
  for (const std::string& line : wrap(Text, px, t.info.about, a.w * toPixels_, 2)) {
    text(Text, 13, line, kInkSoft, a.x, y, a.w);
    y += 16 * s;
  }
}

void Renderer::panel(const Front& front, const Layout& l) {
  const float s = l.scale;
  const Box& b = l.panel;
  rect(b, kPanel);
  rect({b.x, b.y, b.w, 3 * s}, kHighlight);
  if (front.tiles().empty()) return;
  const Tile& t = front.tiles()[std::size_t(front.selected())];
  const float left = b.x + 18 * s, right = b.right() - 18 * s;
  // At the right of the heading: the best score, or how to build a game that is not here.
  const float noteW = t.start.found()
                          ? text(Text, 15, t.best ? "Best: " + std::to_string(*t.best) : "No best score yet", kPale,
                                 right, b.y + 16 * s, 300 * s, Right)
                          : text(Bold, 15, "Not built here: ./play " + t.info.program + " builds it",
                                 {1.f, 0.62f, 0.5f}, right, b.y + 16 * s, 420 * s, Right);
  const float nameW = text(Title, 22, t.info.name, kGold, left, b.y + 10 * s, 300 * s);
  text(Text, 15, t.info.about, kPale, left + nameW + 14 * s, b.y + 16 * s,
       std::max(0.f, right - noteW - 24 * s - (left + nameW + 14 * s)));

  const float top = b.y + 44 * s;
  if (t.controls.empty()) {
    text(Text, 14, "No controls listed for " + t.info.program + ".", kPale, left, top, right - left);
    return;
  }
  // One column where they fit, else two side by side.
  const bool two = t.controls.size() > std::size_t(kControlRows);
  const float columnW = two ? (right - left - 24 * s) / 2 : right - left, keysW = 190 * s;
  const float rowH = (b.bottom() - top - 6 * s) / kControlRows;
  const std::size_t shown = std::min<std::size_t>(t.controls.size(), 2 * kControlRows);
  for (std::size_t k = 0; k < shown; ++k) {
    const Control& c = t.controls[k];
    const float x = left + float(k / kControlRows) * (columnW + 24 * s), y = top + float(k % kControlRows) * rowH;
    if (k + 1 == shown && shown < t.controls.size()) {
      text(Text, 14, "\xE2\x80\xA6 and more: man " + t.info.program, kPale, x, y, columnW);
      break;
    }
    text(Bold, 14, c.keys, kGold, x, y, keysW - 10 * s);
    const std::string effect = c.controller.empty() ? c.effect : c.effect + "  (controller: " + c.controller + ")";
    text(Text, 14, effect, kWhite, x + keysW, y, columnW - keysW);
  }
}

void Renderer::message(const Front& front, const Layout& l) {
  const float s = l.scale;
  const Message& m = *front.message();
  rect({0, 0, float(l.width), float(l.height)}, {0, 0, 0, 0.55f});
  const Box& b = l.message;
  rect(b, kAlarmBack);
  outline(b, 4 * s, kAlarm);
  const float x = b.x + 26 * s, w = b.w - 52 * s;
  text(Bold, 22, m.title, kWhite, x, b.y + 22 * s, w);
  float y = b.y + 70 * s;
  for (const std::string& line : m.lines) {
    text(Text, 16, line, kAlarmText, x, y, w);
    y += 26 * s;
  }
  text(Text, 14, "Press any key or click to go on", kPale, x, b.bottom() - 38 * s, w);
}

}  // namespace hopgames
