#include "app.h"

int main() { return coopdash::runGame(); }
