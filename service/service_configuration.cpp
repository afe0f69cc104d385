// Reading a service's configuration back as a Java string.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "bridge/handles.h"
#include "bridge/messages.h"
#include "bridge/raise.h"
#include "engine/olvan_dravix.h"
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

// Text with four-byte sequences or invalid bytes: decode to UTF-16 ourselves.
// The buffer is sized exactly from a counting pass.
jstring decoded_string(JNIEnv *env, const char *text, size_t length) {
    const size_t units = utf16_length(text, length);
    if (units > static_cast<size_t>(INT_MAX)) {
        raise_out_of_memory(env);
        return nullptr;
    }
    std::unique_ptr<char16_t, HeapFree> buffer(
        static_cast<char16_t *>(std::malloc(units == 0 ? 1 : units * sizeof(char16_t))));
    if (!buffer) {
        raise_out_of_memory(env);
        return nullptr;
    }
    decode_utf16(text, length, buffer.get());
    static_assert(sizeof(jchar) == sizeof(char16_t), "jchar is a UTF-16 unit");
    return env->NewString(reinterpret_cast<const jchar *>(buffer.get()), static_cast<jsize>(units));
}

}  // namespace

extern "C" {

JNIEXPORT jstring JNICALL Java_com_olvan_dravix_Dravix_Dravix_1get_1configuration(JNIEnv *env, jclass,
                                                                                 jlong handle) {
    OLVAN_Dravix *service = service_from_handle(handle);
    if (service == nullptr) {
        raise_null_service(env);
        return nullptr;
    }
    // Released with the library's own function on every path.
    std::unique_ptr<char, ServiceTextFree> text(OLVAN_Dravix_get_configuration(service));
    if (!text) {
        raise(env, kDravixExceptionClass, "OLVAN_Dravix_get_configuration error");
        return nullptr;
    }
    const size_t length = std::strlen(text.get());
    if (is_modified_utf8(text.get(), length)) {
        return env->NewStringUTF(text.get());  // null with the JVM's error pending if it failed
    }
    return decoded_string(env, text.get(), length);
}

}  // extern "C"
