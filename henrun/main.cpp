#include "app.h"

int main(int, char**) { return henrun::runGame(); }
