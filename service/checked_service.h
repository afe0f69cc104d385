// The first step of every export that takes a service handle.
#ifndef OLVAN_SERVICE_CHECKED_SERVICE_H
#define OLVAN_SERVICE_CHECKED_SERVICE_H

#include <jni.h>

#include "bridge/handles.h"
#include "bridge/raise.h"

namespace olvan {

// The service behind a handle, or null with IllegalArgumentException raised
// when the handle is 0; the library is then not called at all.
inline OLVAN_Dravix *checked_service(JNIEnv *env, jlong handle) {
    OLVAN_Dravix *service = service_from_handle(handle);
    if (service == nullptr) {
        raise_null_service(env);
    }
    return service;
}

}  // namespace olvan

#endif
