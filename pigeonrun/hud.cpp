#include "hud.h"

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
