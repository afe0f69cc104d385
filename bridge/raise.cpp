#include "bridge/raise.h"

#include "bridge/scoped_local_ref.h"

namespace olvan {

void raise(JNIEnv *env, const char *class_name, const char *message) {
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
    }
    ScopedLocalRef<jclass> cls(env, env->FindClass(class_name));
    if (cls) {
        env->ThrowNew(cls.get(), message);
    }
}

void raise_after_java_error(JNIEnv *env, const char *class_name, const char *message) {
    ScopedLocalRef<jthrowable> cause(env, env->ExceptionOccurred());
    env->ExceptionDescribe();
    raise(env, class_name, message);
    ScopedLocalRef<jthrowable> raised(env, env->ExceptionOccurred());
    // What is pending now is the exception raised or, where its class could
    // not be found, the JVM's lookup error: either way it takes the cause.
    if (!raised || !cause) {
        return;
    }
    env->ExceptionClear();
    ScopedLocalRef<jclass> throwable(env, env->FindClass("java/lang/Throwable"));
    const jmethodID init_cause =
        throwable ? env->GetMethodID(throwable.get(), "initCause", "(Ljava/lang/Throwable;)Ljava/lang/Throwable;")
                  : nullptr;
    if (init_cause != nullptr) {
        ScopedLocalRef<jobject> self(env, env->CallObjectMethod(raised.get(), init_cause, cause.get()));
    }
    // Whatever went wrong in adding the cause, the exception raised is the one
    // Java must see.
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
    }
    env->Throw(raised.get());
}

void raise_out_of_memory(JNIEnv *env) {
    raise(env, kOutOfResourcesClass, kNoMemoryMessage);
}

OLVAN_Dravix *checked_service(JNIEnv *env, jlong handle) {
    OLVAN_Dravix *service = service_from_handle(handle);
    if (service == nullptr) {
        raise(env, kIllegalArgumentClass, kNullServiceMessage);
    }
    return service;
}

OLVAN_DravixProperty *checked_record(JNIEnv *env, jlong handle) {
    OLVAN_DravixProperty *record = record_from_handle(handle);
    if (record == nullptr) {
        raise(env, kIllegalArgumentClass, kNullRecordMessage);
    }
    return record;
}

bool checked_argument(JNIEnv *env, jstring argument, const char *argument_name) {
    if (argument == nullptr) {
        raise(env, kNullPointerClass, argument_name);
        return false;
    }
    return true;
}

}  // namespace olvan

void JNIDravixCommon_throwOutOfResourcesException(JNIEnv *env, const char *message) {
    olvan::raise(env, olvan::kOutOfResourcesClass, message);
}
