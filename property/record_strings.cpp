#include "property/record_strings.h"

#include <cstdlib>

#include "bridge/java_string.h"
#include "bridge/scoped_local_ref.h"
#include "engine/dds_string.h"

namespace olvan {

void replace_string_slot(char **slot, char *text) {
    DDS_String_free(*slot);
    *slot = text;
}

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

void release_record_strings(OLVAN_DravixProperty *record) {
    replace_string_slot(&record->cfg_file, nullptr);
    release_cfg_strings(record);
    replace_string_slot(&record->service_name, nullptr);
    replace_string_slot(&record->application_name, nullptr);
    replace_string_slot(&record->plugin_search_path, nullptr);
}

}  // namespace olvan

bool OLVAN_copy_java_string(JNIEnv *env, jobject object, jfieldID field, char **slot) {
    olvan::ScopedLocalRef<jstring> value(env, static_cast<jstring>(env->GetObjectField(object, field)));
    if (!value) {
        return true;
    }
    olvan::replace_string_slot(slot, olvan::dup_java_string(env, value.get()).release());
    return *slot != nullptr;
}
