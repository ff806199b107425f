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

// The mean colour (0..1 RGB) of a tile image, read with its texture; false
// when the image could not be read.
bool tileColour(TileImage which, float rgb[3]);

// Deletes the tile textures; the next use loads them again. Called when the
// GL context goes away.
void releaseTileTextures();

// Uploads a surface of any pixel format as the bound texture. Exposed for tests.
bool uploadSurface(SDL_Surface* surface);

}  // namespace boardhop
