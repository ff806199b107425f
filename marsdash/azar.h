// The game's random draws. Everything comes from the C generator, seeded once
// at start-up (tests seed it themselves to replay a map).
#pragma once

namespace marsdash {

// A draw in [0, 1]. rand() reaches 2^31 - 1 on this platform, so dividing it
// by 32767 as a 15-bit generator would allow gives values in the tens of
// thousands; the low 15 bits keep the range whatever RAND_MAX is.
float azarUnidad();

// rand() % n for n > 0 (0 otherwise).
int azar(int n);

}  // namespace marsdash
