#include "texto.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include <stdexcept>

#include "archivo.h"

namespace coopdash {

namespace {
constexpr long kKeepFrames = 3;
}

Texto::Texto(const std::string& path) : path_(path), bytes_(readAssetFile(path)) {
    for (int size : {20, 25, 40}) {
        TTF_Font* f = open(size);
        if (!f) {
            for (auto& kv : fonts_) TTF_CloseFont(kv.second);
            throw std::runtime_error(path + ": no se pudo abrir la fuente (" + TTF_GetError() + ")");
        }
        fonts_[size] = f;
        // A font file cut short can open and still fail to render.
        SDL_Surface* s = TTF_RenderUTF8_Blended(f, "Plonky Path 0123456789", SDL_Color{255, 255, 255, 255});
        if (!s) {
            for (auto& kv : fonts_) TTF_CloseFont(kv.second);
            throw std::runtime_error(path + ": la fuente no dibuja texto (" + TTF_GetError() + ")");
        }
        SDL_FreeSurface(s);
    }
}

Texto::~Texto() {
    for (auto& kv : cache_) glDeleteTextures(1, &kv.second.texture);
    for (auto& kv : fonts_) TTF_CloseFont(kv.second);
}

// Every size from the bytes read once at start: the file is not opened again.
TTF_Font* Texto::open(int size) {
    SDL_RWops* rw = SDL_RWFromConstMem(bytes_.data(), int(bytes_.size()));
    return rw ? TTF_OpenFontRW(rw, 1, size) : nullptr;
}

TTF_Font* Texto::font(int size) {
    auto it = fonts_.find(size);
    if (it != fonts_.end()) return it->second;
    TTF_Font* f = open(size);
    if (f) fonts_[size] = f;
    return f;
}

const Texto::Entry* Texto::entry(const std::string& text, int size) {
    const auto key = std::make_pair(size, text);
    auto it = cache_.find(key);
    if (it != cache_.end()) {
        it->second.lastUsed = frame_;
        return &it->second;
    }
    TTF_Font* f = font(size);
    if (!f || text.empty()) return nullptr;
    SDL_Surface* s = TTF_RenderUTF8_Blended(f, text.c_str(), SDL_Color{255, 255, 255, 255});
    if (!s) return nullptr;
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ABGR8888, 0);
    SDL_FreeSurface(s);
    if (!rgba) return nullptr;
    Entry e;
    e.width = rgba->w;
    e.height = rgba->h;
    e.lastUsed = frame_;
    glGenTextures(1, &e.texture);
    glBindTexture(GL_TEXTURE_2D, e.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, rgba->pitch / 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, rgba->w, rgba->h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba->pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    SDL_FreeSurface(rgba);
    return &(cache_[key] = e);
}

std::pair<int, int> Texto::measure(const std::string& text, int size) {
    int w = 0, h = 0;
    TTF_Font* f = font(size);
    if (!f || TTF_SizeUTF8(f, text.c_str(), &w, &h) != 0) return {0, 0};
    return {w, h};
}

void Texto::draw(const std::string& text, double x, double y, int size, const unsigned char rgb[3], Align align) {
    const Entry* e = entry(text, size);
    if (!e) return;
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_POLYGON_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT |
                 GL_DEPTH_BUFFER_BIT | GL_FOG_BIT | GL_LIGHTING_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, kLayoutWidth, kLayoutHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // Text reads the same whatever the scene's render switches.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, e->texture);
    double left = x, top = y;
    if (align == Align::Centre) {
        left = x - e->width / 2.0;
        top = y - e->height / 2.0;
    }
    const auto quad = [&](double dx, double dy) {
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2d(left + dx, top + dy);
        glTexCoord2f(1, 0);
        glVertex2d(left + dx + e->width, top + dy);
        glTexCoord2f(1, 1);
        glVertex2d(left + dx + e->width, top + dy + e->height);
        glTexCoord2f(0, 1);
        glVertex2d(left + dx, top + dy + e->height);
        glEnd();
    };
    const double shadow = size >= 40 ? 3 : 2;
    glColor4f(0.1f, 0.08f, 0.12f, 0.75f);
    quad(shadow, shadow);
    glColor4ub(rgb[0], rgb[1], rgb[2], 255);
    quad(0, 0);
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

void Texto::endFrame() {
    ++frame_;
    for (auto it = cache_.begin(); it != cache_.end();) {
        if (frame_ - it->second.lastUsed > kKeepFrames) {
            glDeleteTextures(1, &it->second.texture);
            it = cache_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace coopdash
