// Heap faults for the test variant of the bridge. That variant is linked from
// the shipped library's objects with -Wl,--wrap=malloc, so every malloc the
// bridge's own code calls comes here first, and only those: the JVM, the
// stand-ins and the C++ runtime keep the real malloc. A Java test arms a
// countdown and the n-th bridge allocation from then on returns null, exactly
// as an exhausted heap would.
#include <jni.h>

#include <atomic>
#include <cstddef>

extern "C" {
#include "com_olvan_dravix_faults_HeapFaults.h"
}

extern "C" void *__real_malloc(size_t size);

namespace {

// Process-wide on purpose, like the stand-in's controls: the allocation being
// failed happens inside a bridge call, not in anything the test holds.
std::atomic<long> fail_countdown{0};  // 0: disarmed
std::atomic<long> calls{0};
std::atomic<long> failures{0};

// True for the one call that takes an armed countdown from 1 to 0.
bool take_turn() {
    long remaining = fail_countdown.load();
    while (remaining > 0) {
        if (fail_countdown.compare_exchange_weak(remaining, remaining - 1)) {
            return remaining == 1;
        }
    }
    return false;
}

}  // namespace

extern "C" __attribute__((visibility("hidden"))) void *__wrap_malloc(size_t size) {
    calls.fetch_add(1);
    if (take_turn()) {
        failures.fetch_add(1);
        return nullptr;
    }
    return __real_malloc(size);
}

extern "C" {

JNIEXPORT void JNICALL Java_com_olvan_dravix_faults_HeapFaults_failMallocAt(JNIEnv *, jclass, jlong n) {
    calls.store(0);
    failures.store(0);
    fail_countdown.store(n > 0 ? static_cast<long>(n) : 0);
}

JNIEXPORT jlong JNICALL Java_com_olvan_dravix_faults_HeapFaults_mallocCalls(JNIEnv *, jclass) {
    return calls.load();
}

JNIEXPORT jlong JNICALL Java_com_olvan_dravix_faults_HeapFaults_failedMallocs(JNIEnv *, jclass) {
    return failures.load();
}

}  // extern "C"
