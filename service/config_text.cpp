#include "service/config_text.h"

#include <cstring>

namespace olvan {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Eight bytes at a time: the bulk of a configuration is ASCII.
inline bool eight_ascii(const unsigned char *p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ULL) == 0;
}

// Widens eight ASCII bytes into eight UTF-16 units, each byte moved to the
// low half of its own 16-bit lane: two stores instead of eight.
inline void widen_eight(const unsigned char *p, char16_t *out) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    uint64_t low = word & 0xFFFFFFFFULL, high = word >> 32;
    low = (low | (low << 16)) & 0x0000FFFF0000FFFFULL;
    low = (low | (low << 8)) & 0x00FF00FF00FF00FFULL;
    high = (high | (high << 16)) & 0x0000FFFF0000FFFFULL;
    high = (high | (high << 8)) & 0x00FF00FF00FF00FFULL;
    std::memcpy(out, &low, sizeof low);
    std::memcpy(out + 4, &high, sizeof high);
#else
    for (int i = 0; i < 8; ++i) {
        out[i] = p[i];
    }
#endif
}

inline bool continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// One decoded sequence: how many bytes it took and what it stands for.
struct Sequence {
    size_t bytes;
    uint32_t code_point;  // kReplacement for an ill-formed subpart
    bool modified_form;   // representable by the JVM's own decoder
};

// Decodes the sequence at p (p < end, *p >= 0x80). Second bytes are limited as
// in UTF-8 (no overlongs, nothing above U+10FFFF); surrogates in three bytes
// and C0 80 are accepted because the modified form allows them.
Sequence next_sequence(const unsigned char *p, const unsigned char *end) {
    const unsigned char lead = p[0];
    size_t need;
    unsigned char low = 0x80, high = 0xBF;
    uint32_t value;
    if (lead == 0xC0) {
        if (end - p >= 2 && p[1] == 0x80) {
            return {2, 0, true};
        }
        return {1, kReplacement, false};
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {1, kReplacement, false};  // a stray continuation, C1 or F5..FF
    }
    size_t taken = 1;
    for (size_t i = 0; i < need; ++i) {
        if (p + taken >= end) {
            return {taken, kReplacement, false};
        }
        const unsigned char byte = p[taken];
        const bool in_range = i == 0 ? (byte >= low && byte <= high) : continuation(byte);
        if (!in_range) {
            return {taken, kReplacement, false};
        }
        value = (value << 6) | (byte & 0x3F);
        ++taken;
    }
    return {taken, value, need < 3};
}

}  // namespace

bool is_modified_utf8(const char *text, size_t length) {
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    const auto *end = p + length;
    while (p < end) {
        if (end - p >= 8 && eight_ascii(p)) {
            p += 8;
            continue;
        }
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const Sequence s = next_sequence(p, end);
        if (!s.modified_form) {
            return false;
        }
        p += s.bytes;
    }
    return true;
}

size_t utf16_length(const char *text, size_t length) {
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    const auto *end = p + length;
    size_t units = 0;
    while (p < end) {
        if (end - p >= 8 && eight_ascii(p)) {
            p += 8;
            units += 8;
            continue;
        }
        if (*p < 0x80) {
            ++p;
            ++units;
            continue;
        }
        const Sequence s = next_sequence(p, end);
        units += s.code_point > 0xFFFF ? 2 : 1;
        p += s.bytes;
    }
    return units;
}

size_t decode_utf16(const char *text, size_t length, char16_t *out) {
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    const auto *end = p + length;
    char16_t *const start = out;
    while (p < end) {
        if (end - p >= 8 && eight_ascii(p)) {
            widen_eight(p, out);
            p += 8;
            out += 8;
            continue;
        }
        if (*p < 0x80) {
            *out++ = *p++;
            continue;
        }
        const Sequence s = next_sequence(p, end);
        if (s.code_point > 0xFFFF) {
            const uint32_t v = s.code_point - 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (v >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            *out++ = static_cast<char16_t>(s.code_point);
        }
        p += s.bytes;
    }
    return static_cast<size_t>(out - start);
}

size_t decoding_boundary(const char *text, size_t length, size_t at) {
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    if (at >= length) {
        return length;
    }
    // A byte that cannot continue a sequence ends whatever came before it.
    // A sequence is at most four bytes: after three continuation bytes no
    // sequence is still open.
    for (size_t cut = at;; --cut) {
        if (!continuation(p[cut])) {
            return cut;
        }
        if (cut == 0 || cut + 3 == at) {
            return at;
        }
    }
}

}  // namespace olvan
