#include <SDL2/SDL.h>

#include "app.h"

int main(int, char**) { return birdhop::runGame(); }
