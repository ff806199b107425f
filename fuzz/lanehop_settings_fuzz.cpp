// lanehop's settings file and the step that consumes it: each panel line
// split into its label and value and drawn in the panel's texture font, as
// the paused panel draws it, in an offscreen GL context made once.
#include <FTGL/ftgl.h>
#include <SDL2/SDL.h>

#include <cstdlib>

#include "fuzz.h"
#include "level.h"

namespace {

FTFont* panelFont() {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) std::abort();
  SDL_Window* w = SDL_CreateWindow("fuzz", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!w || !SDL_GL_CreateContext(w)) std::abort();
  auto* font = new FTTextureFont(PANEL_FONT);
  if (font->Error() || !font->FaceSize(18)) std::abort();
  return font;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FTFont* font = panelFont();
  std::istringstream in = hopfuzz::stream(data, size);
  const lanehop::Settings settings = lanehop::parseSettings(in);
  for (const auto& page : settings.pages)
    for (const std::string& line : page) {
      font->Render(lanehop::settingLabel(line).c_str(), -1, FTPoint(), FTPoint(), FTGL::RENDER_ALL);
      font->Render(lanehop::settingValue(line).c_str(), -1, FTPoint(), FTPoint(), FTGL::RENDER_ALL);
    }
  return 0;
}
