// The one way the bridge reports failure: a Java exception of a fixed class
// with a fixed message. The classes, the messages more than one export raises,
// the raise steps and the checks that open an export (a handle that is not 0,
// an argument that is not null) are all here, so no export words one itself.
// Java code matches on these texts, and the installation check on the
// self-check's own message (property/property_check.cpp): change none of them.
#ifndef OLVAN_BRIDGE_RAISE_H
#define OLVAN_BRIDGE_RAISE_H

#include <jni.h>

#include "bridge/handles.h"
#include "engine/olvan_dravix.h"

namespace olvan {

// Slash-separated, as FindClass takes them.
inline constexpr char kOutOfResourcesClass[] = "com/olvan/dravix/infrastructure/OutOfResourcesException";
inline constexpr char kDravixExceptionClass[] = "com/olvan/dravix/infrastructure/DravixException";
inline constexpr char kIllegalArgumentClass[] = "java/lang/IllegalArgumentException";
inline constexpr char kRuntimeExceptionClass[] = "java/lang/RuntimeException";
inline constexpr char kNullPointerClass[] = "java/lang/NullPointerException";

inline constexpr char kNoMemoryMessage[] = "insufficient memory for native allocation";
inline constexpr char kNullServiceMessage[] = "null Dravix native reference";
inline constexpr char kNullRecordMessage[] = "null Dravixproperty native reference";

// Raises class_name(message). An error the JVM left pending from a failed
// lookup or character fetch is cleared first: JNI forbids FindClass/ThrowNew
// with an exception pending, and the caller wants Java to see this exception.
// If the class itself cannot be found, the JVM's lookup error is what remains.
void raise(JNIEnv *env, const char *class_name, const char *message);

// A Java method threw: its exception is printed (which clears it), then
// class_name(message) is raised with it as the cause, so that a caller who
// catches the bridge's exception still has the one that made the step fail.
// The class needs only the one-String constructor: the cause is set with
// initCause.
void raise_after_java_error(JNIEnv *env, const char *class_name, const char *message);

// OutOfResourcesException "insufficient memory for native allocation".
void raise_out_of_memory(JNIEnv *env);

// The service behind a handle, or null with IllegalArgumentException raised
// when the handle is 0; the library is then not called at all.
OLVAN_Dravix *checked_service(JNIEnv *env, jlong handle);

// The record behind a handle, or null with IllegalArgumentException raised
// when the handle is 0.
OLVAN_DravixProperty *checked_record(JNIEnv *env, jlong handle);

// GetStringUTFChars on null would bring the JVM down: false, with
// NullPointerException naming the argument, when it is null.
bool checked_argument(JNIEnv *env, jstring argument, const char *argument_name);

}  // namespace olvan

// OutOfResourcesException with the given message: the exported name of
// raise(env, kOutOfResourcesClass, message).
void JNIDravixCommon_throwOutOfResourcesException(JNIEnv *env, const char *message);

#endif
