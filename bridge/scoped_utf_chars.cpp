#include <cstdint>
#include <cstring>

#include "bridge/scoped_utf_chars.h"

namespace olvan {
namespace {

constexpr jsize kChunk = 4096;

// The length of the string's modified UTF-8, counted from its UTF-16 units:
// NUL and U+0080..U+07FF take two bytes, the rest of U+0001..U+007F one, every
// other unit (a surrogate half included) three.
uint64_t modified_utf8_length(JNIEnv *env, jstring string, jsize length) {
    uint64_t bytes = 0;
    jchar chunk[kChunk];
    for (jsize start = 0; start < length; start += kChunk) {
        const jsize count = length - start < kChunk ? length - start : kChunk;
        env->GetStringRegion(string, start, count, chunk);
        for (jsize i = 0; i < count; ++i) {
            const jchar unit = chunk[i];
            bytes += (unit != 0 && unit < 0x80) ? 1 : (unit < 0x800 ? 2 : 3);
        }
    }
    return bytes;
}

}  // namespace

bool utf_chars_cut_short(JNIEnv *env, jstring string, jsize length, const char *chars) {
    if (length <= kCharsNeverCutShort) {
        return false;
    }
    // Modified UTF-8 holds no zero byte, so strlen is the length given.
    return std::strlen(chars) != modified_utf8_length(env, string, length);
}

}  // namespace olvan
