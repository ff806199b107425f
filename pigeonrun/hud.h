// What the presentation computes without GL: the places of the HUD digits
// and the colour each material group of a model is drawn in.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace pigeonrun {

// One digit image on the overlay, in its coordinates: x from -640 (left
// edge) to 0, y from -480 (bottom) to 0 (top).
struct DigitQuad {
    int digit = 0;
    float x0 = 0, x1 = 0, y0 = 0, y1 = 0;
};

constexpr float kDigitWidth = 33;
constexpr float kDigitStep = 27;  // digits overlap by 6 pixels

// The digits of `value` (0 shows one 0), units first: the units digit spans
// unitsX0..unitsX0 + 33, each further digit 27 to the left.
std::vector<DigitQuad> digitQuads(int value, float unitsX0, float y0, float y1);

// One square of a word drawn in block letters, in overlay coordinates.
struct BlockCell {
    float x0 = 0, x1 = 0, y0 = 0, y1 = 0;
};

// The line of the best score: "RÉCORD" in block letters of 5 x 7 cells of
// `cell` pixels (the accent above), then the digits of `best` as on the HUD,
// the whole line centred on the overlay with the digits' band from y0 to
// y0 + 33.
struct RecordLine {
    std::vector<BlockCell> word;
    std::vector<DigitQuad> digits;
};
RecordLine recordLine(long long best, float y0, float cell = 4);

// The colour of a pigeon or car material; false for a name not in the table
// (the faces then keep the current colour).
bool materialColour(const std::string& name, std::array<double, 3>& rgb);

}  // namespace pigeonrun
