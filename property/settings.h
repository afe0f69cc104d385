// The settings, said once: for each, the DravixProperty field the conversion
// reads, the record slot it fills and the labels the self-check reports. The
// conversion and the check both walk kSettings; a new setting is a slot in
// engine/property_record.h, a row here and a field of DravixProperty, and
// tests/native/settings_table_test.cpp fails until the three agree.
#ifndef OLVAN_PROPERTY_SETTINGS_H
#define OLVAN_PROPERTY_SETTINGS_H

#include <cstddef>
#include <cstdint>

#include "engine/property_record.h"

namespace olvan {

enum class SettingKind : uint8_t {
    Text,         // a String copied into a middleware string slot
    TextArray,    // cfgStrings: a heap array of middleware strings and its count
    Flag,         // a boolean byte, 1 or 0
    Number,       // a signed 32-bit integer
    Environment,  // the user environment list, from java.util.Properties
};

struct Setting {
    const char *java_name;   // DravixProperty's field; null: the bridge only checks the slot
    const char *signature;   // as GetFieldID takes it
    SettingKind kind;
    const char *record_field;
    size_t offset;
    // The self-check's labels, in the order it compares: a text's presence then
    // its text, an array's count then its entries, a list's size then each
    // entry's name and value; one label for a flag or a number.
    const char *labels[3];
};

#define OLVAN_SETTING(java, signature, kind, field, ...) \
    Setting { java, signature, SettingKind::kind, #field, offsetof(OLVAN_DravixProperty, field), { __VA_ARGS__ } }

// JNI signatures of the field types.
constexpr char kString[] = "Ljava/lang/String;";
constexpr char kStrings[] = "[Ljava/lang/String;";
constexpr char kBoolean[] = "Z";
constexpr char kInt[] = "I";
constexpr char kProperties[] = "Ljava/util/Properties;";

// The conversion reads the fields in this order and the self-check compares
// the slots in it: a failure leaves every earlier field converted, and the
// first difference is the one reported. The two orders are one, but for the
// slot only the check reads (registered_transports_count: the service
// library's count, never written, compared with zero).
constexpr Setting kSettings[] = {
    OLVAN_SETTING("cfgFile", kString, Text, cfg_file, "cfg_file presence", "cfg_file"),
    OLVAN_SETTING("cfgStrings", kStrings, TextArray, cfg_strings, "cfg_strings_count", "cfg_strings"),
    OLVAN_SETTING("serviceName", kString, Text, service_name, "service_name presence", "service_name"),
    OLVAN_SETTING("applicationName", kString, Text, application_name, "application_name presence", "application_name"),
    OLVAN_SETTING("enforceXsdValidation", kBoolean, Flag, enforce_xsd_validation, "enforce_xsd_validation"),
    OLVAN_SETTING("serviceVerbosity", kInt, Number, service_verbosity, "service_verbosity"),
    OLVAN_SETTING("ddsVerbosity", kInt, Number, dds_verbosity, "dds_verbosity"),
    OLVAN_SETTING("domainIdBase", kInt, Number, domain_id_base, "domain_id_base"),
    OLVAN_SETTING("pluginSearchPath", kString, Text, plugin_search_path, "plugin_search_path presence", "plugin_search_path"),
    OLVAN_SETTING("dontStartService", kBoolean, Flag, dont_start_service, "dont_start_service"),
    OLVAN_SETTING("enableAdministration", kBoolean, Flag, enable_administration, "enable_administration"),
    OLVAN_SETTING("administrationDomainId", kInt, Number, administration_domain_id, "administration_domain_id"),
    OLVAN_SETTING("enableMonitoring", kBoolean, Flag, enable_monitoring, "enable_monitoring"),
    OLVAN_SETTING("monitoringDomainId", kInt, Number, monitoring_domain_id, "monitoring_domain_id"),
    OLVAN_SETTING("skipDefaultFiles", kBoolean, Flag, skip_default_files, "skip_default_files"),
    OLVAN_SETTING("identifyExecution", kBoolean, Flag, identify_execution, "identify_execution"),
    OLVAN_SETTING(nullptr, nullptr, Number, registered_transports_count, "registered_transports_count"),
    OLVAN_SETTING("user_environment", kProperties, Environment, user_environment, "user_environment size",
                  "user_environment name", "user_environment value"),
};

#undef OLVAN_SETTING

// The slot a row names, in a record being filled or being compared.
template <typename T>
T *slot(OLVAN_DravixProperty *record, const Setting &setting) {
    return reinterpret_cast<T *>(reinterpret_cast<unsigned char *>(record) + setting.offset);
}

template <typename T>
const T &slot(const OLVAN_DravixProperty &record, const Setting &setting) {
    return *reinterpret_cast<const T *>(reinterpret_cast<const unsigned char *>(&record) + setting.offset);
}

}  // namespace olvan

#endif
