// Java strings made by String's own constructors from a Java array, for text
// too large for NewStringUTF and NewString to be the quick way: those convert
// one character at a time, where String's constructors copy the array whole.
#ifndef OLVAN_BRIDGE_JAVA_STRING_FROM_H
#define OLVAN_BRIDGE_JAVA_STRING_FROM_H

#include <jni.h>

#include <cstddef>

namespace olvan {

// A string of the length ASCII characters at text, through a byte[] and
// String(byte[], 0): one byte a character, copied whole. Null with the JVM's
// error pending if it failed. length must be at most INT_MAX.
jstring java_string_from_ascii(JNIEnv *env, const char *text, size_t length);

// A string of the first count UTF-16 units in chars, through
// String(char[], int, int).
jstring java_string_from_utf16(JNIEnv *env, jcharArray chars, jsize count);

}  // namespace olvan

#endif
