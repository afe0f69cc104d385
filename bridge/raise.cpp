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

void raise_caused_by(JNIEnv *env, jthrowable cause, const char *class_name, const char *message) {
    raise(env, class_name, message);
    ScopedLocalRef<jthrowable> raised(env, env->ExceptionOccurred());
    if (!raised || cause == nullptr) {
        return;  // nothing raised but the JVM's own lookup error, or no cause to add
    }
    env->ExceptionClear();
    ScopedLocalRef<jclass> throwable(env, env->FindClass("java/lang/Throwable"));
    const jmethodID init_cause =
        throwable ? env->GetMethodID(throwable.get(), "initCause", "(Ljava/lang/Throwable;)Ljava/lang/Throwable;")
                  : nullptr;
    if (init_cause != nullptr) {
        ScopedLocalRef<jobject> self(env, env->CallObjectMethod(raised.get(), init_cause, cause));
    }
    // Whatever went wrong in adding the cause, the exception raised is the one
    // Java must see.
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
    }
    env->Throw(raised.get());
}

}  // namespace olvan

void JNIDravixCommon_throwOutOfResourcesException(JNIEnv *env, const char *message) {
    olvan::raise(env, olvan::kOutOfResourcesClass, message);
}
