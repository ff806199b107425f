// Text from files reaches the font renderer only as well-formed UTF-8: a
// renderer walking a broken sequence reads past the end of the string.
#pragma once

#include <string>

namespace hop {

// `text` with every ill-formed sequence (a stray continuation byte, a lead
// byte cut off before its continuations, an overlong form, a surrogate, a
// value past U+10FFFF, bytes C0, C1, F5..FF) replaced by U+FFFD: one
// replacement per broken start, as the Unicode standard recommends. Valid
// text comes back unchanged.
std::string validUtf8(const std::string& text);

}  // namespace hop
