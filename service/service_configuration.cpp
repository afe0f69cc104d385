// Reading a service's configuration back as a Java string.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "bridge/handles.h"
#include "bridge/heap_block.h"
#include "bridge/java_string_from.h"
#include "bridge/messages.h"
#include "bridge/raise.h"
#include "bridge/scoped_local_ref.h"
#include "engine/olvan_dravix.h"
#include "service/checked_service.h"
#include "service/config_text.h"

extern "C" {
#include "com_olvan_dravix_Dravix.h"
}

using namespace olvan;

namespace {

struct ServiceTextFree {
    void operator()(char *text) const { OLVAN_Dravix_free_string(text); }
};

static_assert(sizeof(jchar) == sizeof(char16_t), "jchar is a UTF-16 unit");

// Text up to this many bytes is decoded into a native chunk of as many
// UTF-16 units and handed to NewString; no native buffer the size of a larger
// text is ever made: one that large would be fresh memory on most calls (a
// thread's malloc arena maps a new heap for a block of many MiB and unmaps it
// at the free), faulted in page by page.
constexpr size_t kChunkBytes = 16u << 10;

// Larger text is decoded into the Java array this many bytes at a time.
constexpr size_t kPieceBytes = 1u << 20;

// ASCII text from this length on reaches Java as a byte[]; below it the array
// and constructor look-ups cost more than NewStringUTF's slower copy saves.
constexpr size_t kByteArrayFrom = 2048;

// Text that is not ASCII, up to this length, is decoded without counting its
// UTF-16 units first.
constexpr size_t kUncountedUpTo = 32u << 20;

// Text of one chunk at most: NewString straight from the chunk.
jstring string_from_chunk(JNIEnv *env, const char *text, size_t length, char16_t *chunk) {
    const size_t units = decode_utf16(text, length, chunk);
    return env->NewString(reinterpret_cast<const jchar *>(chunk), static_cast<jsize>(units));
}

// Larger text is decoded straight into a Java char[], which String(char[],
// int, int) then takes over: the JVM's compiled copy into the string, where
// NewString copies one character at a time (twice as slowly again on JDK 25).
// The array holds capacity units, at least as many as the text decodes to.
// It is written a piece at a time, each inside a critical region of its own,
// so that no region holds off the collector for long.
jstring string_from_pieces(JNIEnv *env, const char *text, size_t length, size_t capacity) {
    ScopedLocalRef<jcharArray> chars(env, env->NewCharArray(static_cast<jsize>(capacity)));
    if (!chars) {
        return nullptr;  // the JVM's OutOfMemoryError is pending
    }
    size_t done = 0;
    jsize filled = 0;
    while (done < length) {
        const size_t next = done + decoding_boundary(text + done, length - done, kPieceBytes);
        auto *array = static_cast<jchar *>(env->GetPrimitiveArrayCritical(chars.get(), nullptr));
        if (array == nullptr) {
            if (!env->ExceptionCheck()) {
                raise_out_of_memory(env);
            }
            return nullptr;
        }
        const size_t count = decode_utf16(text + done, next - done, reinterpret_cast<char16_t *>(array + filled));
        env->ReleasePrimitiveArrayCritical(chars.get(), array, 0);
        filled += static_cast<jsize>(count);
        done = next;
    }
    return java_string_from_utf16(env, chars.get(), filled);
}

// Text that is not ASCII: decoded to UTF-16 here.
jstring decoded_string(JNIEnv *env, const char *text, size_t length) {
    if (length <= kChunkBytes) {
        HeapBlock<char16_t> chunk(static_cast<char16_t *>(std::malloc(kChunkBytes * sizeof(char16_t))));
        if (!chunk) {
            raise_out_of_memory(env);
            return nullptr;
        }
        return string_from_chunk(env, text, length, chunk.get());
    }
    // No text decodes to more units than it has bytes: up to a size, an
    // array of one unit a byte saves counting them first (a pass over the
    // text); beyond it the count keeps the array from being up to three
    // times the string for text of long sequences.
    if (length <= kUncountedUpTo) {
        return string_from_pieces(env, text, length, length);
    }
    // Valid modified UTF-8 (most text that is not ASCII) is checked and
    // counted sixteen bytes at a time, in about a third of the general count.
    const size_t units =
        is_modified_utf8(text, length) ? modified_utf16_length(text, length) : utf16_length(text, length);
    if (units > static_cast<size_t>(INT_MAX)) {
        raise_out_of_memory(env);
        return nullptr;
    }
    return string_from_pieces(env, text, length, units);
}

}  // namespace

extern "C" {

JNIEXPORT jstring JNICALL Java_com_olvan_dravix_Dravix_Dravix_1get_1configuration(JNIEnv *env, jclass,
                                                                                 jlong handle) {
    OLVAN_Dravix *service = checked_service(env, handle);
    if (service == nullptr) {
        return nullptr;
    }
    // Released with the library's own function on every path.
    std::unique_ptr<char, ServiceTextFree> text(OLVAN_Dravix_get_configuration(service));
    if (!text) {
        raise(env, kDravixExceptionClass, "OLVAN_Dravix_get_configuration error");
        return nullptr;
    }
    size_t length = 0;
    const bool ascii = measure_ascii(text.get(), &length);
    // ASCII is one byte a character in a Java string; from the first other
    // byte on, NewStringUTF converts a character at a time, slower than
    // decoding here and handing the JVM UTF-16 (which gives the same string
    // for valid modified UTF-8). Java counts a string's characters in an int.
    // Either call returns null with the JVM's error pending if it failed.
    if (ascii && length < kByteArrayFrom) {
        return env->NewStringUTF(text.get());
    }
    if (ascii && length <= static_cast<size_t>(INT_MAX)) {
        return java_string_from_ascii(env, text.get(), length);
    }
    return decoded_string(env, text.get(), length);
}

}  // extern "C"
