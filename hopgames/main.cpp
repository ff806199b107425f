#include "app.h"

int main(int argc, char** argv) { return hopgames::run(argc, argv); }
