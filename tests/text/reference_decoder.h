// The reference the decoder's tests and its fuzz target both check against: a
// byte-by-byte decoder written from the rules rather than from the code under
// test, slow and plain.
//   - ASCII (NUL included) is itself;
//   - C0 80 is U+0000, the JVM's form of NUL;
//   - two- and three-byte sequences decode as in UTF-8, except that the
//     surrogates ED A0 80 .. ED BF BF pass through (the JVM encodes each
//     surrogate of a pair on its own);
//   - a four-byte sequence becomes a surrogate pair;
//   - anything else becomes U+FFFD, one per maximal subpart: a lead byte
//     followed by as many bytes as still fit its sequence, or one byte alone.
// The text is modified UTF-8 exactly when it holds neither a four-byte
// sequence nor an ill-formed subpart.
#ifndef OLVAN_TESTS_TEXT_REFERENCE_DECODER_H
#define OLVAN_TESTS_TEXT_REFERENCE_DECODER_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace olvan_test {

struct ReferenceText {
    std::u16string units;
    bool modified = true;  // no four-byte sequence and nothing ill-formed
};

// A lead byte's sequence length (0: it starts none) and the range of the byte
// after it; every later byte is 80..BF.
struct Lead {
    int length;
    uint8_t low;
    uint8_t high;
};

inline Lead lead_of(uint8_t b) {
    if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
    if (b == 0xE0) return {3, 0xA0, 0xBF};               // no overlong three-byte forms
    if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};  // ED: surrogates allowed
    if (b == 0xF0) return {4, 0x90, 0xBF};               // no overlong four-byte forms
    if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};               // nothing above U+10FFFF
    return {0, 0, 0};
}

inline ReferenceText reference_decode(const uint8_t *s, size_t n) {
    ReferenceText r;
    size_t i = 0;
    while (i < n) {
        const uint8_t b = s[i];
        if (b < 0x80) {
            r.units.push_back(b);
            ++i;
            continue;
        }
        if (b == 0xC0 && i + 1 < n && s[i + 1] == 0x80) {
            r.units.push_back(0);
            i += 2;
            continue;
        }
        const Lead lead = lead_of(b);
        uint32_t code_point = b & (0x7F >> lead.length);
        int taken = lead.length == 0 ? 0 : 1;
        while (taken > 0 && taken < lead.length && i + taken < n) {
            const uint8_t c = s[i + taken];
            const uint8_t low = taken == 1 ? lead.low : 0x80;
            const uint8_t high = taken == 1 ? lead.high : 0xBF;
            if (c < low || c > high) {
                break;
            }
            code_point = code_point << 6 | (c & 0x3F);
            ++taken;
        }
        if (taken < lead.length || lead.length == 0) {
            r.units.push_back(0xFFFD);
            r.modified = false;
            i += taken == 0 ? 1 : taken;
            continue;
        }
        if (lead.length == 4) {
            r.modified = false;
            const uint32_t v = code_point - 0x10000;
            r.units.push_back(static_cast<char16_t>(0xD800 | v >> 10));
            r.units.push_back(static_cast<char16_t>(0xDC00 | (v & 0x3FF)));
        } else {
            r.units.push_back(static_cast<char16_t>(code_point));
        }
        i += lead.length;
    }
    return r;
}

inline ReferenceText reference_decode(const std::string &text) {
    return reference_decode(reinterpret_cast<const uint8_t *>(text.data()), text.size());
}

}  // namespace olvan_test

#endif
