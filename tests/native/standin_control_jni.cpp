/*
 * Natives of com.olvan.dravix.testing.StandIn: the stand-ins' test controls,
 * seen from Java tests. Only tests load this library.
 *
 * It runs under -Xcheck:jni in the Java suites, so every JNI result is
 * checked, every exception is left pending for Java to see, and no local
 * reference outlives the call that needed it. misuseJni is the one exception,
 * on purpose.
 */
#include <jni.h>

#include <cstdint>
#include <cstring>
#include <limits>

#include "engine/olvan_dravix.h"
#include "olvan_standin_jni.h"

namespace {

using olvan_standin_jni::byte_array;
using olvan_standin_jni::function_name;
using olvan_standin_jni::throw_new;

// The bytes of a NUL-terminated string, or null for a null pointer.
jbyteArray c_string_bytes(JNIEnv *env, const char *text) {
    if (text == nullptr) {
        return nullptr;
    }
    return byte_array(env, text, std::strlen(text));
}

// The bytes of a stand-in copy, which is released here.
jbyteArray copy_bytes(JNIEnv *env, char *copy) {
    jbyteArray bytes = c_string_bytes(env, copy);
    olvan_dravix_free_copy(copy);
    return bytes;
}

const void *as_pointer(jlong address) { return reinterpret_cast<const void *>(static_cast<intptr_t>(address)); }

}  // namespace

