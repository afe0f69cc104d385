// Deliberate defects, each in a native method of its own, so that tests can
// prove their detectors see such a defect when it is made in our code: the
// JVM's native memory tracking, AddressSanitizer, LeakSanitizer and
// UndefinedBehaviorSanitizer. Loaded only by those tests.
#include <jni.h>

#include <cstdlib>

extern "C" {
#include "com_olvan_dravix_faults_NativeProbe.h"
}

extern "C" {

JNIEXPORT void JNICALL Java_com_olvan_dravix_faults_NativeProbe_borrowWithoutRelease(JNIEnv *env, jclass,
                                                                                   jstring text) {
    // The characters are never given back: the JVM's buffer stays allocated.
    if (env->GetStringUTFChars(text, nullptr) == nullptr) {
        return;  // OutOfMemoryError pending
    }
}

JNIEXPORT jlong JNICALL Java_com_olvan_dravix_faults_NativeProbe_leakHeap(JNIEnv *, jclass, jint bytes) {
    // The block's address goes to Java as a number LSan will not find in any
    // root it scans, as with a native pointer dropped on the floor.
    void *block = std::malloc(static_cast<size_t>(bytes));
    return block == nullptr ? 0 : 1;
}

JNIEXPORT jint JNICALL Java_com_olvan_dravix_faults_NativeProbe_readPastEnd(JNIEnv *, jclass, jint bytes) {
    auto *block = static_cast<char *>(std::calloc(static_cast<size_t>(bytes), 1));
    if (block == nullptr) {
        return -1;
    }
    // volatile: the compiler must not see that the index is the block's end.
    volatile jint index = bytes;
    const jint value = block[index];
    std::free(block);
    return value;
}

JNIEXPORT jint JNICALL Java_com_olvan_dravix_faults_NativeProbe_addOne(JNIEnv *, jclass, jint value) {
    return value + 1;  // signed overflow for Integer.MAX_VALUE
}

}  // extern "C"
