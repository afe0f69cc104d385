// Allocating a native property record from the library's defaults, and
// releasing it with everything it owns.
#include <cstdlib>
#include <cstring>

#include "bridge/handles.h"
#include "bridge/raise.h"
#include "engine/dds_string.h"
#include "engine/olvan_dravix.h"
#include "property/property_release.h"

extern "C" {
#include "com_olvan_dravix_DravixProperty.h"
}

namespace olvan {

void release_cfg_strings(OLVAN_DravixProperty *record) {
    if (record->cfg_strings != nullptr) {
        // Null entries are fine: the free accepts null.
        for (int32_t i = 0; i < record->cfg_strings_count; ++i) {
            DDS_String_free(record->cfg_strings[i]);
        }
        std::free(record->cfg_strings);
    }
    record->cfg_strings = nullptr;
    record->cfg_strings_count = 0;
}

}  // namespace olvan

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
    OLVAN_DravixProperty *record = record_from_handle(handle);
    if (record == nullptr) {
        raise_null_record(env);
        return;
    }
    DDS_String_free(record->cfg_file);
    release_cfg_strings(record);
    DDS_String_free(record->service_name);
    DDS_String_free(record->application_name);
    DDS_String_free(record->plugin_search_path);
    OLVAN_DravixProperties_finalize(&record->user_environment);
    std::free(record);
}

}  // extern "C"
