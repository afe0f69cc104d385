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

}  // namespace olvan

void JNIDravixCommon_throwOutOfResourcesException(JNIEnv *env, const char *message) {
    olvan::raise(env, olvan::kOutOfResourcesClass, message);
}
