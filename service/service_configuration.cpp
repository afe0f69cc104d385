// Reading a service's configuration back as a Java string.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "bridge/handles.h"
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

struct HeapFree {
    void operator()(void *block) const { std::free(block); }
};

static_assert(sizeof(jchar) == sizeof(char16_t), "jchar is a UTF-16 unit");

// glibc keeps freed blocks for reuse up to its largest mmap threshold (32 MiB
// on 64-bit); a larger buffer would be a fresh mapping, faulted in page by
// page, on every call.
constexpr size_t kLargestKeptBuffer = 32u << 20;

// Bytes decoded per step when the text is too large for one native buffer;
// the UTF-16 chunk stays in the CPU cache.
constexpr size_t kChunkBytes = 16u << 10;

// One exactly sized native buffer, so that the allocator keeps it from call to call.
jstring string_from_buffer(JNIEnv *env, const char *text, size_t length, size_t units) {
    std::unique_ptr<char16_t, HeapFree> buffer(
        static_cast<char16_t *>(std::malloc(units == 0 ? 1 : units * sizeof(char16_t))));
    if (!buffer) {
        raise_out_of_memory(env);
        return nullptr;
    }
    decode_utf16(text, length, buffer.get());
    return env->NewString(reinterpret_cast<const jchar *>(buffer.get()), static_cast<jsize>(units));
}

// Large text goes a chunk at a time straight into a Java char[], which
// String(char[]) then takes over.
jstring string_from_chunks(JNIEnv *env, const char *text, size_t length, size_t units) {
    ScopedLocalRef<jcharArray> chars(env, env->NewCharArray(static_cast<jsize>(units)));
    if (!chars) {
        return nullptr;  // the JVM's OutOfMemoryError is pending
    }
    std::unique_ptr<char16_t, HeapFree> chunk(static_cast<char16_t *>(std::malloc(kChunkBytes * sizeof(char16_t))));
    if (!chunk) {
        raise_out_of_memory(env);
        return nullptr;
    }
    size_t done = 0;
    jsize filled = 0;
    while (done < length) {
        // A chunk never yields more units than it has bytes.
        const size_t next = done + decoding_boundary(text + done, length - done, kChunkBytes);
        const size_t count = decode_utf16(text + done, next - done, chunk.get());
        env->SetCharArrayRegion(chars.get(), filled, static_cast<jsize>(count),
                                reinterpret_cast<const jchar *>(chunk.get()));
        if (env->ExceptionCheck()) {
            return nullptr;
        }
        filled += static_cast<jsize>(count);
        done = next;
    }
    ScopedLocalRef<jclass> string_class(env, env->FindClass("java/lang/String"));
    if (!string_class) {
        return nullptr;
    }
    const jmethodID from_chars = env->GetMethodID(string_class.get(), "<init>", "([C)V");
    if (from_chars == nullptr) {
        return nullptr;
    }
    return static_cast<jstring>(env->NewObject(string_class.get(), from_chars, chars.get()));
}

// Text with four-byte sequences or invalid bytes: decoded to UTF-16 here.
jstring decoded_string(JNIEnv *env, const char *text, size_t length) {
    const size_t units = utf16_length(text, length);
    if (units > static_cast<size_t>(INT_MAX)) {
        raise_out_of_memory(env);
        return nullptr;
    }
    if (units <= kLargestKeptBuffer / sizeof(char16_t)) {
        return string_from_buffer(env, text, length, units);
    }
    return string_from_chunks(env, text, length, units);
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
    const bool modified = measure_modified_utf8(text.get(), &length);
    // The JVM counts the characters of NewStringUTF's argument in an int.
    if (length <= static_cast<size_t>(INT_MAX) && modified) {
        return env->NewStringUTF(text.get());  // null with the JVM's error pending if it failed
    }
    return decoded_string(env, text.get(), length);
}

}  // extern "C"
