#include "app.h"

int main(int, char**) { return boardhop::runGame(); }
