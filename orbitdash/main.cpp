#include "app.h"

int main(int, char**) { return orbitdash::runGame(); }
