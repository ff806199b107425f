#include "fonts.h"

#include <stdexcept>

#include "files.h"

namespace assetgen {

namespace {

constexpr const char* kQuicksand = "/usr/share/fonts/truetype/quicksand/";
constexpr const char* kLiberation = "/usr/share/fonts/truetype/liberation2/";

std::string join(const char* dir, const char* file) { return std::string(dir) + file; }

void requireFile(const FontSource& f) {
  if (!std::filesystem::is_regular_file(f.path))
    throw std::runtime_error(std::string("missing font ") + f.path + " (install the Debian package " + f.package +
                             ")");
}

}  // namespace

const std::vector<FontSource>& fontSources() {
  static const std::string quicksandRegular = join(kQuicksand, "Quicksand-Regular.ttf");
  static const std::string quicksandBold = join(kQuicksand, "Quicksand-Bold.ttf");
  static const std::string liberationSans = join(kLiberation, "LiberationSans-Regular.ttf");
  static const std::string liberationBold = join(kLiberation, "LiberationSans-Bold.ttf");
  static const std::vector<FontSource> table = {
      // The game opens the .otf name with SDL_ttf, which goes by content, not extension.
      {"boardhop", "hud", quicksandRegular.c_str(), "fonts-quicksand", "Quicksand-Regular.otf"},
      {"boardhop", "arial", liberationSans.c_str(), "fonts-liberation2", "arial.ttf"},
      {"boardhop", "title", quicksandBold.c_str(), "fonts-quicksand", ""},
      {"lanehop", "cartoon", quicksandBold.c_str(), "fonts-quicksand", "resources/fonts/cartoon.ttf"},
      {"lanehop", "ocraext", "/usr/share/fonts/truetype/ocr-a/OCRA.ttf", "fonts-ocr-a", "resources/fonts/ocraext.ttf"},
      {"marsdash", "hud", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", "fonts-dejavu-core", "modelos/font.ttf"},
      {"henrun", "hud", quicksandBold.c_str(), "fonts-quicksand", "Fuentes/fuente.ttf"},
      {"pigeonrun", "title", quicksandBold.c_str(), "fonts-quicksand", ""},
      {"pigeonrun", "hud", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", "fonts-dejavu-core", ""},
      {"orbitdash", "atlas", "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf", "fonts-dejavu-core", ""},
      {"orbitdash", "title", quicksandBold.c_str(), "fonts-quicksand", ""},
      {"birdhop", "glyphs", "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf", "fonts-dejavu-core", ""},
      {"birdhop", "labels", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", "fonts-dejavu-core", ""},
      // A blocky pixel face for the name the game opens.
      {"coopdash", "blocks", "/usr/share/fonts/truetype/dotgothic16/DotGothic16-Regular.ttf", "fonts-dotgothic16",
       "fuentes/Brickley Blocks.ttf"},
      {"roosterway", "retro", "/usr/share/fonts/truetype/ocr-a/OCRABold.ttf", "fonts-ocr-a", "fonts/font_retro.ttf"},
      // The front window: a rounded face for its title and names, a plain sans for the rest.
      {"hopgames", "title", quicksandBold.c_str(), "fonts-quicksand", "fonts/title.ttf"},
      {"hopgames", "text", liberationSans.c_str(), "fonts-liberation2", "fonts/text.ttf"},
      {"hopgames", "bold", liberationBold.c_str(), "fonts-liberation2", "fonts/bold.ttf"},
  };
  return table;
}

std::filesystem::path fontFile(const std::string& game, const std::string& role) {
  for (const FontSource& f : fontSources())
    if (game == f.game && role == f.role) {
      requireFile(f);
      return f.path;
    }
  throw std::runtime_error("no font for role '" + role + "' of " + game);
}

void stageFonts(const std::string& game, const std::filesystem::path& outdir) {
  for (const FontSource& f : fontSources())
    if (game == f.game && *f.stagedAs) {
      requireFile(f);
      copyFile(f.path, outdir / f.stagedAs);
    }
}

std::string fontListing() {
  std::string out;
  for (const FontSource& f : fontSources())
    out += std::string(f.game) + ' ' + f.role + ' ' + f.path + ' ' + f.package + ' ' +
           (*f.stagedAs ? f.stagedAs : "-") + '\n';
  return out;
}

}  // namespace assetgen
