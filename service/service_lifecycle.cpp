// Creating, starting, stopping and deleting a service: checked pass-throughs
// to the service library.
#include "bridge/handles.h"
#include "bridge/messages.h"
#include "bridge/raise.h"
#include "engine/olvan_dravix.h"

extern "C" {
#include "com_olvan_dravix_Dravix.h"
}

using namespace olvan;

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
    OLVAN_Dravix *service = service_from_handle(handle);
    if (service == nullptr) {
        raise_null_service(env);
        return;
    }
    OLVAN_Dravix_delete(service);
}

JNIEXPORT void JNICALL Java_com_olvan_dravix_Dravix_Dravix_1start(JNIEnv *env, jclass, jlong handle) {
    OLVAN_Dravix *service = service_from_handle(handle);
    if (service == nullptr) {
        raise_null_service(env);
        return;
    }
    if (OLVAN_Dravix_start(service) != 1) {
        raise(env, kDravixExceptionClass, "OLVAN_Dravix_start error");
    }
}

JNIEXPORT void JNICALL Java_com_olvan_dravix_Dravix_Dravix_1stop(JNIEnv *env, jclass, jlong handle) {
    OLVAN_Dravix *service = service_from_handle(handle);
    if (service == nullptr) {
        raise_null_service(env);
        return;
    }
    if (OLVAN_Dravix_stop(service) != 1) {
        raise(env, kDravixExceptionClass, "OLVAN_Dravix_stop error");
    }
}

}  // extern "C"
