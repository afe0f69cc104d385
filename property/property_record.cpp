// Allocating a native property record from the library's defaults, and
// releasing it with everything it owns.
#include <cstdlib>
#include <cstring>

#include "bridge/handles.h"
#include "bridge/raise.h"
#include "engine/olvan_dravix.h"
#include "property/record_strings.h"

extern "C" {
#include "com_olvan_dravix_DravixProperty.h"
}

using namespace olvan;

extern "C" {

JNIEXPORT jlong JNICALL Java_com_olvan_dravix_DravixProperty_DravixProperty_1new(JNIEnv *env, jclass) {
    auto *record = static_cast<OLVAN_DravixProperty *>(std::malloc(sizeof(OLVAN_DravixProperty)));
    if (record == nullptr) {
        raise_out_of_memory(env);
        return 0;
    }
    // Byte for byte, the library's own bytes included.
    std::memcpy(record, &OLVAN_DRAVIX_PROPERTY_DEFAULT, sizeof *record);
    return handle_of(record);
}

JNIEXPORT void JNICALL Java_com_olvan_dravix_DravixProperty_DravixProperty_1delete(JNIEnv *env, jclass,
                                                                                  jlong handle) {
    OLVAN_DravixProperty *record = checked_record(env, handle);
    if (record == nullptr) {
        return;
    }
    release_record_strings(record);
    OLVAN_DravixProperties_finalize(&record->user_environment);
    std::free(record);
}

}  // extern "C"
