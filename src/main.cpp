#include "app.h"

int main(int, char**) { return lanehop::runGame(); }
