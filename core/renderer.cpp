#include "renderer.h"

#include <algorithm>
#include <cctype>

namespace hop {

bool isSoftwareRenderer(const std::string& glRenderer) {
    std::string name = glRenderer;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    for (const char* word : {"llvmpipe", "softpipe", "swrast", "software"})
        if (name.find(word) != std::string::npos) return true;
    return false;
}

}  // namespace hop
