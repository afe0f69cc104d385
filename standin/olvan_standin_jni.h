/*
 * The JNI side of the stand-ins' controls, said once for the two Java classes
 * that bind them: the tests' com.olvan.dravix.testing.StandIn (every control)
 * and the test kit's com.olvan.dravix.testkit.StandIn (the few a user's test
 * needs). Each binding names its own natives; the shapes are here.
 */
#ifndef OLVAN_STANDIN_JNI_H
#define OLVAN_STANDIN_JNI_H

#include <jni.h>

#include <cstring>
#include <limits>
#include <memory>

#include "olvan_standin_control.h"

namespace olvan_standin_jni {

inline void throw_new(JNIEnv *env, const char *class_name, const char *message) {
    jclass type = env->FindClass(class_name);
    if (type == nullptr) {
        return;  // FindClass left its own error pending
    }
    env->ThrowNew(type, message);
    env->DeleteLocalRef(type);
}

// A new byte[] with a copy of the bytes; null with an exception pending on failure.
inline jbyteArray byte_array(JNIEnv *env, const void *bytes, size_t length) {
    if (length > static_cast<size_t>(std::numeric_limits<jsize>::max())) {
        throw_new(env, "java/lang/OutOfMemoryError", "native bytes longer than a Java array");
        return nullptr;
    }
    const jsize size = static_cast<jsize>(length);
    jbyteArray array = env->NewByteArray(size);
    if (array == nullptr) {
        return nullptr;
    }
    if (size > 0) {
        env->SetByteArrayRegion(array, 0, size, static_cast<const jbyte *>(bytes));
        if (env->ExceptionCheck()) {
            env->DeleteLocalRef(array);
            return nullptr;
        }
    }
    return array;
}

// An export's name, borrowed for a control call. Function names are ASCII,
// so modified UTF-8 is the plain bytes. get() is null for a null name, or
// with OutOfMemoryError pending when the JVM gave no characters.
struct ReleaseName {
    JNIEnv *env;
    jstring name;
    void operator()(const char *chars) const { env->ReleaseStringUTFChars(name, chars); }
};
using FunctionName = std::unique_ptr<const char, ReleaseName>;

inline FunctionName function_name(JNIEnv *env, jstring name) {
    return FunctionName(name != nullptr ? env->GetStringUTFChars(name, nullptr) : nullptr, ReleaseName{env, name});
}

// Both stand-ins back to their state at load.
inline void reset_stand_ins() {
    olvan_dravix_control_reset();
    olvan_dds_control_reset();
}

}  // namespace olvan_standin_jni

// A native that returns a stand-in's count: long name().
#define OLVAN_STANDIN_JNI_COUNT(export_name, control) \
    JNIEXPORT jlong JNICALL export_name(JNIEnv *, jclass) { return control(); }

// A native that arms a stand-in's n-th call to fail: void name(long n).
#define OLVAN_STANDIN_JNI_FAIL_AT(export_name, control) \
    JNIEXPORT void JNICALL export_name(JNIEnv *, jclass, jlong n) { control(static_cast<long>(n)); }

// A native that turns a stand-in's failure on or off: void name(boolean on).
#define OLVAN_STANDIN_JNI_SWITCH(export_name, control) \
    JNIEXPORT void JNICALL export_name(JNIEnv *, jclass, jboolean on) { control(on == JNI_TRUE ? 1 : 0); }

#endif
