#include "app.h"

int main(int, char**) { return pigeonrun::runGame(); }
