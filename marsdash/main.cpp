#include "app.h"

int main(int, char**) { return marsdash::runGame(); }
