// Texture fonts cached by name and size, and the one call that draws text.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "math/color.h"

class FTFont;

namespace hop {

class FontError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

class FontManager {
public:
    static FontManager* getInstance();
    // ./resources/fonts/<name>.ttf at `size` points, 72 dpi; loaded once per
    // (name, size). Throws FontError naming the file when it cannot be read.
    void loadFont(const std::string& name, unsigned size);
    // A font never loaded is the caller's fault: throws std::out_of_range.
    FTFont* getFont(const std::string& name, int size) const;
    bool hasFont(const std::string& name, int size) const { return fonts.count(key(name, size)) > 0; }
    std::size_t size() const { return fonts.size(); }
    static std::string key(const std::string& name, int size) { return name + std::to_string(size); }
    static std::string pathOf(const std::string& name);
    void clear();

private:
    FontManager() = default;
    ~FontManager();
    std::map<std::string, std::unique_ptr<FTFont>> fonts;
};

// One line of UTF-8 text in the 2D projection; x and y are fractions of the
// window from its bottom-left corner, where the baseline starts. With a
// maxWidth (a fraction of the window width) a longer line is drawn smaller
// so that it fits.
void renderText(const std::string& text, float x, float y, const Color& color, const std::string& fontName,
                int fontSize, float maxWidth = 0);

}  // namespace hop
