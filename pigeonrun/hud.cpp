#include "hud.h"

#include <algorithm>

namespace pigeonrun {

std::vector<DigitQuad> digitQuads(int value, float unitsX0, float y0, float y1) {
    std::vector<DigitQuad> out;
    if (value < 0) value = 0;
    float x = unitsX0;
    do {
        out.push_back(DigitQuad{value % 10, x, x + kDigitWidth, y0, y1});
        value /= 10;
        x -= kDigitStep;
    } while (value > 0);
    return out;
}

RecordLine recordLine(long long best, float y0, float cell) {
    // Rows from the top: the accent of the É stands two rows above the letters.
    static const char* const kR[10] = {".....", ".....", ".....", "####.", "#...#",
                                       "#...#", "####.", "#.#..", "#..#.", "#...#"};
    static const char* const kE[10] = {"...#.", "..#..", ".....", "#####", "#....",
                                       "#....", "####.", "#....", "#....", "#####"};
    static const char* const kC[10] = {".....", ".....", ".....", ".####", "#....",
                                       "#....", "#....", "#....", "#....", ".####"};
    static const char* const kO[10] = {".....", ".....", ".....", ".###.", "#...#",
                                       "#...#", "#...#", "#...#", "#...#", ".###."};
    static const char* const kD[10] = {".....", ".....", ".....", "####.", "#...#",
                                       "#...#", "#...#", "#...#", "#...#", "####."};
    static const char* const* const kWord[6] = {kR, kE, kC, kO, kR, kD};
    constexpr float kBand = 33;  // the digits' height

    RecordLine line;
    const int value = int(std::clamp(best, 0LL, 999999999LL));
    const std::vector<DigitQuad> digits = digitQuads(value, 0, y0, y0 + kBand);
    const float wordWidth = (6 * 6 - 1) * cell, gap = 3 * cell;
    const float digitsWidth = kDigitWidth + kDigitStep * float(digits.size() - 1);
    const float left = -320 - (wordWidth + gap + digitsWidth) / 2;
    const float unitsX = left + wordWidth + gap + digitsWidth - kDigitWidth;
    for (DigitQuad d : digits) {
        d.x0 += unitsX, d.x1 += unitsX;
        line.digits.push_back(d);
    }
    // The letters' seven rows centred on the digits' band.
    const float top = y0 + (kBand + 7 * cell) / 2 + 3 * cell;
    for (int letter = 0; letter < 6; ++letter)
        for (int r = 0; r < 10; ++r)
            for (int c = 0; c < 5; ++c)
                if (kWord[letter][r][c] == '#') {
                    const float x = left + float(letter * 6 + c) * cell, y = top - float(r) * cell;
                    line.word.push_back(BlockCell{x, x + cell, y - cell, y});
                }
    return line;
}

bool materialColour(const std::string& name, std::array<double, 3>& rgb) {
    struct Entry {
        const char* name;
        std::array<double, 3> rgb;
    };
    static const Entry kTable[] = {
        {"grey_dark", {0.2, 0.2, 0.2}},     {"grey", {0.5, 0.5, 0.5}},        {"grey_light", {0.8, 0.8, 0.8}},
        {"orange", {1, 0.5, 0}},            {"white", {1, 1, 1}},             {"black", {0, 0, 0}},
        {"phong4SG.003", {0.2, 0.2, 0.2}},  {"phong6SG.003", {0.5, 0.5, 0.5}}, {"phong8SG.003", {0.8, 0.8, 0.8}},
        {"phong2SG.003", {1, 0.5, 0}},      {"phong3SG.003", {1, 0.5, 0}},    {"phong1SG.003", {1, 1, 1}},
        {"phong5SG.003", {1, 1, 1}},
    };
    for (const Entry& e : kTable)
        if (name == e.name) {
            rgb = e.rgb;
            return true;
        }
    return false;
}

}  // namespace pigeonrun
