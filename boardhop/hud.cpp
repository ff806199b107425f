#include "hud.h"

#include "files.h"

#include <GL/gl.h>
#include <SDL2/SDL_ttf.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "mesh.h"
#include "tiletextures.h"

namespace boardhop {

namespace {
const char* const kScoreFont = "Quicksand-Regular.otf";
const char* const kPlainFont = "arial.ttf";
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kWhite{255, 255, 255};

std::map<std::pair<std::string, int>, TTF_Font*>& fonts() {
    static std::map<std::pair<std::string, int>, TTF_Font*> open;
    return open;
}
// Whether the font draws a letter with at least one visible pixel.
bool drawsGlyphs(TTF_Font* font) {
    SDL_Surface* s = TTF_RenderUTF8_Blended(font, "A", SDL_Color{255, 255, 255, 255});
    if (!s) return false;
    bool seen = false;
    if (SDL_MUSTLOCK(s)) SDL_LockSurface(s);
    for (int y = 0; y < s->h && !seen; ++y) {
        const auto* row = static_cast<const Uint8*>(s->pixels) + std::size_t(y) * std::size_t(s->pitch);
        for (int x = 0; x < s->w && !seen; ++x) {
            Uint32 pixel = 0;
            std::memcpy(&pixel, row + std::size_t(x) * s->format->BytesPerPixel, s->format->BytesPerPixel);
            Uint8 r, g, b, a;
            SDL_GetRGBA(pixel, s->format, &r, &g, &b, &a);
            seen = a > 0;
        }
    }
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    SDL_FreeSurface(s);
    return seen;
}
// Fonts already reported as unable to draw.
std::set<TTF_Font*>& unusableFonts() {
    static std::set<TTF_Font*> reported;
    return reported;
}
}  // namespace

DeathMessage chooseDeathMessage(bool newRecordShown, int lastScore, int lastHighScore, int highScore) {
    const bool recordInFatalFrame = lastScore >= 0 && highScore > lastHighScore;
    return !newRecordShown && lastScore <= lastHighScore && !recordInFatalFrame ? DeathMessage::GameOver
                                                                                 : DeathMessage::NewHighScore;
}

TTF_Font* hudFont(const char* file, int size) {
    auto key = std::make_pair(std::string(file), size);
    auto it = fonts().find(key);
    if (it != fonts().end()) return it->second;
    TTF_Font* font = nullptr;
    if (notAPlainFile(file)) {
        std::fprintf(stderr, "could not open font %s: not a plain file\n", file);
    } else if (!(font = TTF_OpenFont(file, size))) {
        std::fprintf(stderr, "could not open font %s: %s\n", file, TTF_GetError());
    } else if (!drawsGlyphs(font)) {
        // A file cut short opens, then draws every text blank.
        std::fprintf(stderr, "could not open font %s: its glyphs cannot be drawn\n", file);
        TTF_CloseFont(font);
        font = nullptr;
    }
    fonts()[key] = font;  // a failure is remembered too: one message, no retries
    return font;
}

std::string fontFile(TTF_Font* font) {
    for (const auto& [key, open] : fonts())
        if (open == font) return key.first;
    return "?";
}

void closeFonts() {
    for (auto& [key, font] : fonts())
        if (font) TTF_CloseFont(font);
    fonts().clear();
    unusableFonts().clear();
}

HUD::HUD(int w, int h) : width(w), height(h), pauseTexture(std::make_unique<ImageTexture>("pausa2.PNG")) {}

HUD::~HUD() = default;

void HUD::begin2D() {
    // The render switches and the light keys act on the scene, not on the
    // text: the HUD draws filled, smooth and lit by light 0 alone, whatever
    // the scene left on (view 5 leaves light 3 on with the player's colour).
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_POLYGON_BIT | GL_CURRENT_BIT);
    for (GLenum light = GL_LIGHT1; light <= GL_LIGHT7; ++light) glDisable(light);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glShadeModel(GL_SMOOTH);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -5, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glNormal3f(0, 0, 1);
}

void HUD::end2D() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}

void HUD::update(std::uint32_t) {
    begin2D();
    if (!pauseTexture->bind()) glDisable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(1, 0);
    glVertex2f(float(width), 0);
    glTexCoord2f(1, 1);
    glVertex2f(float(width), float(height));
    glTexCoord2f(0, 1);
    glVertex2f(0, float(height));
    glEnd();
    end2D();
}

void HUD::drawText(const std::string& text, float cx, float cy, Rgb colour, TTF_Font* font) {
    if (!font || text.empty()) return;
    SDL_Surface* surface = TTF_RenderUTF8_Blended(font, text.c_str(), SDL_Color{colour.r, colour.g, colour.b, 255});
    if (!surface) {
        // A font file cut short opens but cannot draw: say which, once.
        if (unusableFonts().insert(font).second)
            std::fprintf(stderr, "could not draw text with font %s: %s\n", fontFile(font).c_str(), TTF_GetError());
        return;
    }
    begin2D();
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    uploadSurface(surface);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const float w = float(surface->w), h = float(surface->h);
    const float x0 = cx - w / 2, y0 = cy - h / 2;
    glColor3f(1, 1, 1);
    // Surface rows run top to bottom: t = 0 is the top of the text.
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2f(x0, y0);
    glTexCoord2f(1, 1);
    glVertex2f(x0 + w, y0);
    glTexCoord2f(1, 0);
    glVertex2f(x0 + w, y0 + h);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y0 + h);
    glEnd();

    end2D();
    glDeleteTextures(1, &id);
    SDL_FreeSurface(surface);
}

void HUD::drawScore(int score, int highScore) {
    if (score >= 0) {
        newRecordShown = false;
        TTF_Font* font = hudFont(kScoreFont, 23);
        int w = 0, h = 0;
        const std::string left = "score " + std::to_string(score);
        if (font && TTF_SizeUTF8(font, left.c_str(), &w, &h) == 0) drawText(left, w / 2.0f, height - h / 2.0f, kGreen, font);
        const std::string right = "High Score: " + std::to_string(highScore);
        if (font && TTF_SizeUTF8(font, right.c_str(), &w, &h) == 0)
            drawText(right, width - w / 2.0f, height - h / 2.0f, kGreen, font);
        const std::string help = "h: help";
        if (font && TTF_SizeUTF8(font, help.c_str(), &w, &h) == 0) drawText(help, width - w / 2.0f, h / 2.0f, kGreen, font);
    } else {
        TTF_Font* big = hudFont(kScoreFont, 40);
        if (chooseDeathMessage(newRecordShown, lastScore, lastHighScore, highScore) == DeathMessage::GameOver) {
            drawText("Game Over", width / 2.0f, height / 2.0f, kBlue, big);
        } else {
            newRecordShown = true;
            drawText("New highscore: " + std::to_string(highScore), width / 2.0f, height / 2.0f + 100, kBlue, big);
        }
        TTF_Font* small = hudFont(kPlainFont, 20);
        int w = 0, h = 0;
        if (small && TTF_SizeUTF8(small, "Press space", &w, &h) == 0)
            drawText("Press space", width / 2.0f, h / 2.0f, kBlue, small);
    }
    lastScore = score;
    lastHighScore = highScore;
}

void HUD::drawHelp() {
    static const char* const lines[] = {"q: quit", "t: wireframe", "k: texture", "p: pause",
                                        "f: flat", "+: +vel",      "-: -vel"};
    TTF_Font* font = hudFont(kPlainFont, 30);
    for (int i = 0; i < 7; ++i) drawText(lines[i], width / 6.0f, height / 2.0f - 30.0f * i, kWhite, font);
}

}  // namespace boardhop
