// The one way the bridge reports failure: a Java exception of a fixed class.
#ifndef OLVAN_BRIDGE_RAISE_H
#define OLVAN_BRIDGE_RAISE_H

#include <jni.h>

namespace olvan {

// Raises class_name(message). An error the JVM left pending from a failed
// lookup or character fetch is cleared first: JNI forbids FindClass/ThrowNew
// with an exception pending, and the caller wants Java to see this exception.
// If the class itself cannot be found, the JVM's lookup error is what remains.
void raise(JNIEnv *env, const char *class_name, const char *message);

// Raises class_name(message) with cause as its cause, so that a caller who
// catches it still has the Java exception that made the step fail. The class
// needs only the one-String constructor: the cause is set with initCause.
void raise_caused_by(JNIEnv *env, jthrowable cause, const char *class_name, const char *message);

inline void raise_out_of_memory(JNIEnv *env);
inline void raise_null_service(JNIEnv *env);
inline void raise_null_record(JNIEnv *env);

}  // namespace olvan

// OutOfResourcesException with the given message.
void JNIDravixCommon_throwOutOfResourcesException(JNIEnv *env, const char *message);

#include "bridge/messages.h"

namespace olvan {

inline void raise_out_of_memory(JNIEnv *env) {
    JNIDravixCommon_throwOutOfResourcesException(env, kNoMemoryMessage);
}

inline void raise_null_service(JNIEnv *env) {
    raise(env, kIllegalArgumentClass, kNullServiceMessage);
}

inline void raise_null_record(JNIEnv *env) {
    raise(env, kIllegalArgumentClass, kNullRecordMessage);
}

}  // namespace olvan

#endif
