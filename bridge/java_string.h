// Copying Java strings into middleware strings.
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

// A middleware copy of the string's modified UTF-8 characters, or null when
// the JVM gave no characters or the copy failed. Any error the JVM raised is
// cleared: the caller raises its own. The characters go back before returning.
DdsString dup_java_string(JNIEnv *env, jstring string);

}  // namespace olvan

// Copies the String field of object into *slot. A null field leaves the slot
// as it is and succeeds. Otherwise the slot's previous string is released and
// replaced by the copy; if no copy can be made the slot is left null,
// OutOfResourcesException is raised and false returned.
bool OLVAN_copy_java_string(JNIEnv *env, jobject object, jfieldID field, char **slot);

#endif
