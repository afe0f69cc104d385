// Java holds native objects as 64-bit addresses ("handles").
#ifndef OLVAN_BRIDGE_HANDLES_H
#define OLVAN_BRIDGE_HANDLES_H

#include <jni.h>

#include <cstdint>

#include "engine/olvan_dravix.h"

namespace olvan {

static_assert(sizeof(jlong) >= sizeof(void *), "a handle must hold a pointer");

inline OLVAN_DravixProperty *record_from_handle(jlong handle) {
    return reinterpret_cast<OLVAN_DravixProperty *>(static_cast<std::intptr_t>(handle));
}

inline OLVAN_Dravix *service_from_handle(jlong handle) {
    return reinterpret_cast<OLVAN_Dravix *>(static_cast<std::intptr_t>(handle));
}

inline jlong handle_of(const void *native_object) {
    return static_cast<jlong>(reinterpret_cast<std::intptr_t>(native_object));
}

}  // namespace olvan

#endif
