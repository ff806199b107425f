// Text through SDL_ttf: the font opened once per size, each string rendered
// once into a GL texture and kept while it is drawn; textures unused for a
// few frames are freed at the end of a frame, so nothing made per frame
// outlives it for long and memory stays flat.
#pragma once

#include <map>
#include <string>
#include <utility>

struct _TTF_Font;

namespace coopdash {

constexpr const char* kFontPath = "../fuentes/Brickley Blocks.ttf";
// The fixed layout every 2D element is placed in, stretched to the drawable.
constexpr int kLayoutWidth = 1200, kLayoutHeight = 720;

enum class Align { Left, Centre };

class Texto {
public:
    // Reads kFontPath (or `path`), opens it at 20, 25 and 40 points and
    // renders a test string; throws naming the file when it cannot (missing,
    // not a regular file, not a font). Needs SDL_ttf started.
    explicit Texto(const std::string& path = kFontPath);
    ~Texto();
    Texto(const Texto&) = delete;
    Texto& operator=(const Texto&) = delete;

    // Text at layout pixels (x, y) from the top-left (its top-left corner, or
    // its centre with Align::Centre), with a soft dark shadow; draws in its
    // own orthographic projection and leaves the GL state as it found it.
    void draw(const std::string& text, double x, double y, int size, const unsigned char rgb[3],
              Align align = Align::Left);
    // Pixel size of a text at a size (0 x 0 when it cannot be rendered).
    std::pair<int, int> measure(const std::string& text, int size);
    // Frees the textures not drawn in the last few frames.
    void endFrame();
    std::size_t cachedTextures() const { return cache_.size(); }

private:
    struct Entry {
        unsigned texture = 0;
        int width = 0, height = 0;
        long lastUsed = 0;
    };
    _TTF_Font* open(int size);
    _TTF_Font* font(int size);
    const Entry* entry(const std::string& text, int size);

    std::string path_;
    std::string bytes_;  // the font file; every open font reads from it
    std::map<int, _TTF_Font*> fonts_;
    std::map<std::pair<int, std::string>, Entry> cache_;
    long frame_ = 0;
};

}  // namespace coopdash
