// What the game decides from the GL renderer's name, apart from any context.
#pragma once

#include <string>

namespace hop {

// True for a renderer that rasterises on the CPU: Mesa's llvmpipe, softpipe
// and swrast, and any renderer whose name says "software" (in any case).
// Such a renderer shades every sample of a multisampled framebuffer: its
// window is made without one.
bool isSoftwareRenderer(const std::string& glRenderer);

}  // namespace hop
