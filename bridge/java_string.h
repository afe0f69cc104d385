// The JNI side of strings, both ways: a Java string copied into a middleware
// string, and the service's text made into a Java string. Each way picks the
// JVM's own conversion or a quicker one by the text's size and content; what
// needs no JVM (checking and decoding the bytes) is in text/. Both ways fail
// alike: null, with an exception pending.
#ifndef OLVAN_BRIDGE_JAVA_STRING_H
#define OLVAN_BRIDGE_JAVA_STRING_H

#include <jni.h>

#include <memory>

#include "engine/dds_string.h"

namespace olvan {

struct DdsStringFree {
    void operator()(char *text) const { DDS_String_free(text); }
};
// A middleware string released on every path out of a scope.
using DdsString = std::unique_ptr<char, DdsStringFree>;

// A middleware copy of the string's modified UTF-8 characters; null with
// OutOfResourcesException "insufficient memory for native allocation" pending
// when the JVM gave no characters or the copy failed. The characters go back
// before returning.
DdsString dup_java_string(JNIEnv *env, jstring string);

// The Java string of the service's NUL-terminated text, read as UTF-8 that
// may use the JVM's modified forms; null with the JVM's error or
// OutOfResourcesException pending if it could not be made.
jstring java_string_from_service_text(JNIEnv *env, const char *text);

}  // namespace olvan

#endif
