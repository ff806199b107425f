// The three tile images, read with SDL_image once each and kept for the
// program's life.
#pragma once

#include <string>

struct SDL_Surface;

namespace boardhop {

enum class TileImage { Agua, Tierra, Pasto };

const char* tileImagePath(TileImage which);

// The GL texture of a tile image, loaded on first use; 0 when the file could
// not be read (the tile then draws untextured).
unsigned tileTexture(TileImage which);

// Deletes the tile textures; the next use loads them again. Called when the
// GL context goes away.
void releaseTileTextures();

// Uploads a surface of any pixel format as the bound texture. Exposed for tests.
bool uploadSurface(SDL_Surface* surface);

}  // namespace boardhop
