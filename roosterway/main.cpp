#include "app.h"

int main(int argc, char** argv) { return roosterway::runGame(argc, argv); }
