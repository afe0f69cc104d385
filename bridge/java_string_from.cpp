#include "bridge/java_string_from.h"

#include "bridge/scoped_local_ref.h"

namespace olvan {
namespace {

// String's constructor with this signature applied to the arguments; String
// is looked up on every call.
template <typename... Arguments>
jstring construct_string(JNIEnv *env, const char *signature, Arguments... arguments) {
    ScopedLocalRef<jclass> string_class(env, env->FindClass("java/lang/String"));
    if (!string_class) {
        return nullptr;
    }
    const jmethodID constructor = env->GetMethodID(string_class.get(), "<init>", signature);
    if (constructor == nullptr) {
        return nullptr;
    }
    return static_cast<jstring>(env->NewObject(string_class.get(), constructor, arguments...));
}

}  // namespace

jstring java_string_from_ascii(JNIEnv *env, const char *text, size_t length) {
    const auto size = static_cast<jsize>(length);
    ScopedLocalRef<jbyteArray> bytes(env, env->NewByteArray(size));
    if (!bytes) {
        return nullptr;  // the JVM's OutOfMemoryError is pending
    }
    env->SetByteArrayRegion(bytes.get(), 0, size, reinterpret_cast<const jbyte *>(text));
    // String(byte[] ascii, int hibyte) with hibyte 0 takes each byte as the
    // character of that value, one byte a character in the string: a single
    // array copy, compiled or not (a charset's decoder scans the bytes first,
    // in a loop that runs interpreted until the JIT has compiled it).
    return construct_string(env, "([BI)V", bytes.get(), jint{0});
}

jstring java_string_from_utf16(JNIEnv *env, jcharArray chars, jsize count) {
    return construct_string(env, "([CII)V", chars, jint{0}, jint{count});
}

}  // namespace olvan
