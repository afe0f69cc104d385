#include "text/modified_utf8.h"

#include <cstring>

#include "text/bytes16.h"

// The rules of a sequence are written here three times, each for speed where
// it runs: next_sequence says every case a byte at a time and decides what
// the others leave; well_formed decodes the usual well-formed sequences in
// line, with no case the decoding loop does not need; closer_look and
// blocks_are_modified_utf8 check sixteen bytes at a time without a branch a
// character. The decoder's tests and its fuzz target hold all three to one
// reference decoder (tests/text/reference_decoder.h), on this build and on one
// without vector units.
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

inline uint64_t load8(const unsigned char *p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

#if OLVAN_BYTES16
using namespace bytes16;
#endif

// Past the run of ASCII bytes that starts at p, sixteen bytes a step.
inline const unsigned char *skip_ascii(const unsigned char *p, const unsigned char *end) {
#if OLVAN_BYTES16
    while (end - p >= 16) {
        const unsigned high = mask(load(p));
        if (high != 0) {
            return p + __builtin_ctz(high);
        }
        p += 16;
    }
#endif
    while (end - p >= 32) {
        if (((load8(p) | load8(p + 8) | load8(p + 16) | load8(p + 24)) & 0x8080808080808080ULL) != 0) {
            break;
        }
        p += 32;
    }
    while (end - p >= 8 && eight_ascii(p)) {
        p += 8;
    }
    while (p < end && *p < 0x80) {
        ++p;
    }
    return p;
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

// The well-formed two-, three- and four-byte sequences, decoded in line: the
// usual case. Returns the bytes taken, or 0 for anything else (C0 80, a
// truncated or ill-formed sequence), which next_sequence then decides.
inline size_t well_formed(const unsigned char *p, const unsigned char *end, uint32_t *code_point) {
    const unsigned char lead = p[0];
    const ptrdiff_t left = end - p;
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (left >= 2 && continuation(p[1])) {
            *code_point = (uint32_t{lead & 0x1Fu} << 6) | (p[1] & 0x3Fu);
            return 2;
        }
    } else if ((lead & 0xF0) == 0xE0) {
        if (left >= 3 && continuation(p[1]) && continuation(p[2]) && (lead != 0xE0 || p[1] >= 0xA0)) {
            *code_point = (uint32_t{lead & 0x0Fu} << 12) | (uint32_t{p[1] & 0x3Fu} << 6) | (p[2] & 0x3Fu);
            return 3;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        if (left >= 4 && continuation(p[1]) && continuation(p[2]) && continuation(p[3]) &&
            (lead != 0xF0 || p[1] >= 0x90) && (lead != 0xF4 || p[1] <= 0x8F)) {
            *code_point = (uint32_t{lead & 0x07u} << 18) | (uint32_t{p[1] & 0x3Fu} << 12) |
                          (uint32_t{p[2] & 0x3Fu} << 6) | (p[3] & 0x3Fu);
            return 4;
        }
    }
    return 0;
}

#if OLVAN_BYTES16
inline V byte_after(V flags, V before) { return up<1>(flags) | down<15>(before); }

// The rules that need a byte's value, for a block that has such bytes (or
// follows one that ends in C0 or E0): C0 only before 80, no C1, E0 only
// before A0-BF, nothing from F0 on. Updates the C0 and E0 flags carried over.
bool closer_look(V x, V negative, V error, V *prev_c0, V *prev_e0) {
    const V c0 = equal(x, splat(0xC0));
    const V e0 = equal(x, splat(0xE0));
    error = error | (greater(x, splat(0xEF)) & negative);  // F0-FF
    error = error | equal(x, splat(0xC1));
    error = error | and_not(byte_after(c0, *prev_c0), equal(x, splat(0x80)));
    error = error | (byte_after(e0, *prev_e0) & less(x, splat(0xA0)));  // 80-9F after E0
    *prev_c0 = c0;
    *prev_e0 = e0;
    return mask(error) == 0;
}

// Sixteen bytes at a time, without a branch per character: this check runs
// before NewStringUTF on every text, and one character at a time it would
// cost a good part of what NewStringUTF costs on text that is not ASCII.
// Each block is classified by signed compares (0x80-0xBF continuation,
// 0xC0-0xFF lead, 0xE0-0xFF lead of three bytes or more); the continuation
// bytes the leads require are the leads shifted by one and two bytes, carried
// over from the block before, and must be exactly the continuation bytes
// there are. Blocks with bytes whose rules need their value go to
// closer_look. Returns false at the first block that is not modified UTF-8;
// otherwise sets *rest to where the byte-wise check must go on: at the lead
// of a sequence still open at the end of the last whole block, else just
// after that block.
bool blocks_are_modified_utf8(const unsigned char *p, const unsigned char *end, const unsigned char **rest) {
    const V none = zero();
    V prev_lead = none;  // each owes the next byte
    V prev_long = none;  // each owes the byte after that too
    V prev_c0 = none;
    V prev_e0 = none;
    bool rare_before = false;  // the block before ends in C0 or E0
    while (end - p >= 16) {
        const V x = load(p);
        // What the block before still owes, at this block's first two bytes.
        const V carry = down<15>(prev_lead) | down<14>(prev_long);
        if (mask(x | carry) == 0) {
            // ASCII with nothing owed: the usual block, and runs of them go by in wide steps.
            p += 16;
            while (end - p >= 64 && mask(load(p) | load(p + 16) | load(p + 32) | load(p + 48)) == 0) {
                p += 64;
            }
            prev_lead = prev_long = prev_c0 = prev_e0 = none;
            rare_before = false;
            continue;
        }
        const V negative = less(x, none);
        const V continuation = less(x, splat(0xC0));  // 80-BF
        const V lead = and_not(negative, continuation);
        const V long_lead = greater(x, splat(0xDF)) & negative;  // E0-FF
        const V owed = up<1>(lead) | up<2>(long_lead) | carry;
        const V error = owed ^ continuation;
        // C0, C1, E0 (and E1, which costs a closer look only) and F0 upward.
        const V rare = equal(x & splat(0xDE), splat(0xC0)) |
                       equal(max_unsigned(x, splat(0xF0)), x);
        if (mask(error | rare) != 0 || rare_before) {
            if (!closer_look(x, negative, error, &prev_c0, &prev_e0)) {
                return false;
            }
            rare_before = ((mask(prev_c0) | mask(prev_e0)) & 0x8000) != 0;
        } else {
            prev_c0 = prev_e0 = none;
            rare_before = false;
        }
        prev_lead = lead;
        prev_long = long_lead;
        p += 16;
    }
    if ((mask(prev_lead) & 0x8000) != 0) {
        p -= 1;
    } else if ((mask(prev_long) & 0x4000) != 0) {
        p -= 2;
    }
    *rest = p;
    return true;
}
#endif

}  // namespace

bool is_modified_utf8(const char *text, size_t length) {
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    const auto *end = p + length;
#if OLVAN_BYTES16
    if (!blocks_are_modified_utf8(p, end, &p)) {
        return false;
    }
#endif
    for (;;) {
        p = skip_ascii(p, end);
        if (p == end) {
            return true;
        }
        uint32_t code_point;
        const size_t bytes = well_formed(p, end, &code_point);
        if (bytes == 4) {
            return false;
        }
        if (bytes != 0) {
            p += bytes;
            continue;
        }
        const Sequence s = next_sequence(p, end);
        if (!s.modified_form) {
            return false;
        }
        p += s.bytes;
    }
}

namespace {

// Whether every byte is ASCII: sixty-four bytes a step while they are.
bool is_ascii(const unsigned char *p, size_t length) {
    const unsigned char *const end = p + length;
#if OLVAN_BYTES16
    while (end - p >= 64) {
        if (mask(load(p) | load(p + 16) | load(p + 32) | load(p + 48)) != 0) {
            return false;
        }
        p += 64;
    }
#endif
    return skip_ascii(p, end) == end;
}

}  // namespace

bool measure_ascii(const char *text, size_t *length) {
    // Small enough to stay in the first-level cache between the two looks.
    constexpr size_t kPiece = 16u << 10;
    size_t done = 0;
    bool ascii = true;
    for (;;) {
        const size_t size = strnlen(text + done, kPiece);
        // Once the answer is known, only the length is still wanted.
        ascii = ascii && is_ascii(reinterpret_cast<const unsigned char *>(text + done), size);
        done += size;
        if (size < kPiece) {
            *length = done;
            return ascii;
        }
    }
}

size_t utf16_length(const char *text, size_t length) {
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    const auto *end = p + length;
    size_t units = 0;
    for (;;) {
        const unsigned char *run_end = skip_ascii(p, end);
        units += static_cast<size_t>(run_end - p);
        p = run_end;
        if (p == end) {
            return units;
        }
        uint32_t code_point;
        const size_t bytes = well_formed(p, end, &code_point);
        if (bytes != 0) {
            units += bytes == 4 ? 2 : 1;
            p += bytes;
            continue;
        }
        const Sequence s = next_sequence(p, end);
        units += s.code_point > 0xFFFF ? 2 : 1;
        p += s.bytes;
    }
}

namespace {

// Writes the code point as one UTF-16 unit or a surrogate pair.
inline char16_t *put_code_point(uint32_t code_point, char16_t *out) {
    if (code_point > 0xFFFF) {
        const uint32_t v = code_point - 0x10000;
        out[0] = static_cast<char16_t>(0xD800 + (v >> 10));
        out[1] = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        return out + 2;
    }
    out[0] = static_cast<char16_t>(code_point);
    return out + 1;
}

// Widens the run of ASCII bytes at p into out, sixteen at a time; returns
// where the run ends. Never writes past the run's own units.
inline const unsigned char *widen_ascii(const unsigned char *p, const unsigned char *end, char16_t **out) {
    char16_t *o = *out;
#if OLVAN_BYTES16
    while (end - p >= 16) {
        const V x = load(p);
        const unsigned high = mask(x);
        if (high != 0) {
            // The ASCII bytes before the first other one: eight widened at
            // once when there are, the rest one by one.
            int ascii = __builtin_ctz(high);
            if (ascii >= 8) {
                widen_low(x, o);
                o += 8;
                p += 8;
                ascii -= 8;
            }
            for (; ascii > 0; --ascii) {
                *o++ = *p++;
            }
            *out = o;
            return p;
        }
        widen_low(x, o);
        widen_high(x, o + 8);
        p += 16;
        o += 16;
    }
#endif
    while (end - p >= 8 && eight_ascii(p)) {
        widen_eight(p, o);
        p += 8;
        o += 8;
    }
    while (p < end && *p < 0x80) {
        *o++ = *p++;
    }
    *out = o;
    return p;
}

}  // namespace

size_t decode_to_utf16(const char *text, size_t length, char16_t *out) {
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    const auto *end = p + length;
    char16_t *const start = out;
    for (;;) {
        p = widen_ascii(p, end, &out);
        if (p == end) {
            return static_cast<size_t>(out - start);
        }
        uint32_t code_point;
        size_t bytes = well_formed(p, end, &code_point);
        if (bytes == 0) {
            const Sequence s = next_sequence(p, end);
            bytes = s.bytes;
            code_point = s.code_point;
        }
        out = put_code_point(code_point, out);
        p += bytes;
    }
}

size_t utf16_length_of_modified_utf8(const char *text, size_t length) {
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    const auto *end = p + length;
    // Each sequence of modified UTF-8 is one unit and has one byte that is
    // not a continuation byte (80-BF, the signed bytes below C0): the units
    // are the bytes less the continuation bytes.
    size_t continuations = 0;
#if OLVAN_BYTES16
    const V below = splat(0xC0);
    while (end - p >= 16) {
        // Sixteen byte-wide counters, each taking at most one a step, summed
        // before any can pass 255.
        V counts = zero();
        for (int step = 0; step < 255 && end - p >= 16; ++step, p += 16) {
            counts = subtract(counts, less(load(p), below));
        }
        continuations += sum(counts);
    }
#endif
    for (const unsigned char *q = p; q < end; ++q) {
        continuations += continuation(*q) ? 1 : 0;
    }
    return length - continuations;
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
