#include "text/one_byte_text.h"

#include <cstring>

#include "text/bytes16.h"

namespace olvan {
namespace {

inline void note(QuestionMarks *marks, size_t at) {
    if (marks->count < QuestionMarks::kMarksNoted) {
        marks->at[marks->count++] = at;
    } else {
        marks->more = true;
    }
}

// The bytes of [p, end) one at a time, out written alongside.
bool copy_bytewise(const unsigned char *p, const unsigned char *end, char *out, size_t at, QuestionMarks *marks) {
    for (; p < end; ++p, ++out, ++at) {
        const unsigned char byte = *p;
        if (byte == 0 || byte >= 0x80) {
            return false;
        }
        if (byte == '?') {
            note(marks, at);
        }
        *out = static_cast<char>(byte);
    }
    return true;
}

}  // namespace

bool copy_one_byte_text(const char *in, size_t length, char *out, size_t offset, QuestionMarks *marks) {
    const auto *p = reinterpret_cast<const unsigned char *>(in);
    const auto *end = p + length;
#if OLVAN_BYTES16
    using namespace bytes16;
    // Signed, NUL and 80-FF are the bytes below 1.
    const V one = splat(1);
    const V question = splat('?');
    const auto unsure = [&](const unsigned char *at) {
        const V x = load(at);
        return less(x, one) | equal(x, question);
    };
    // Sixty-four bytes a step: the copy should go at the speed of memcpy.
    while (end - p >= 64) {
        if (mask(unsure(p) | unsure(p + 16) | unsure(p + 32) | unsure(p + 48)) != 0) {
            // A block with something to look at goes byte by byte.
            if (!copy_bytewise(p, p + 64, out, offset, marks)) {
                return false;
            }
        } else {
            std::memcpy(out, p, 64);
        }
        p += 64;
        out += 64;
        offset += 64;
    }
#endif
    return copy_bytewise(p, end, out, offset, marks);
}

}  // namespace olvan
