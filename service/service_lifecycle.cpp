// Creating, starting, stopping and deleting a service: checked pass-throughs
// to the service library.
#include "bridge/handles.h"
#include "bridge/raise.h"
#include "engine/olvan_dravix.h"

extern "C" {
#include "com_olvan_dravix_Dravix.h"
}

using namespace olvan;

namespace {

// Start and stop succeed on a result byte of exactly 1; 2 or any other value is failure.
void change_state(JNIEnv *env, jlong handle, OLVAN_Boolean (*change)(OLVAN_Dravix *), const char *message) {
    OLVAN_Dravix *service = checked_service(env, handle);
    if (service != nullptr && change(service) != 1) {
        raise(env, kDravixExceptionClass, message);
    }
}

}  // namespace

extern "C" {

JNIEXPORT jlong JNICALL Java_com_olvan_dravix_Dravix_Dravix_1new(JNIEnv *env, jclass, jlong record) {
    // A zero record handle is passed on as null: what that means is the library's choice.
    OLVAN_Dravix *service = OLVAN_Dravix_new(record_from_handle(record));
    if (service == nullptr) {
        raise(env, kDravixExceptionClass, "Dravix_new native error");
        return 0;
    }
    return handle_of(service);
}

JNIEXPORT void JNICALL Java_com_olvan_dravix_Dravix_Dravix_1delete(JNIEnv *env, jclass, jlong handle) {
    if (OLVAN_Dravix *service = checked_service(env, handle)) {
        OLVAN_Dravix_delete(service);  // its result means nothing to Java
    }
}

JNIEXPORT void JNICALL Java_com_olvan_dravix_Dravix_Dravix_1start(JNIEnv *env, jclass, jlong handle) {
    change_state(env, handle, OLVAN_Dravix_start, "OLVAN_Dravix_start error");
}

JNIEXPORT void JNICALL Java_com_olvan_dravix_Dravix_Dravix_1stop(JNIEnv *env, jclass, jlong handle) {
    change_state(env, handle, OLVAN_Dravix_stop, "OLVAN_Dravix_stop error");
}

}  // extern "C"
