// Copying the fields of a Java DravixProperty into its native record, in a
// fixed order; the first failure stops the conversion where it stands.
#include <cstddef>
#include <cstdlib>

#include "bridge/java_string.h"
#include "bridge/raise.h"
#include "bridge/scoped_local_ref.h"
#include "engine/olvan_dravix.h"
#include "property/record_strings.h"
#include "property/settings.h"
#include "property/user_environment.h"

extern "C" {
#include "com_olvan_dravix_DravixProperty.h"
}

using namespace olvan;

namespace {

// cfgStrings: a null array keeps what the record has; otherwise the record's
// old array goes and a new one, its entries null until copied, takes its place.
bool copy_string_array(JNIEnv *env, jobject object, jfieldID field, OLVAN_DravixProperty *record) {
    ScopedLocalRef<jobjectArray> array(env, static_cast<jobjectArray>(env->GetObjectField(object, field)));
    if (!array) {
        return true;
    }
    release_cfg_strings(record);
    const jsize length = env->GetArrayLength(array.get());
    auto **entries = static_cast<char **>(std::malloc(static_cast<size_t>(length) * sizeof(char *)));
    if (entries == nullptr && length > 0) {
        raise_out_of_memory(env);
        return false;
    }
    for (jsize i = 0; i < length; ++i) {
        entries[i] = nullptr;
    }
    record->cfg_strings = entries;
    record->cfg_strings_count = length;
    for (jsize i = 0; i < length; ++i) {
        // One element's reference at a time: arrays may hold many thousands.
        ScopedLocalRef<jstring> element(env, static_cast<jstring>(env->GetObjectArrayElement(array.get(), i)));
        if (!element) {
            continue;
        }
        entries[i] = dup_java_string(env, element.get()).release();
        if (entries[i] == nullptr) {
            return false;
        }
    }
    return true;
}

bool convert_field(JNIEnv *env, jobject object, jclass cls, const Setting &setting,
                   OLVAN_DravixProperty *record) {
    // A failed lookup leaves the JVM's NoSuchFieldError pending for Java to see.
    const jfieldID field = env->GetFieldID(cls, setting.java_name, setting.signature);
    if (field == nullptr) {
        return false;
    }
    switch (setting.kind) {
        case SettingKind::Text:
            return OLVAN_copy_java_string(env, object, field, slot<char *>(record, setting));
        case SettingKind::TextArray:
            return copy_string_array(env, object, field, record);
        case SettingKind::Flag:
            *slot<uint8_t>(record, setting) = env->GetBooleanField(object, field) == 1 ? 1 : 0;
            return true;
        case SettingKind::Number:
            *slot<int32_t>(record, setting) = env->GetIntField(object, field);
            return true;
        case SettingKind::Environment:
            return convert_user_environment(env, object, field, slot<OLVAN_DravixProperties>(record, setting));
    }
    return false;
}

}  // namespace

extern "C" {

JNIEXPORT void JNICALL Java_com_olvan_dravix_DravixProperty_DravixProperty_1to_1native(JNIEnv *env, jobject self,
                                                                                      jlong handle) {
    OLVAN_DravixProperty *record = checked_record(env, handle);
    if (record == nullptr) {
        return;
    }
    ScopedLocalRef<jclass> cls(env, env->GetObjectClass(self));
    if (!cls) {
        return;  // nothing to read fields from; the JVM's error, if any, stays
    }
    for (const Setting &setting : kSettings) {
        if (setting.java_name != nullptr && !convert_field(env, self, cls.get(), setting, record)) {
            return;
        }
    }
}

}  // extern "C"
