#include <SDL2/SDL.h>

#include "app.h"

int main(int argc, char** argv) { return duckrun::runGame(argc, argv); }
