// Copying the fields of a Java DravixProperty into its native record, in a
// fixed order; the first failure stops the conversion where it stands.
#include <cstddef>
#include <cstdlib>

#include "bridge/java_string.h"
#include "bridge/raise.h"
#include "bridge/scoped_local_ref.h"
#include "engine/olvan_dravix.h"
#include "property/record_strings.h"
#include "property/record_slot.h"
#include "property/user_environment.h"

extern "C" {
#include "com_olvan_dravix_DravixProperty.h"
}

using namespace olvan;

namespace {

enum class Kind { String, StringArray, Boolean, Integer, Properties };

struct FieldRule {
    const char *java_name;
    const char *signature;
    Kind kind;
    size_t offset;
};

// The order is part of the contract: a failure leaves every earlier field set.
constexpr FieldRule kFieldRules[] = {
    {"cfgFile", "Ljava/lang/String;", Kind::String, OLVAN_SLOT(cfg_file)},
    {"cfgStrings", "[Ljava/lang/String;", Kind::StringArray, OLVAN_SLOT(cfg_strings)},
    {"serviceName", "Ljava/lang/String;", Kind::String, OLVAN_SLOT(service_name)},
    {"applicationName", "Ljava/lang/String;", Kind::String, OLVAN_SLOT(application_name)},
    {"enforceXsdValidation", "Z", Kind::Boolean, OLVAN_SLOT(enforce_xsd_validation)},
    {"serviceVerbosity", "I", Kind::Integer, OLVAN_SLOT(service_verbosity)},
    {"ddsVerbosity", "I", Kind::Integer, OLVAN_SLOT(dds_verbosity)},
    {"domainIdBase", "I", Kind::Integer, OLVAN_SLOT(domain_id_base)},
    {"pluginSearchPath", "Ljava/lang/String;", Kind::String, OLVAN_SLOT(plugin_search_path)},
    {"dontStartService", "Z", Kind::Boolean, OLVAN_SLOT(dont_start_service)},
    {"enableAdministration", "Z", Kind::Boolean, OLVAN_SLOT(enable_administration)},
    {"administrationDomainId", "I", Kind::Integer, OLVAN_SLOT(administration_domain_id)},
    {"enableMonitoring", "Z", Kind::Boolean, OLVAN_SLOT(enable_monitoring)},
    {"monitoringDomainId", "I", Kind::Integer, OLVAN_SLOT(monitoring_domain_id)},
    {"skipDefaultFiles", "Z", Kind::Boolean, OLVAN_SLOT(skip_default_files)},
    {"identifyExecution", "Z", Kind::Boolean, OLVAN_SLOT(identify_execution)},
    {"user_environment", "Ljava/util/Properties;", Kind::Properties, OLVAN_SLOT(user_environment)},
};

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
            raise_out_of_memory(env);
            return false;
        }
    }
    return true;
}

bool convert_field(JNIEnv *env, jobject object, jclass cls, const FieldRule &rule,
                   OLVAN_DravixProperty *record) {
    // A failed lookup leaves the JVM's NoSuchFieldError pending for Java to see.
    const jfieldID field = env->GetFieldID(cls, rule.java_name, rule.signature);
    if (field == nullptr) {
        return false;
    }
    switch (rule.kind) {
        case Kind::String:
            return OLVAN_copy_java_string(env, object, field, slot<char *>(record, rule.offset));
        case Kind::StringArray:
            return copy_string_array(env, object, field, record);
        case Kind::Boolean:
            *slot<uint8_t>(record, rule.offset) = env->GetBooleanField(object, field) == 1 ? 1 : 0;
            return true;
        case Kind::Integer:
            *slot<int32_t>(record, rule.offset) = env->GetIntField(object, field);
            return true;
        case Kind::Properties:
            return convert_user_environment(env, object, field, slot<OLVAN_DravixProperties>(record, rule.offset));
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
    for (const FieldRule &rule : kFieldRules) {
        if (!convert_field(env, self, cls.get(), rule, record)) {
            return;
        }
    }
}

}  // extern "C"
