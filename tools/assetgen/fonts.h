// Every font file the games use comes from a Debian package. This table is
// the one place that names them, so the set-up script can install the
// packages (`assetgen --fonts` prints it).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace assetgen {

struct FontSource {
  const char* game;
  const char* role;      // how the game's generator asks for it ("title", "hud", ...)
  const char* path;      // the file as the Debian package installs it
  const char* package;   // the Debian package
  const char* stagedAs;  // name under the game's folder; "" when only rendered into images
};

const std::vector<FontSource>& fontSources();
// The source file for a game's role; throws when the role is not in the
// table or the file is missing (naming the package to install).
std::filesystem::path fontFile(const std::string& game, const std::string& role);
// Copies every staged font of the game into outdir under its staged name.
void stageFonts(const std::string& game, const std::filesystem::path& outdir);
// One line per entry: game, role, path, package, staged name (or "-").
std::string fontListing();

}  // namespace assetgen
