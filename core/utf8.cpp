#include "utf8.h"

namespace hop {

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";

// The bytes at s[i..] that form a sequence or the start of one: `whole` when
// they make a complete well-formed character, else the length of the broken
// start (at least 1), which becomes one replacement character.
struct Sequence {
    std::size_t length;
    bool whole;
};

Sequence sequenceAt(const std::string& s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) return {1, true};
    std::size_t n;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
        if (b0 == 0xE0) lo = 0xA0;  // no overlong forms
        if (b0 == 0xED) hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
        if (b0 == 0xF0) lo = 0x90;  // no overlong forms
        if (b0 == 0xF4) hi = 0x8F;  // nothing past U+10FFFF
    } else {
        return {1, false};  // 80..C1 and F5..FF never start a character
    }
    std::size_t k = 1;
    for (; k < n && i + k < s.size(); ++k) {
        const unsigned char b = byte(i + k);
        const bool fits = k == 1 ? (b >= lo && b <= hi) : (b >= 0x80 && b <= 0xBF);
        if (!fits) break;
    }
    return {k, k == n};
}

}  // namespace

std::string validUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Sequence seq = sequenceAt(text, i);
        if (seq.whole)
            out.append(text, i, seq.length);
        else
            out += kReplacement;
        i += seq.length;
    }
    return out;
}

}  // namespace hop
