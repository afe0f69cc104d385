// libFuzzer target for the configuration text decoder (service/config_text).
//
// Each input is copied into a heap block of exactly its size, with no NUL
// after it, so AddressSanitizer reports any read past the end; the output
// buffer is also exactly as long as utf16_length says, so any write past it
// is reported too. The results must agree with the byte-by-byte decoder
// below, written from the rules rather than from the code under test:
//   - ASCII (NUL included) is itself;
//   - C0 80 is U+0000, the JVM's form of NUL;
//   - two- and three-byte sequences decode as in UTF-8, except that the
//     surrogates ED A0 80 .. ED BF BF pass through (the JVM encodes each
//     surrogate of a pair on its own);
//   - a four-byte sequence becomes a surrogate pair;
//   - anything else becomes U+FFFD, one per maximal subpart: a lead byte
//     followed by as many bytes as still fit its sequence, or one byte alone.
// is_modified_utf8 must be true exactly when the reference met neither a
// four-byte sequence nor an ill-formed subpart.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "text/config_text.h"

namespace {

struct Reference {
    std::vector<char16_t> units;
    bool saw_four_byte = false;
    bool saw_invalid = false;
};

// The rules for a lead byte: sequence length and the range of the byte after it.
struct Lead {
    int length;  // 0 for a byte that starts no sequence
    uint8_t low;
    uint8_t high;
};

Lead lead_of(uint8_t b) {
    if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
    if (b == 0xE0) return {3, 0xA0, 0xBF};      // no overlong three-byte forms
    if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};  // ED: surrogates allowed
    if (b == 0xF0) return {4, 0x90, 0xBF};      // no overlong four-byte forms
    if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};      // nothing above U+10FFFF
    return {0, 0, 0};
}

Reference reference_decode(const uint8_t *s, size_t n) {
    Reference r;
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
        if (lead.length == 0) {
            r.units.push_back(0xFFFD);
            r.saw_invalid = true;
            ++i;
            continue;
        }
        uint32_t code_point = b & (0x7F >> lead.length);
        int taken = 1;
        while (taken < lead.length && i + taken < n) {
            const uint8_t c = s[i + taken];
            const uint8_t low = taken == 1 ? lead.low : 0x80;
            const uint8_t high = taken == 1 ? lead.high : 0xBF;
            if (c < low || c > high) {
                break;
            }
            code_point = code_point << 6 | (c & 0x3F);
            ++taken;
        }
        if (taken < lead.length) {
            r.units.push_back(0xFFFD);
            r.saw_invalid = true;
            i += taken;
            continue;
        }
        if (lead.length == 4) {
            r.saw_four_byte = true;
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

[[noreturn]] void disagree(const char *what, size_t at, unsigned want, unsigned got) {
    std::fprintf(stderr, "config_text disagrees with the reference: %s at %zu: want %u, got %u\n", what, at, want,
                 got);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Exactly size bytes, nothing after them: ASan catches a read past the end.
    std::unique_ptr<char[]> text(new char[size]);
    if (size > 0) {
        std::memcpy(text.get(), data, size);
    }
    const Reference want = reference_decode(data, size);

    const size_t units = olvan::utf16_length(text.get(), size);
    if (units != want.units.size()) {
        disagree("utf16_length", 0, static_cast<unsigned>(want.units.size()), static_cast<unsigned>(units));
    }
    std::unique_ptr<char16_t[]> out(new char16_t[units]);
    const size_t written = olvan::decode_utf16(text.get(), size, out.get());
    if (written != units) {
        disagree("units written", 0, static_cast<unsigned>(units), static_cast<unsigned>(written));
    }
    for (size_t k = 0; k < units; ++k) {
        if (out[k] != want.units[k]) {
            disagree("unit", k, want.units[k], out[k]);
        }
    }
    const bool modified = olvan::is_modified_utf8(text.get(), size);
    const bool want_modified = !want.saw_four_byte && !want.saw_invalid;
    if (modified != want_modified) {
        disagree("is_modified_utf8", 0, want_modified, modified);
    }
    if (modified && olvan::modified_utf16_length(text.get(), size) != units) {
        disagree("modified_utf16_length", 0, static_cast<unsigned>(units),
                 static_cast<unsigned>(olvan::modified_utf16_length(text.get(), size)));
    }
    return 0;
}