extern "C" {

JNIEXPORT void JNICALL Java_com_olvan_dravix_testing_StandIn_reset(JNIEnv *, jclass) {
    olvan_standin_jni::reset_stand_ins();
}

OLVAN_STANDIN_JNI_FAIL_AT(Java_com_olvan_dravix_testing_StandIn_failDupAt, olvan_dds_fail_dup_at)
OLVAN_STANDIN_JNI_COUNT(Java_com_olvan_dravix_testing_StandIn_dupCalls, olvan_dds_dup_calls)
OLVAN_STANDIN_JNI_COUNT(Java_com_olvan_dravix_testing_StandIn_freeCalls, olvan_dds_free_calls)
OLVAN_STANDIN_JNI_COUNT(Java_com_olvan_dravix_testing_StandIn_liveStrings, olvan_dds_live_strings)
OLVAN_STANDIN_JNI_COUNT(Java_com_olvan_dravix_testing_StandIn_badFrees, olvan_dds_bad_frees)

JNIEXPORT jlong JNICALL Java_com_olvan_dravix_testing_StandIn_calls(JNIEnv *env, jclass, jstring function) {
    const auto name = function_name(env, function);
    if (function != nullptr && name.get() == nullptr) {
        return -1;  // OutOfMemoryError pending
    }
    return olvan_dravix_calls(name.get());
}

OLVAN_STANDIN_JNI_SWITCH(Java_com_olvan_dravix_testing_StandIn_failNew, olvan_dravix_fail_new)

JNIEXPORT void JNICALL Java_com_olvan_dravix_testing_StandIn_forceResult(JNIEnv *env, jclass, jstring function,
                                                                          jint value) {
    if (function == nullptr) {
        throw_new(env, "java/lang/NullPointerException", "function");
        return;
    }
    const auto name = function_name(env, function);
    if (name.get() != nullptr) {
        olvan_dravix_force_result(name.get(), value);
    }
}

OLVAN_STANDIN_JNI_SWITCH(Java_com_olvan_dravix_testing_StandIn_failGetConfiguration,
                         olvan_dravix_fail_get_configuration)
OLVAN_STANDIN_JNI_FAIL_AT(Java_com_olvan_dravix_testing_StandIn_failAddAt, olvan_dravix_fail_add_at)
OLVAN_STANDIN_JNI_COUNT(Java_com_olvan_dravix_testing_StandIn_liveTexts, olvan_dravix_live_texts)
OLVAN_STANDIN_JNI_COUNT(Java_com_olvan_dravix_testing_StandIn_badTextFrees, olvan_dravix_bad_text_frees)
OLVAN_STANDIN_JNI_COUNT(Java_com_olvan_dravix_testing_StandIn_liveServices, olvan_dravix_live_services)
OLVAN_STANDIN_JNI_COUNT(Java_com_olvan_dravix_testing_StandIn_deadServiceCalls, olvan_dravix_dead_service_calls)

JNIEXPORT jbyteArray JNICALL Java_com_olvan_dravix_testing_StandIn_lastRecord(JNIEnv *env, jclass) {
    unsigned char record[sizeof(OLVAN_DravixProperty)];
    if (olvan_dravix_last_record(record) == 0) {
        return nullptr;
    }
    return byte_array(env, record, sizeof record);
}

JNIEXPORT jbyteArray JNICALL Java_com_olvan_dravix_testing_StandIn_defaultRecord(JNIEnv *env, jclass) {
    return byte_array(env, &OLVAN_DRAVIX_PROPERTY_DEFAULT, sizeof OLVAN_DRAVIX_PROPERTY_DEFAULT);
}

JNIEXPORT jintArray JNICALL Java_com_olvan_dravix_testing_StandIn_verbosityLevels(JNIEnv *env, jclass) {
    const jint levels[] = {OLVAN_DRAVIX_LOG_VERBOSITY_SILENT, OLVAN_DRAVIX_LOG_VERBOSITY_EXCEPTIONS,
                           OLVAN_DRAVIX_LOG_VERBOSITY_WARNINGS, OLVAN_DRAVIX_LOG_VERBOSITY_INFO};
    jintArray array = env->NewIntArray(4);
    if (array == nullptr) {
        return nullptr;
    }
    env->SetIntArrayRegion(array, 0, 4, levels);
    if (env->ExceptionCheck()) {
        env->DeleteLocalRef(array);
        return nullptr;
    }
    return array;
}

JNIEXPORT jbyteArray JNICALL Java_com_olvan_dravix_testing_StandIn_lastEntityNameBytes(JNIEnv *env, jclass) {
    return copy_bytes(env, olvan_dravix_last_entity_name());
}

JNIEXPORT jbyteArray JNICALL Java_com_olvan_dravix_testing_StandIn_lastEntityFileNameBytes(JNIEnv *env, jclass) {
    return copy_bytes(env, olvan_dravix_last_entity_file_name());
}

JNIEXPORT jbyteArray JNICALL Java_com_olvan_dravix_testing_StandIn_lastEntityTextBytes(JNIEnv *env, jclass) {
    return copy_bytes(env, olvan_dravix_last_entity_text());
}

JNIEXPORT jlong JNICALL Java_com_olvan_dravix_testing_StandIn_lastEntityTextLength(JNIEnv *, jclass) {
    char *text = olvan_dravix_last_entity_text();
    const jlong length = text == nullptr ? -1 : static_cast<jlong>(std::strlen(text));
    olvan_dravix_free_copy(text);
    return length;
}

JNIEXPORT jbyteArray JNICALL Java_com_olvan_dravix_testing_StandIn_peek(JNIEnv *env, jclass, jlong address,
                                                                         jint length) {
    if (length < 0) {
        throw_new(env, "java/lang/IllegalArgumentException", "negative length");
        return nullptr;
    }
    if (address == 0 && length > 0) {
        throw_new(env, "java/lang/IllegalArgumentException", "null address");
        return nullptr;
    }
    return byte_array(env, as_pointer(address), static_cast<size_t>(length));
}

JNIEXPORT jbyteArray JNICALL Java_com_olvan_dravix_testing_StandIn_cString(JNIEnv *env, jclass, jlong address) {
    return c_string_bytes(env, static_cast<const char *>(as_pointer(address)));
}

JNIEXPORT jint JNICALL Java_com_olvan_dravix_testing_StandIn_serviceState(JNIEnv *, jclass, jlong service) {
    return olvan_dravix_service_state(const_cast<void *>(as_pointer(service)));
}

/*
 * DELIBERATE JNI MISUSE, for the test that proves -Xcheck:jni is active:
 * FindClass is called while an exception is pending, which the checker
 * reports as "WARNING in native method". The exception is then cleared so
 * the Java caller sees a normal return. Nothing else may call this.
 */
JNIEXPORT void JNICALL Java_com_olvan_dravix_testing_StandIn_misuseJni(JNIEnv *env, jclass) {
    jclass runtime_exception = env->FindClass("java/lang/RuntimeException");
    if (runtime_exception == nullptr) {
        return;
    }
    env->ThrowNew(runtime_exception, "deliberate pending exception");
    env->DeleteLocalRef(runtime_exception);
    jclass string_class = env->FindClass("java/lang/String");  // the misuse
    env->ExceptionClear();
    if (string_class != nullptr) {
        env->DeleteLocalRef(string_class);
    }
}

}  // extern "C"
