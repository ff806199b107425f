// GL textures made from image files, one per path.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace hop {

class TextureError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct LoadedImage {
    int width = 0, height = 0;
    std::vector<unsigned char> bgr;  // rows bottom-up, blue-green-red
};

// Any file FreeImage reads, as 24-bit BGR; throws TextureError naming the
// file when it cannot be read, also when the decoder had to complain (a file
// cut short decodes, its missing part blank).
LoadedImage loadImage(const std::string& path);
// The engine's call: pointer and size into a buffer that lives until the
// next call on this thread.
void loadImage(const std::string& path, void*& data, int& width, int& height);

class TextureManager {
public:
    static TextureManager* getInstance();
    // The first character of the path is dropped (the engine's convention).
    // A path already loaded returns its texture without reading the file.
    unsigned int loadTexture(const std::string& path, float wrap);
    std::size_t size() const { return texIDs.size(); }
    // How many image files have been read (tests count them).
    int filesRead() const { return reads; }
    // Deletes every texture (needs the context current).
    void clear();

private:
    TextureManager() = default;
    std::unordered_map<std::string, unsigned int> texIDs;
    int reads = 0;
};

}  // namespace hop
